#include "text/paragraphrecord.h"
#include "text/sentencerecord.h"

#include "printers.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

namespace narrata {
namespace {

// Both record types share one JSON shape; only the key of their text differs.
template<typename Record> QString textKey();
template<> QString textKey<SentenceRecord>()
{
    return QStringLiteral("sentence");
}
template<> QString textKey<ParagraphRecord>()
{
    return QStringLiteral("paragraph");
}

template<typename Record> class RecordTest : public ::testing::Test {
};

using RecordTypes = ::testing::Types<SentenceRecord, ParagraphRecord>;
TYPED_TEST_SUITE(RecordTest, RecordTypes);

TYPED_TEST(RecordTest, JsonHoldsExactlyTheThreeKeysAndRoundTripsThroughText)
{
    const TypeParam record{QStringLiteral("Caf\u00e9 \U0001F600."), {12, 8}, 3};
    const QJsonObject expected{{textKey<TypeParam>(), QStringLiteral("Caf\u00e9 \U0001F600.")},
        {QStringLiteral("range"), QJsonArray{12, 8}}, {QStringLiteral("pageIndex"), 3}};
    EXPECT_EQ(record.toJson(), expected);
    const QByteArray bytes = QJsonDocument(record.toJson()).toJson();
    EXPECT_EQ(TypeParam::fromJson(QJsonDocument::fromJson(bytes).object()), record);
    const TypeParam large{QString(), {4'000'000'000ull, 0}, 0};
    EXPECT_EQ(TypeParam::fromJson(large.toJson()), large);
}

TYPED_TEST(RecordTest, RejectsAMissingKeyOrAWrongType)
{
    const QString text = textKey<TypeParam>(), range = QStringLiteral("range"), page = QStringLiteral("pageIndex");
    const QJsonObject valid{{text, QStringLiteral("Text")}, {range, QJsonArray{1, 4}}, {page, 2}};
    EXPECT_EQ(TypeParam::fromJson(valid), (TypeParam{QStringLiteral("Text"), {1, 4}, 2}));
    for (const QString &key : {text, range, page}) {
        QJsonObject object = valid;
        object.remove(key); // the other record kind lacks the text key this way
        EXPECT_FALSE(TypeParam::fromJson(object).has_value()) << qPrintable(key);
    }
    const std::pair<QString, QJsonValue> faults[] = {
        {text, 7},
        {text, QJsonValue::Null},
        {range, QStringLiteral("[1, 4]")},
        {range, QJsonArray{1}},
        {range, QJsonArray{1, 4, 5}},
        {range, QJsonArray{1, QStringLiteral("4")}},
        {range, QJsonArray{-1, 4}},
        {range, QJsonArray{1, 4.5}},
        {range, QJsonObject{{QStringLiteral("location"), 1}, {QStringLiteral("length"), 4}}},
        {page, QStringLiteral("2")},
        {page, 2.5},
        {page, true},
        {page, QJsonArray{2}},
    };
    for (const auto &[key, value] : faults) {
        QJsonObject object = valid;
        object.insert(key, value);
        EXPECT_FALSE(TypeParam::fromJson(object).has_value())
            << qPrintable(key) << " = " << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).data();
    }
}

} // namespace
} // namespace narrata
