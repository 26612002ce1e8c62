#include "text/paragraphrecord.h"
#include "text/sentencerecord.h"

#include "printers.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

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
protected:
    const Record record{QStringLiteral("Caf\u00e9 \U0001F600."), {12, 8}, 3};

    QJsonObject validObject() const
    {
        return QJsonObject{{textKey<Record>(), QStringLiteral("Text")}, {QStringLiteral("range"), QJsonArray{1, 4}},
            {QStringLiteral("pageIndex"), 2}};
    }
};

using RecordTypes = ::testing::Types<SentenceRecord, ParagraphRecord>;
TYPED_TEST_SUITE(RecordTest, RecordTypes);

TYPED_TEST(RecordTest, JsonHasExactlyTheThreeKeys)
{
    const QJsonObject object = this->record.toJson();
    QStringList expectedKeys{QStringLiteral("pageIndex"), QStringLiteral("range"), textKey<TypeParam>()};
    expectedKeys.sort();
    EXPECT_EQ(object.keys(), expectedKeys); // keys() comes sorted
    EXPECT_EQ(object.value(textKey<TypeParam>()), QJsonValue(QStringLiteral("Caf\u00e9 \U0001F600.")));
    EXPECT_EQ(object.value(QStringLiteral("range")), QJsonValue(QJsonArray{12, 8}));
    EXPECT_EQ(object.value(QStringLiteral("pageIndex")), QJsonValue(3));
}

TYPED_TEST(RecordTest, JsonRoundTripsThroughText)
{
    const QByteArray bytes = QJsonDocument(this->record.toJson()).toJson();
    const std::optional<TypeParam> back = TypeParam::fromJson(QJsonDocument::fromJson(bytes).object());
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, this->record);

    const TypeParam large{QString(), {4'000'000'000ull, 0}, 0};
    EXPECT_EQ(TypeParam::fromJson(large.toJson()), large);
}

TYPED_TEST(RecordTest, ReadsAWellFormedObjectButNotOneMissingAKey)
{
    EXPECT_EQ(TypeParam::fromJson(this->validObject()), (TypeParam{QStringLiteral("Text"), {1, 4}, 2}));
    for (const QString &key : {textKey<TypeParam>(), QStringLiteral("range"), QStringLiteral("pageIndex")}) {
        QJsonObject object = this->validObject();
        object.remove(key);
        EXPECT_FALSE(TypeParam::fromJson(object).has_value()) << qPrintable(key);
    }
    EXPECT_FALSE(TypeParam::fromJson(QJsonObject()).has_value());
}

TYPED_TEST(RecordTest, RejectsWrongTypes)
{
    const QString text = textKey<TypeParam>();
    const QString range = QStringLiteral("range");
    const QString page = QStringLiteral("pageIndex");
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
        QJsonObject object = this->validObject();
        object.insert(key, value);
        EXPECT_FALSE(TypeParam::fromJson(object).has_value()) << qPrintable(
            key) << " = " << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
    }
}

TEST(RecordJsonTest, OneKindIsNotTheOther)
{
    const SentenceRecord sentence{QStringLiteral("One."), {0, 4}, 0};
    const ParagraphRecord paragraph{QStringLiteral("One."), {0, 4}, 0};
    EXPECT_FALSE(ParagraphRecord::fromJson(sentence.toJson()).has_value());
    EXPECT_FALSE(SentenceRecord::fromJson(paragraph.toJson()).has_value());
}

} // namespace
} // namespace narrata
