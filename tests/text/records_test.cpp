// Sentence and paragraph records: their JSON, the paragraph lists of a page, edge sentences for
// fast skipping, and the numeral-free form of a head.
#include "text/paragraphrecord.h"
#include "text/paragraphsets.h"
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

template<typename Record> QStringList texts(const std::vector<Record> &records)
{
    QStringList result;
    for (const Record &record : records)
        result << record.toJson().value(textKey<Record>()).toString();
    return result;
}

const QString kFive = QStringLiteral("P1\nP2\nP3\nP4\nP5");

TEST(ParagraphSets, InitialAndLastParagraphsKeepTextOrder)
{
    EXPECT_EQ(texts(setOfInitialParagraphsUpto(kFive, 3, 0)), QStringList({"P1", "P2", "P3"}));
    EXPECT_EQ(texts(setOfInitialParagraphsUpto(QStringLiteral("A\nB"), 3, 0)), QStringList({"A", "B"}));
    EXPECT_TRUE(setOfInitialParagraphsUpto(kFive, 0, 0).empty());
    EXPECT_TRUE(setOfInitialParagraphsUpto(kFive, -2, 0).empty());
    EXPECT_EQ(texts(setOfLastParagraphsUpto(kFive, 3, 0)), QStringList({"P3", "P4", "P5"}));
    EXPECT_EQ(texts(setOfLastParagraphsUpto(kFive, 9, 0)).size(), 5);
    EXPECT_TRUE(setOfLastParagraphsUpto(kFive, 0, 0).empty());
    const std::vector<ParagraphRecord> all = setOfAllParagraphsonPageIndex(kFive, 7);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[4], (ParagraphRecord{QStringLiteral("P5"), {12, 2}, 7}));
}

TEST(ParagraphSets, EdgeSentencesAreTheFirstTwoAndLastTwoOfEachParagraph)
{
    const QString text = QStringLiteral("Head line\n"
                                        "One. Two. Three. Four. Five.\n"
                                        "Uno. Dos. Tres. Cuatro.\n"
                                        "Ein. Zwei. Drei.");
    const std::vector<SentenceRecord> edges = setOfEdgeSentencesFromIndex(text, 0, 2);
    EXPECT_EQ(texts(edges),
        QStringList({"Head line", "One.", "Two.", "Four.", "Five.", "Uno.", "Dos.", "Tres.", "Cuatro.", "Ein.", "Zwei.",
            "Drei."}));
    for (const SentenceRecord &s : edges) {
        EXPECT_EQ(
            text.mid(static_cast<qsizetype>(s.range.location), static_cast<qsizetype>(s.range.length)), s.sentence)
            << "ranges are page-text ranges";
        EXPECT_EQ(s.pageIndex, 2);
    }
    // From inside the second paragraph: that paragraph from its first sentence on.
    EXPECT_EQ(texts(setOfEdgeSentencesFromIndex(text, text.indexOf(QStringLiteral("Four")), 2)).first(),
        QStringLiteral("One."));
    EXPECT_TRUE(setOfEdgeSentencesFromIndex(text, text.size(), 2).empty());
    EXPECT_TRUE(setOfEdgeSentencesFromIndex(QStringLiteral("A\n\nB."), 0, 0).size() == 2)
        << "an empty paragraph gives nothing";
}

TEST(ParagraphSets, NumeralsAreTakenOutOfHeadsAndFeet)
{
    const std::pair<QString, QString> rows[] = {{"Chapter 4 Results 17", "ChapterResults"}, {"Chapter IV", "Chapter"},
        {"Page 3 of 10", "Pageof"}, {"- 12 -", ""}, {"xiv", ""}, {"Preface vii", "Preface"}, {"mix", "mix"},
        {"Xiv Mild", "XivMild"}}; // mixed case is a word, not a numeral
    for (const auto &[head, cleaned] : rows)
        EXPECT_EQ(cleanedStringForHeaderFooterNumerals(head), cleaned) << qPrintable(head);
}

} // namespace
} // namespace narrata
