#include "text/documentsentences.h"

#include "printers.h"
#include "text/sentencesegmentation.h"

#include "platform/pdf/pdfdocument.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

// A page that is nothing but its text.
class FakePage : public PDFPage {
public:
    explicit FakePage(const QString &text)
        : m_layer(text, std::vector<TextLayer::Unit>(static_cast<size_t>(text.size())), {}, {}, {})
    {
    }

    const TextLayer &textLayer() const override { return m_layer; }
    QRectF boundsForBox(PDFDisplayBox) const override { return {}; }
    std::vector<PDFAnnotation> annotations() const override { return {}; }
    std::optional<PDFAnnotation> addAnnotation(const PDFAnnotation &) override { return std::nullopt; }
    bool removeAnnotation(const PDFAnnotation &) override { return false; }
    QImage renderRegion(const QRectF &, double) const override { return {}; }

private:
    TextLayer m_layer;
};

// A read-only document over fake pages; a null entry is a page that fails to load.
class FakeDocument : public PDFDocument {
public:
    explicit FakeDocument(std::vector<std::shared_ptr<PDFPage>> pages)
        : m_pages(std::move(pages))
    {
    }

    bool isEncrypted() const override { return false; }
    bool isLocked() const override { return false; }
    bool unlockWithPassword(const QString &) override { return true; }
    QUrl documentURL() const override { return {}; }
    int pageCount() const override { return static_cast<int>(m_pages.size()); }
    std::shared_ptr<PDFPage> pageAtIndex(int index) const override
    {
        return index >= 0 && index < pageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
    }
    int indexForPage(const PDFPage &page) const override
    {
        for (size_t i = 0; i < m_pages.size(); ++i)
            if (m_pages[i].get() == &page)
                return static_cast<int>(i);
        return -1;
    }
    bool insertPage(const PDFPage &, int) override { return false; }
    bool removePageAtIndex(int) override { return false; }
    bool writeToFile(const QString &) override { return false; }
    QByteArray dataRepresentation() const override { return {}; }
    std::optional<PDFOutline> outlineRoot() const override { return std::nullopt; }
    bool setOutlineRoot(const PDFOutline &) override { return false; }
    std::unique_ptr<PDFDocument> copy() const override { return std::make_unique<FakeDocument>(m_pages); }

private:
    std::vector<std::shared_ptr<PDFPage>> m_pages;
};

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
}

TEST_F(DocumentSentencesTest, SelectionOnNoPageGivesNothing)
{
    for (qint64 page : {qint64(-1), qint64(4), qint64(1) << 32 | 1, kNotFound})
        EXPECT_TRUE(sentencesOnPageWithSelection(document, {QString(), {}, page}).empty()) << page;
}

} // namespace
} // namespace narrata
