// A page's text layer, geometry, selections, marks and rendering through the MuPDF adapter.
#include "mupdffixtures.h"

#include "platform/pdf/pdfselection.h"

#include <QtConcurrent/QtConcurrentRun>

namespace narrata {
namespace {

using testing::FixturePage;
using testing::FixtureText;
using testing::PdfFixture;
using testing::textPage;

std::shared_ptr<PDFPage> firstPage(const std::unique_ptr<PDFDocument> &document)
{
    return document ? document->pageAtIndex(0) : nullptr;
}

TEST(MuPDFPage, TheTextSpellsOutLigaturesAndOverstruckAccentsAndCountsUtf16Units)
{
    const auto lines = openLines({QStringLiteral("The first line of a para-"), QStringLiteral("graph ends here.")});
    EXPECT_EQ(firstPage(lines)->string(), QStringLiteral("The first line of a para- graph ends here."))
        << "the lines of a block join with a space, and a hyphen keeps it";

    FixturePage old; // accents overstruck by old typesetting
    old.texts.push_back(
        {72, 700, QStringLiteral("Pr\u00B4eface and r`eglures"), QStringLiteral("Times-Roman"), 12, true});
    EXPECT_EQ(firstPage(openFixture(PdfFixture().addPage(old)))->string(), QStringLiteral("Préface and règlures"));

    const auto page = firstPage(openLines({QStringLiteral("A \U0001D400 then \uFB01ne \uFB02ow.")}));
    EXPECT_EQ(page->string(), QStringLiteral("A \U0001D400 then fine flow."));
    const qint64 t = page->string().indexOf(u't');
    ASSERT_EQ(t, 5) << "the bold A takes two units";
    EXPECT_EQ(page->characterIndexAtPoint(page->characterBoundsAtIndex(t).center()), t);
}

TEST(MuPDFPage, CharacterIndexAndBoundsAgreeBothWays)
{
    const auto document = openFixture(testing::sampleBook());
    const auto page = document->pageAtIndex(1);
    const QString text = page->string();
    ASSERT_GT(text.size(), 500);
    const QRectF pageBounds = page->boundsForBox(PDFDisplayBox::CropBox);
    for (qint64 i = 0; i < text.size(); ++i) {
        const QRectF box = page->characterBoundsAtIndex(i);
        ASSERT_TRUE(pageBounds.contains(box.center())) << i;
        if (box.width() == 0) {
            EXPECT_TRUE(text.at(i) == u' ' || text.at(i) == u'\n') << "only separators take no room: " << i;
            continue;
        }
        EXPECT_EQ(page->characterIndexAtPoint(box.center()), i) << i;
    }
    EXPECT_EQ(page->characterIndexAtPoint(QPointF(2, 2)), kNotFound);
}

TEST(MuPDFPage, PageSpaceIsTheDisplayedPageForCroppedAndRotatedPages)
{
    FixturePage cropped = textPage({QStringLiteral("Cropped")}, 700, 100);
    cropped.cropBox = QRectF(50, 50, 450, 692);
    FixturePage rotated = textPage({QStringLiteral("Rotated")}, 720, 72);
    rotated.rotate = 90;
    const auto document = openFixture(PdfFixture().addPage(cropped).addPage(rotated));

    const auto first = document->pageAtIndex(0);
    EXPECT_EQ(first->boundsForBox(PDFDisplayBox::CropBox), QRectF(0, 0, 450, 692));
    EXPECT_EQ(first->boundsForBox(PDFDisplayBox::MediaBox), QRectF(-50, -50, 612, 792));
    const QRectF c = first->characterBoundsAtIndex(0);
    EXPECT_NEAR(c.left(), 50, 1);
    EXPECT_LT(c.y(), 650);
    EXPECT_GT(c.y() + c.height(), 650) << "the box spans the baseline";

    // Turned a quarter clockwise, the page is displayed landscape; text that ran along the
    // top now runs down the right-hand side.
    const auto second = document->pageAtIndex(1);
    EXPECT_EQ(second->boundsForBox(PDFDisplayBox::CropBox), QRectF(0, 0, 792, 612));
    const QRectF r = second->characterBoundsAtIndex(0), o = second->characterBoundsAtIndex(1);
    EXPECT_NEAR(r.center().x(), 720, 12);
    EXPECT_NEAR(r.y() + r.height(), 612 - 72, 2);
    EXPECT_LT(o.center().y(), r.center().y()) << "the next letter is further down";
    EXPECT_EQ(second->characterIndexAtPoint(o.center()), 1);
}

TEST(MuPDFPage, FontRunsNameTheFontItsSizeAndFixedPitch)
{
    FixturePage page;
    page.texts.push_back({72, 700, QStringLiteral("Prose in Helvetica."), QStringLiteral("Helvetica"), 11});
    page.texts.push_back({72, 660, QStringLiteral("int main();"), QStringLiteral("Courier"), 9});
    const auto document = openFixture(PdfFixture().addPage(page));
    const AttributedString text = firstPage(document)->attributedString();
    ASSERT_EQ(text.string, QStringLiteral("Prose in Helvetica.\nint main();"));
    const auto prose = text.fontAtIndex(0), code = text.fontAtIndex(text.string.size() - 1);
    ASSERT_TRUE(prose && code);
    EXPECT_EQ(*prose, (PDFFont{QStringLiteral("Helvetica"), 11, false}));
    EXPECT_EQ(*code, (PDFFont{QStringLiteral("Courier"), 9, true}));
    EXPECT_EQ(fontNameWithoutSubsetTag(QStringLiteral("ABCDEF+CMR10")), QStringLiteral("CMR10"));
    EXPECT_EQ(fontNameWithoutSubsetTag(QStringLiteral("abcdef+CMR10")), QStringLiteral("abcdef+CMR10"));
}

TEST(MuPDFPage, SelectionsOfRangesAndLines)
{
    const auto document = openLines(
        {QStringLiteral("Alpha beta gamma"), QStringLiteral("delta epsilon zeta"), QStringLiteral("eta theta iota")});
    const auto page = firstPage(document);
    ASSERT_EQ(page->string(), QStringLiteral("Alpha beta gamma delta epsilon zeta eta theta iota"));

    const PDFSelection selection = page->selectionForRange({6, 24}); // "beta gamma delta epsilon"
    EXPECT_EQ(selection.string(), QStringLiteral("beta gamma delta epsilon"));
    EXPECT_EQ(selection.rangeAtIndex(0, *page), (TextRange{6, 24}));
    EXPECT_EQ(selection.rangeAtIndex(1, *page).location, static_cast<quint64>(kNotFound));
    ASSERT_EQ(selection.pages().size(), 1u);

    const std::vector<PDFSelection> lines = selection.selectionsByLine();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].string(), QStringLiteral("beta gamma"));
    EXPECT_EQ(lines[1].string(), QStringLiteral("delta epsilon"));
    const QRectF top = lines[0].boundsForPage(*page), bottom = lines[1].boundsForPage(*page);
    EXPECT_GT(top.y(), bottom.y()) << "the first line is higher on the page";
    EXPECT_EQ(selection.boundsForPage(*page), top.united(bottom));

    EXPECT_EQ(page->selectionForRect(bottom.adjusted(1, 1, -1, -1)).string(), QStringLiteral("delta epsilon"));
    EXPECT_TRUE(page->selectionForRange({500, 3}).isEmpty());

    PDFSelection joined = page->selectionForRange({0, 5});
    joined.addSelection(page->selectionForRange({40, 5}));
    joined.addSelection(page->selectionForRange({4, 3}));
    EXPECT_EQ(joined.numberOfTextRangesOnPage(*page), 2);
    EXPECT_EQ(joined.rangeAtIndex(0, *page), (TextRange{0, 7}));
    EXPECT_EQ(joined.string(), QStringLiteral("Alpha btheta"));
}

TEST(MuPDFPage, MarksAreListedAddedAndRemoved)
{
    const auto document = openLines({QStringLiteral("Something worth marking.")});
    const auto page = firstPage(document);
    const QRectF line = page->selectionForRange({0, 9}).boundsForPage(*page);
    const auto highlight
        = page->addAnnotation(PDFAnnotation::markup(PDFMarkupType::Highlight, {line}, AnnotationColor{255, 255, 0}));
    const auto underline
        = page->addAnnotation(PDFAnnotation::markup(PDFMarkupType::Underline, {line}, AnnotationColor{0, 0, 255}));
    ASSERT_TRUE(highlight && underline);
    ASSERT_EQ(page->annotations().size(), 2u);
    EXPECT_EQ(page->string(), QStringLiteral("Something worth marking.")) << "marks add no text";

    EXPECT_TRUE(page->removeAnnotation(*highlight));
    EXPECT_FALSE(page->removeAnnotation(*highlight)) << "already gone";
    const auto left = page->annotations();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].markupType, PDFMarkupType::Underline);
    EXPECT_EQ(left[0].id, underline->id);
}

TEST(MuPDFPage, RenderingIsTheSameFromManyThreadsAtOnce)
{
    const auto document = openFixture(testing::sampleBook());
    const auto page = document->pageAtIndex(0);
    const QRectF region = page->boundsForBox(PDFDisplayBox::CropBox);
    const PageImage reference = page->renderRegion(region, 1.0);
    ASSERT_EQ(reference.width, 612);
    ASSERT_EQ(reference.height, 792);
    ASSERT_GE(reference.bytesPerLine, 612 * 3);
    ASSERT_EQ(reference.pixels.size(), reference.bytesPerLine * 792);
    EXPECT_NE(reference.pixels.left(3), QByteArray(3, 0)) << "the page is white where nothing is drawn";
    // Text is drawn where the text layer says it is.
    const QRectF box = page->characterBoundsAtIndex(0);
    const PageImage letter = page->renderRegion(box, 4.0);
    bool inked = false;
    for (int y = 0; y < letter.height && !inked; ++y) {
        const auto *row = reinterpret_cast<const uchar *>(letter.pixels.constData() + y * letter.bytesPerLine);
        for (int x = 0; x < letter.width && !inked; ++x)
            inked = row[3 * x] + row[3 * x + 1] + row[3 * x + 2] < 3 * 128;
    }
    EXPECT_TRUE(inked);

    std::vector<QFuture<PageImage>> renders;
    for (int i = 0; i < 8; ++i)
        renders.push_back(QtConcurrent::run([&] { return page->renderRegion(region, 1.0); }));
    for (auto &render : renders)
        EXPECT_EQ(render.result(), reference);
    EXPECT_TRUE(page->renderRegion(QRectF(0, 0, 0, 10), 1.0).isNull());
}

TEST(MuPDFPage, TwoColumnArticleReadsTitleThenEachColumn)
{
    const auto document = openFixture(testing::sampleTwoColumnArticle());
    const QString text = firstPage(document)->string();
    QStringList expected{
        QString::fromLatin1(testing::sampleArticleTitle), QString::fromLatin1(testing::sampleArticleSubtitle)};
    expected += testing::sampleArticleParagraphs();
    // The comparison is about order: a paragraph that runs on into the next column is two
    // blocks on the page, and hyphenated line ends are kept as "- ".
    QString flowing = text;
    flowing.replace(u'\n', u' ').replace(QStringLiteral("- "), QString());
    EXPECT_EQ(flowing, expected.join(u' '));
    EXPECT_TRUE(text.startsWith(expected.first() + u'\n' + expected.at(1) + u'\n'));
}

} // namespace
} // namespace narrata
