#include "text/documentsentences.h"

#include "printers.h"
#include "text/sentencesegmentation.h"

#include "support/fakedocument.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

using testing::FakeDocument;
using testing::FakePage;

const QString kFirstPage = QStringLiteral("Cover page");
const QString kSecondPage = QStringLiteral("A heading\nFirst sentence. Second one.");

class DocumentSentencesTest : public ::testing::Test {
protected:
    FakeDocument document{{
        std::make_shared<FakePage>(kFirstPage),
        std::make_shared<FakePage>(kSecondPage),
        std::make_shared<FakePage>(QString()),
        nullptr,
    }};
};

TEST_F(DocumentSentencesTest, SegmentsThePageText)
{
    const std::vector<SentenceRecord> expected{
        {QStringLiteral("A heading"), {0, 9}, 1},
        {QStringLiteral("First sentence."), {10, 15}, 1},
        {QStringLiteral("Second one."), {26, 11}, 1},
    };
    EXPECT_EQ(sentencesOnPageIndex(document, 1), expected);
    EXPECT_EQ(sentencesOnPageIndex(document, 0), (std::vector<SentenceRecord>{{kFirstPage, {0, 10}, 0}}));
}

TEST_F(DocumentSentencesTest, NoPageOrNoTextGivesNothing)
{
    EXPECT_TRUE(sentencesOnPageIndex(document, -1).empty());
    EXPECT_TRUE(sentencesOnPageIndex(document, 2).empty());
    EXPECT_TRUE(sentencesOnPageIndex(document, 3).empty());
    EXPECT_TRUE(sentencesOnPageIndex(document, 4).empty());
    EXPECT_TRUE(sentencesOnPageIndex(FakeDocument({}), 0).empty());
}

TEST_F(DocumentSentencesTest, SelectionPicksThePageOnly)
{
    // Only the page index of the record matters, not its text or range.
    const SentenceRecord selection{QStringLiteral("unrelated"), {500, 3}, 1};
    EXPECT_EQ(sentencesOnPageWithSelection(document, selection), sentencesOnPageIndex(document, 1));
    for (qint64 page : {qint64(-1), qint64(4), qint64(1) << 32 | 1, kNotFound})
        EXPECT_TRUE(sentencesOnPageWithSelection(document, {QString(), {}, page}).empty()) << page;
}

} // namespace
} // namespace narrata
