// The sentences of a page and where they start, from its text or from the document.
#include "text/sentencesegmentation.h"

#include "printers.h"
#include "support/fakedocument.h"
#include "text/documentsentences.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

const QString kTwoShort = QStringLiteral("Hi there. Bye now.");

TEST(SentencesOnPageTest, RecordsCarryTextUtf16RangeAndPageTrimmedOfWhiteSpace)
{
    EXPECT_EQ(sentencesOnPageIndex(kTwoShort, 4),
        (std::vector<SentenceRecord>{
            {QStringLiteral("Hi there."), {0, 9}, 4}, {QStringLiteral("Bye now."), {10, 8}, 4}}));
    EXPECT_EQ(sentencesOnPageIndex(QStringLiteral("  \U0001F600 Hi.\n\U0001D400 next "), 0),
        (std::vector<SentenceRecord>{
            {QStringLiteral("\U0001F600 Hi."), {2, 6}, 0}, {QStringLiteral("\U0001D400 next"), {9, 7}, 0}}));
}

TEST(StartLocationTest, TheSentenceHoldingAnIndexStartsAfterTheWhiteSpaceBeforeIt)
{
    const struct {
        QString text;
        qint64 index;
        qint64 start;
    } rows[] = {
        {kTwoShort, 0, 0},
        {kTwoShort, 8, 0},
        {kTwoShort, 9, 0}, // the space after a sentence belongs to it
        {kTwoShort, 10, 10},
        {kTwoShort, 17, 10},
        {"\n  First. Second", 0, 3}, // leading white space belongs to the first sentence
        {kTwoShort, kTwoShort.size(), -1},
        {kTwoShort, kTwoShort.size() + 5, -1},
        {kTwoShort, -1, -1},
        {kTwoShort, kNotFound, -1},
        {"   ", 1, -1},
        {"", 0, -1},
    };
    for (const auto &[text, index, start] : rows)
        EXPECT_EQ(startLocationOfSentenceAtIndex(text, index), start) << qPrintable(text) << " at " << index;
}

TEST(SentencesFromIndexTest, StartsAtTheSentenceHoldingTheIndexAndOutsideTheTextGivesNothing)
{
    for (const QString &text : {kTwoShort, QStringLiteral("  One. Two.\nThree"), QStringLiteral("Single")})
        EXPECT_EQ(setOfSentencesFromIndex(text, 0, 2), sentencesOnPageIndex(text, 2)) << qPrintable(text);
    const QString text = QStringLiteral("One. Two. Three.   ");
    const std::vector<SentenceRecord> all = sentencesOnPageIndex(text, 1);
    ASSERT_EQ(all.size(), 3u);
    const auto from
        = [&all](std::ptrdiff_t first) { return std::vector<SentenceRecord>(all.begin() + first, all.end()); };
    EXPECT_EQ(setOfSentencesFromIndex(text, 4, 1), all) << "the space after a sentence belongs to it";
    EXPECT_EQ(setOfSentencesFromIndex(text, 5, 1), from(1));
    EXPECT_EQ(setOfSentencesFromIndex(text, 12, 1), from(2));
    EXPECT_EQ(setOfSentencesFromIndex(text, text.size() - 1, 1), from(2)) << "and trailing space to the last";
    for (const qint64 outside : {text.size(), qint64(-1), kNotFound})
        EXPECT_TRUE(setOfSentencesFromIndex(text, outside, 0).empty()) << outside;
    EXPECT_TRUE(setOfSentencesFromIndex(QStringLiteral("  \n "), 1, 0).empty());
}

TEST(DocumentSentences, ArePageSentencesOfTheSelectedPageAndNothingWithoutAPageOrText)
{
    const QString text = QStringLiteral("A heading\nFirst sentence. Second one.");
    const testing::FakeDocument document{{std::make_shared<testing::FakePage>(QStringLiteral("Cover page")),
        std::make_shared<testing::FakePage>(text), std::make_shared<testing::FakePage>(QString()), nullptr}};
    EXPECT_EQ(sentencesOnPageIndex(document, 1), sentencesOnPageIndex(text, 1));
    for (int page : {-1, 2, 3, 4})
        EXPECT_TRUE(sentencesOnPageIndex(document, page).empty()) << page;
    EXPECT_TRUE(sentencesOnPageIndex(testing::FakeDocument({}), 0).empty());

    // Only the page index of the selection matters, not its text or range.
    const SentenceRecord selection{QStringLiteral("unrelated"), {500, 3}, 1};
    EXPECT_EQ(sentencesOnPageWithSelection(document, selection), sentencesOnPageIndex(text, 1));
    for (qint64 page : {qint64(-1), qint64(4), qint64(1) << 32 | 1, kNotFound})
        EXPECT_TRUE(sentencesOnPageWithSelection(document, {QString(), {}, page}).empty()) << page;
}

} // namespace
} // namespace narrata
