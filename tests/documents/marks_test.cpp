// Highlights and underlines on the selected lines: added once per line, taken off one at a
// time, and kept in the file after a re-save.
#include "delegaterig.h"

#include "documents/pagemarks.h"

#include <QSignalSpy>

namespace narrata {
namespace {

using testing::DelegateTest;
using testing::PdfFixture;
using testing::textPage;

QByteArray twoLines()
{
    return PdfFixture()
        .addPage(textPage({QStringLiteral("The first line of the page."), QStringLiteral("And a second one below.")}))
        .bytes();
}

// The kinds of the marks on the page, in the page's order: H for highlight, U for underline.
QString kinds(const PDFPage &page)
{
    QString text;
    for (const PDFAnnotation &mark : page.annotations())
        text += mark.markupType == PDFMarkupType::Highlight ? QLatin1Char('H') : QLatin1Char('U');
    return text;
}

TEST(PageMarks, LinesAreRoundedDownAndOnlyAWholeLineInsideAMarkIsCovered)
{
    EXPECT_EQ(PageMarks::lineRectangle({72.6, 700.4, 100.7, 11.9}), QRectF(72, 700, 100, 11));
    const QRectF mark(72, 700, 100, 11);
    EXPECT_TRUE(PageMarks::covers(mark, mark));
    EXPECT_TRUE(PageMarks::covers(mark, {80, 701, 20, 5}));
    EXPECT_FALSE(PageMarks::covers(mark, {80, 701, 100, 5}));
    EXPECT_FALSE(PageMarks::covers(mark, {80, 701, 0, 5})) << "an empty line is never covered";
}

TEST(PageMarks, EachLineIsMarkedOnceAndEachRemovalTakesTheLatestMark)
{
    const std::unique_ptr<PDFDocument> document = MuPDFService().openData(twoLines());
    const std::shared_ptr<PDFPage> page = document->pageAtIndex(0);
    const PDFSelection both = page->selectionForRange({0, static_cast<quint64>(page->string().size())});
    const PDFSelection partOfFirst = page->selectionForRange({4, 5});

    EXPECT_TRUE(PageMarks::addMarks(*document, both, PDFMarkupType::Highlight));
    EXPECT_FALSE(PageMarks::addMarks(*document, both, PDFMarkupType::Highlight));
    EXPECT_FALSE(PageMarks::addMarks(*document, partOfFirst, PDFMarkupType::Highlight));
    EXPECT_TRUE(PageMarks::addMarks(*document, both, PDFMarkupType::Underline));
    EXPECT_EQ(kinds(*page), QStringLiteral("HHUU"));

    EXPECT_TRUE(PageMarks::removeMarks(*document, both));
    EXPECT_EQ(kinds(*page), QStringLiteral("HH"));
    EXPECT_TRUE(PageMarks::removeMarks(*document, partOfFirst));
    EXPECT_EQ(kinds(*page), QStringLiteral("H"));
    EXPECT_TRUE(PageMarks::removeMarks(*document, both));
    EXPECT_FALSE(PageMarks::removeMarks(*document, both));
    EXPECT_EQ(kinds(*page), QString());
}

TEST_F(DelegateTest, MarksAreSavedIntoTheFileButNeverIntoTheGuide)
{
    const QString path = writeFile(QStringLiteral("marked.pdf"), twoLines());
    ASSERT_TRUE(documents().openFileInternal(path));
    const std::shared_ptr<PDFPage> page = view.document()->pageAtIndex(0);
    ASSERT_TRUE(PageMarks::addMarks(*view.document(), page->selectionForRange({0, 10}), PDFMarkupType::Underline));
    QSignalSpy written(&delegate->saving(), &DocumentSaving::writeFinished);
    delegate->savePDF();
    ASSERT_TRUE(written.wait(5000));
    EXPECT_EQ(kinds(*pdfService.openFile(path)->pageAtIndex(0)), QStringLiteral("U"));
    EXPECT_EQ(kinds(*documents().pdfDocument()->pageAtIndex(0)), QStringLiteral("U"));

    documents().resetToDefaultPDF();
    const QByteArray guide = [&] {
        QFile file(guidePath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    ASSERT_TRUE(PageMarks::addMarks(
        *view.document(), view.document()->pageAtIndex(0)->selectionForRange({0, 10}), PDFMarkupType::Highlight));
    delegate->savePDF();
    delegate->savePDF();
    ASSERT_EQ(desktop.warnings.size(), 1u);
    EXPECT_EQ(desktop.warnings[0].messageText, QStringLiteral("Marks cannot be saved in \"Narrata User Guide.pdf\""));
    QFile file(guidePath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), guide);
}

} // namespace
} // namespace narrata
