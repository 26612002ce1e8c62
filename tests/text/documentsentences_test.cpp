#include "text/documentsentences.h"

#include "printers.h"
#include "text/sentencesegmentation.h"

#include "support/fakedocument.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

using testing::FakeDocument;
using testing::FakePage;

TEST(DocumentSentences, ArePageSentencesOfTheSelectedPageAndNothingWithoutAPageOrText)
{
    const QString text = QStringLiteral("A heading\nFirst sentence. Second one.");
    const FakeDocument document{{std::make_shared<FakePage>(QStringLiteral("Cover page")),
        std::make_shared<FakePage>(text), std::make_shared<FakePage>(QString()), nullptr}};
    EXPECT_EQ(sentencesOnPageIndex(document, 1), sentencesOnPageIndex(text, 1));
    for (int page : {-1, 2, 3, 4})
        EXPECT_TRUE(sentencesOnPageIndex(document, page).empty()) << page;
    EXPECT_TRUE(sentencesOnPageIndex(FakeDocument({}), 0).empty());

    // Only the page index of the selection matters, not its text or range.
    const SentenceRecord selection{QStringLiteral("unrelated"), {500, 3}, 1};
    EXPECT_EQ(sentencesOnPageWithSelection(document, selection), sentencesOnPageIndex(text, 1));
    for (qint64 page : {qint64(-1), qint64(4), qint64(1) << 32 | 1, kNotFound})
        EXPECT_TRUE(sentencesOnPageWithSelection(document, {QString(), {}, page}).empty()) << page;
}

} // namespace
} // namespace narrata
