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

TEST_F(DocumentSentencesTest, NoPageOrNoTextGivesNothingAndASelectionPicksThePageOnly)
{
    for (int page : {-1, 2, 3, 4})
        EXPECT_TRUE(sentencesOnPageIndex(document, page).empty()) << page;
    for (qint64 page : {qint64(-1), qint64(4), qint64(1) << 32 | 1, kNotFound})
        EXPECT_TRUE(sentencesOnPageWithSelection(document, {QString(), {}, page}).empty()) << page;
    EXPECT_TRUE(sentencesOnPageIndex(FakeDocument({}), 0).empty());
    const SentenceRecord selection{QStringLiteral("unrelated"), {500, 3}, 1};
    EXPECT_EQ(sentencesOnPageWithSelection(document, selection), sentencesOnPageIndex(document, 1));
}

} // namespace
} // namespace narrata
