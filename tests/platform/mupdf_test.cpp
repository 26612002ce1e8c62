// Opening, editing and writing documents through the MuPDF adapter, with a page's text layer,
// geometry, selections, marks and rendering; and the text layer built from glyphs as a PDF
// library hands them over.
#include "platform/mupdf/mupdfservice.h"
#include "platform/pdf/pdfselection.h"
#include "platform/pdf/textlayerbuilder.h"

#include "support/pdffixture.h"
#include "support/qtprinters.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>

#include <gtest/gtest.h>

namespace narrata {
namespace {

using testing::FixturePage;
using testing::PdfFixture;
using testing::textPage;

std::unique_ptr<PDFDocument> openFixture(const PdfFixture &fixture)
{
    return MuPDFService().openData(fixture.bytes());
}

std::unique_ptr<PDFDocument> openLines(const QStringList &lines)
{
    return openFixture(PdfFixture().addPage(textPage(lines)));
}

std::shared_ptr<PDFPage> firstPage(const std::unique_ptr<PDFDocument> &document)
{
    return document ? document->pageAtIndex(0) : nullptr;
}

PdfFixture threePages()
{
    PdfFixture fixture;
    for (const char *text : {"First page.", "Second page.", "Third page."})
        fixture.addPage(textPage({QString::fromLatin1(text)}));
    return fixture;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(MuPDFDocument, OpensFromFileOrBytesWithPagesThatKnowTheirIndexAndOutliveTheDocument)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("three.pdf"));
    ASSERT_TRUE(threePages().writeTo(path));
    const auto fromFile = MuPDFService().openFile(path);
    auto document = openFixture(threePages());
    ASSERT_TRUE(fromFile && document);
    EXPECT_EQ(fromFile->pageCount(), 3);
    EXPECT_EQ(fromFile->documentURL().toLocalFile(), path);
    EXPECT_TRUE(document->documentURL().isEmpty());
    EXPECT_EQ(fromFile->pageAtIndex(2)->string(), document->pageAtIndex(2)->string());

    const auto second = document->pageAtIndex(1);
    EXPECT_EQ(document->pageAtIndex(1), second) << "one object per page";
    EXPECT_EQ(document->indexForPage(*second), 1);
    EXPECT_EQ(document->pageAtIndex(3), nullptr);
    EXPECT_EQ(document->pageAtIndex(-1), nullptr);
    EXPECT_EQ(document->indexForPage(*fromFile->pageAtIndex(1)), -1) << "a page of another document";

    document.reset();
    EXPECT_EQ(second->string(), QStringLiteral("Second page.")) << "pages outlive their document";
    EXPECT_FALSE(second->renderRegion(second->boundsForBox(PDFDisplayBox::CropBox), 0.5).isNull());
}

TEST(MuPDFDocument, RefusesWhatIsNotAReadablePDFAndSurvivesDamageAndLies)
{
    QTemporaryDir dir;
    const std::vector<std::pair<const char *, QByteArray>> bad{
        {"empty", QByteArray()},
        {"text", QByteArray("Just some words, no PDF at all.\n")},
        {"header only", QByteArray("%PDF-1.7\n")},
        {"garbage after the header", QByteArray("%PDF-1.4\n") + QByteArray(5000, '\x9c')},
    };
    for (const auto &[name, bytes] : bad) {
        EXPECT_EQ(MuPDFService().openData(bytes), nullptr) << name;
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(testing::writeBytes(path, bytes));
        EXPECT_EQ(MuPDFService().openFile(path), nullptr) << name;
    }
    EXPECT_EQ(MuPDFService().openFile(dir.filePath(QStringLiteral("missing.pdf"))), nullptr);
    EXPECT_EQ(MuPDFService().openFile(dir.path()), nullptr) << "a folder";

    // Damaged files never crash, whatever is left of them.
    const QByteArray good = testing::sampleBook().bytes();
    for (qsizetype cut = 64; cut < good.size(); cut += good.size() / 23) {
        QByteArray damaged = good;
        damaged[cut] = 'X';
        damaged.remove(cut / 2, 17);
        for (const QByteArray &bytes : {damaged, good.left(cut)}) {
            const auto document = MuPDFService().openData(bytes);
            if (!document)
                continue;
            for (int i = 0; i < document->pageCount(); ++i)
                if (const auto page = document->pageAtIndex(i))
                    (void)page->string();
        }
    }

    // A page tree that claims billions of pages, the lie that once ended every command with
    // bad_alloc: a vector sized to the claim.
    QByteArray lying = good;
    lying.replace("/Count 6", "/Count 2147483647");
    const auto document = MuPDFService().openData(lying);
    ASSERT_NE(document, nullptr);
    EXPECT_LT(document->pageCount(), 100) << "no more pages than the file has objects";
    EXPECT_NE(document->pageAtIndex(5), nullptr);
    EXPECT_EQ(document->pageAtIndex(document->pageCount() - 1), nullptr);
}

TEST(MuPDFDocument, PagesAreGivenUpOnceAllWorkIsAborted)
{
    // What Ctrl-C and a closing window do: a page that would take minutes is not waited for.
    // (Each test runs in a process of its own, so no other test sees the abort.)
    const auto document = MuPDFService().openData(testing::sampleBook().bytes());
    ASSERT_NE(document, nullptr);
    ASSERT_FALSE(document->pageAtIndex(0)->string().isEmpty());
    MuPDFService::abortAllWork();
    EXPECT_TRUE(document->pageAtIndex(1)->string().isEmpty());
    EXPECT_TRUE(document->pageAtIndex(1)->renderRegion({0, 0, 100, 100}, 1).isNull());
}

TEST(MuPDFDocument, EncryptionAndLocking)
{
    const PdfFixture book = testing::sampleBook();
    const auto encrypted = MuPDFService().openData(book.encryptedBytes(QString(), QStringLiteral("owner")));
    ASSERT_TRUE(encrypted);
    EXPECT_TRUE(encrypted->isEncrypted());
    EXPECT_FALSE(encrypted->isLocked());
    EXPECT_FALSE(encrypted->pageAtIndex(0)->string().isEmpty());

    const auto locked = MuPDFService().openData(book.encryptedBytes(QStringLiteral("secret"), QStringLiteral("owner")));
    ASSERT_TRUE(locked);
    EXPECT_TRUE(locked->isLocked());
    EXPECT_EQ(locked->pageAtIndex(0), nullptr) << "nothing is read before the password";
    EXPECT_FALSE(locked->outlineRoot().has_value());
    EXPECT_FALSE(locked->unlockWithPassword(QStringLiteral("wrong")));
    EXPECT_TRUE(locked->isLocked());
    EXPECT_TRUE(locked->unlockWithPassword(QStringLiteral("secret")));
    EXPECT_FALSE(locked->isLocked());
    EXPECT_EQ(locked->pageAtIndex(0)->string(), encrypted->pageAtIndex(0)->string());
    EXPECT_FALSE(locked->copy()->isLocked()) << "a copy of an unlocked document is unlocked";
}

TEST(MuPDFDocument, InsertedPagesComeFromTheOtherDocumentAndShiftTheRest)
{
    const auto document = openFixture(threePages());
    const auto donor = openLines({QStringLiteral("A page from elsewhere.")});
    const auto oldSecond = document->pageAtIndex(1);

    ASSERT_TRUE(document->insertPage(*donor->pageAtIndex(0), 1));
    EXPECT_EQ(document->pageCount(), 4);
    EXPECT_EQ(document->pageAtIndex(1)->string(), QStringLiteral("A page from elsewhere."));
    EXPECT_EQ(document->pageAtIndex(2)->string(), QStringLiteral("Second page."));
    EXPECT_EQ(document->indexForPage(*oldSecond), 2);
    EXPECT_FALSE(document->insertPage(*donor->pageAtIndex(0), 9));

    ASSERT_TRUE(document->insertPage(*donor->pageAtIndex(0), 4));
    EXPECT_EQ(document->pageAtIndex(4)->string(), QStringLiteral("A page from elsewhere."));
    donor.get()->removePageAtIndex(0);
    EXPECT_EQ(document->pageAtIndex(4)->string(), QStringLiteral("A page from elsewhere."))
        << "the inserted page does not depend on its source";
}

TEST(MuPDFDocument, ACopyIsIndependentKeepsItsFileNameAndShowsTheDocumentAsItIsNow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("three.pdf"));
    ASSERT_TRUE(threePages().writeTo(path));
    const auto original = MuPDFService().openFile(path);
    const auto replaced = MuPDFService().openFile(path);
    ASSERT_TRUE(original && replaced);
    const auto copy = original->copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->documentURL().toLocalFile(), path);
    ASSERT_TRUE(copy->removePageAtIndex(0));
    ASSERT_TRUE(copy->pageAtIndex(0)->addAnnotation(
        PDFAnnotation::markup(PDFMarkupType::Highlight, {QRectF(72, 700, 100, 14)}, AnnotationColor{255, 255, 0})));
    EXPECT_EQ(original->pageCount(), 3);
    EXPECT_EQ(original->pageAtIndex(1)->annotations().size(), 0u);
    EXPECT_EQ(copy->pageCount(), 2);

    // Changed in memory: the copy has the change, not the file's pages.
    ASSERT_TRUE(original->removePageAtIndex(0));
    const auto edited = original->copy();
    EXPECT_EQ(edited->pageCount(), 2);
    EXPECT_EQ(edited->documentURL().toLocalFile(), path);

    // Changed on disk since it was opened: the copy is of what was opened.
    ASSERT_TRUE(PdfFixture().addPage(textPage({QStringLiteral("Something else entirely.")})).writeTo(path));
    EXPECT_EQ(replaced->copy()->pageCount(), 3);
}

PDFOutline sampleOutline()
{
    PDFOutline root;
    PDFOutline chapter{QStringLiteral("Chapter One — «Beginnings»"), {0, QPointF(72, 700)}, {}};
    chapter.insertChild({QStringLiteral("Section 1.1"), {1, QPointF(0, 400)}, {}}, 0);
    chapter.insertChild({QStringLiteral("Section 1.2"), {1, QPointF(0, 200)}, {}}, 1);
    root.insertChild(chapter, 0);
    root.insertChild({QStringLiteral("Appendix"), {2, QPointF(10, 792)}, {}}, 1);
    return root;
}

TEST(MuPDFDocument, MarksComeAndGoAndWrittenFilesKeepThemAndTheOutlineButAFailedWriteChangesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("written.pdf"));
    const auto document = openFixture(threePages());
    ASSERT_TRUE(document->setOutlineRoot(sampleOutline()));
    // Marks are listed, added and removed, and add no text.
    const auto page = document->pageAtIndex(1);
    const auto highlight = page->addAnnotation(
        PDFAnnotation::markup(PDFMarkupType::Highlight, {QRectF(72, 716, 80, 12)}, AnnotationColor{255, 255, 0}));
    const auto marked = page->addAnnotation(
        PDFAnnotation::markup(PDFMarkupType::Underline, {QRectF(72, 716, 80, 12)}, AnnotationColor{255, 0, 0}));
    ASSERT_TRUE(highlight && marked);
    ASSERT_EQ(page->annotations().size(), 2u);
    EXPECT_EQ(page->string(), QStringLiteral("Second page."));
    EXPECT_TRUE(page->removeAnnotation(*highlight));
    EXPECT_FALSE(page->removeAnnotation(*highlight)) << "already gone";
    ASSERT_EQ(page->annotations().size(), 1u);
    EXPECT_EQ(page->annotations()[0].id, marked->id);
    ASSERT_TRUE(document->writeToFile(path));
    EXPECT_EQ(document->documentURL().toLocalFile(), path);

    const auto reopened = MuPDFService().openFile(path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->outlineRoot(), sampleOutline());
    const auto marks = reopened->pageAtIndex(1)->annotations();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].markupType, PDFMarkupType::Underline);
    EXPECT_EQ(marks[0].color, (AnnotationColor{255, 0, 0}));
    EXPECT_NEAR(marks[0].bounds.left(), 72, 0.01);
    EXPECT_NEAR(marks[0].bounds.width(), 80, 0.01);
    EXPECT_NEAR(marks[0].bounds.y(), 716, 0.01);

    ASSERT_TRUE(reopened->setOutlineRoot(PDFOutline{}));
    EXPECT_FALSE(MuPDFService().openData(reopened->dataRepresentation())->outlineRoot().has_value());

    // A write that fails leaves the file, and the name the document goes by, as they were.
    const QByteArray written = contents(path);
    EXPECT_FALSE(document->writeToFile(dir.filePath(QStringLiteral("no/such/folder/file.pdf"))));
    EXPECT_FALSE(document->writeToFile(dir.path())) << "a folder is not replaced";
    EXPECT_EQ(contents(path), written);
    EXPECT_EQ(document->documentURL().toLocalFile(), path);
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

constexpr double kAdvance = 6;

// A line of glyphs set left to right from (x, baseline), each kAdvance wide and size tall.
GlyphLine lineOf(const std::u32string &text, double x, double baseline, int font = 0, double size = 10)
{
    GlyphLine line;
    for (char32_t c : text) {
        line.glyphs.push_back({c, QRectF(x, baseline - 0.2 * size, kAdvance, size), font});
        x += kAdvance;
    }
    return line;
}

RawPageText pageOf(std::vector<GlyphBlock> blocks, std::vector<PDFFont> fonts = {{"Times-Roman", 10, false}})
{
    return {std::move(blocks), std::move(fonts)};
}

TEST(TextLayerBuilder, JoinsLinesWithOneSpaceAndBlocksWithOneLineFeedThatTakeNoRoom)
{
    const TextLayer layer = buildTextLayer(pageOf({
        {{lineOf(U"The first exam-", 72, 700), lineOf(U"ple is here.", 72, 688)}},
        {{lineOf(U"Second  block ", 72, 600)}},
    }));
    EXPECT_EQ(layer.string(), QStringLiteral("The first exam- ple is here.\nSecond block"));
    ASSERT_EQ(layer.blocks().size(), 2u);
    EXPECT_EQ(layer.blocks()[1], (TextRange{29, 12}));
    ASSERT_EQ(layer.lines().size(), 3u);
    EXPECT_EQ(layer.lines()[1].range, (TextRange{16, 12}));
    // A separator's box has no width and follows the character before it, which a hit finds.
    for (qint64 separator : {15, 28}) {
        const QRectF box = layer.characterBoundsAtIndex(separator);
        EXPECT_EQ(box.width(), 0);
        EXPECT_EQ(box.left(), layer.characterBoundsAtIndex(separator - 1).right());
        EXPECT_EQ(layer.characterIndexAtPoint(box.center()), separator - 1) << "a separator is never hit";
    }
}

TEST(TextLayerBuilder, WideCharactersLigaturesAndOverstruckAccentsKeepTheirBoxes)
{
    // Characters outside the basic plane take two units with one box.
    const TextLayer wide = buildTextLayer(pageOf({{{lineOf(U"x\U0001D400y", 72, 700)}}}));
    ASSERT_EQ(wide.string().size(), 4);
    EXPECT_TRUE(wide.string().at(1).isHighSurrogate());
    EXPECT_EQ(wide.characterBoundsAtIndex(1), wide.characterBoundsAtIndex(2));
    EXPECT_EQ(wide.string().at(3), u'y');
    EXPECT_EQ(wide.characterBoundsAtIndex(3).left(), 72 + 2 * kAdvance);

    // Ligatures become letters that share the glyph box.
    const TextLayer ligatures = buildTextLayer(pageOf({{{lineOf(U"e\uFB03cient \uFB02ow \uFB00", 72, 700)}}}));
    EXPECT_EQ(ligatures.string(), QStringLiteral("efficient flow ff"));
    const QRectF f = ligatures.characterBoundsAtIndex(1), i = ligatures.characterBoundsAtIndex(3);
    EXPECT_DOUBLE_EQ(f.width(), kAdvance / 3);
    EXPECT_DOUBLE_EQ(f.left(), 72 + kAdvance);
    EXPECT_DOUBLE_EQ(i.right(), 72 + 2 * kAdvance);

    // An accent set at the letter's position, as TeX fonts without a Unicode map do it, is
    // composed with it.
    GlyphLine line = lineOf(U"Pr\u00B4eface r`eglures na\u00A8\u0131ve", 72, 700);
    for (size_t k = 0; k + 1 < line.glyphs.size(); ++k)
        if (line.glyphs[k].c == U'\u00B4' || line.glyphs[k].c == U'`' || line.glyphs[k].c == U'\u00A8')
            for (size_t m = k + 1; m < line.glyphs.size(); ++m)
                line.glyphs[m].box.translate(-kAdvance, 0);
    const TextLayer layer = buildTextLayer(pageOf({{{line}}}));
    EXPECT_EQ(layer.string(), QStringLiteral("Préface règlures naïve"));
    EXPECT_EQ(layer.characterBoundsAtIndex(2).left(), 72 + 2 * kAdvance) << "the letter keeps its box";
}

TEST(TextLayerBuilder, ReplacementCharactersControlsAndEmptyBlocksOrPagesLeaveNothing)
{
    const TextLayer layer
        = buildTextLayer(pageOf({{{lineOf(U"a\uFFFDb\u0007c", 72, 700)}}, {{lineOf(U"\uFFFD", 72, 600)}}}));
    EXPECT_EQ(layer.string(), QStringLiteral("abc"));
    EXPECT_EQ(layer.blocks().size(), 1u) << "a block with nothing left is dropped";

    const TextLayer empty = buildTextLayer(pageOf({}));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.characterIndexAtPoint(QPointF(0, 0)), kNotFound);
    EXPECT_TRUE(empty.characterBoundsAtIndex(0).isNull());
    EXPECT_TRUE(empty.characterBoundsAtIndex(-1).isNull());
    EXPECT_TRUE(empty.attributedString().runs.empty());
}

TEST(TextLayerBuilder, ARaisedFootnoteMarkIsSetApartFromTheWordAfterIt)
{
    // A 7-point mark raised by `rise` against 10-point letters.
    const auto marked = [](const std::u32string &mark, double rise, const std::u32string &word) {
        GlyphLine line = lineOf(mark, 72, 700 + rise, 0, 7);
        const GlyphLine rest = lineOf(word, 72 + kAdvance * static_cast<double>(mark.size()), 700);
        line.glyphs.insert(line.glyphs.end(), rest.glyphs.begin(), rest.glyphs.end());
        return buildTextLayer(pageOf({{{line}}})).string();
    };
    EXPECT_EQ(marked(U"1", 3.5, U"If"), QStringLiteral("1 If"));
    EXPECT_EQ(marked(U"10", 3.5, U"These"), QStringLiteral("10 These"));
    EXPECT_EQ(marked(U"\u2020", 3.5, U"Died"), QStringLiteral("\u2020 Died"));
    EXPECT_EQ(marked(U"2", -2, U"O"), QStringLiteral("2O")) << "a subscript";
    EXPECT_EQ(marked(U"1", 0, U"st"), QStringLiteral("1st")) << "small but on the line";
}

TEST(TextLayerBuilder, ParagraphsAreFoundAndReadInOrder)
{
    const std::pair<RawPageText, QString> rows[] = {
        // A running head and page number set close to the body become blocks of their own.
        {pageOf({{{lineOf(U"Chapter 4 Results", 72, 740, 1, 8), lineOf(U"The body starts here and", 72, 720),
                    lineOf(U"goes on to the end.", 72, 708), lineOf(U"17", 300, 670)}}},
             {{"Times-Roman", 10, false}, {"Times-Italic", 8, false}}),
            "Chapter 4 Results\nThe body starts here and goes on to the end.\n17"},
        // So do list items set without space between them.
        {pageOf({{{lineOf(U"\u2022 First item that", 72, 700), lineOf(U"runs on.", 80, 688),
             lineOf(U"\u2022 Second item.", 72, 676)}}}),
            "\u2022 First item that runs on.\n\u2022 Second item."},
        // Columns drawn row by row, as some producers write them, are read one after the other
        // between the full-width parts.
        {pageOf({{{lineOf(U"A title that runs right across both columns", 72, 740)}},
             {{lineOf(U"Left one.", 72, 700), lineOf(U"Left one on.", 72, 688)}},
             {{lineOf(U"Right one.", 320, 700), lineOf(U"Right one on.", 320, 688)}}, {{lineOf(U"Left two.", 72, 650)}},
             {{lineOf(U"Right two.", 320, 640)}},
             {{lineOf(U"A closing note that runs right across both columns", 72, 560)}}, {{lineOf(U"3", 300, 40)}}}),
            "A title that runs right across both columns\nLeft one. Left one on.\nLeft two.\nRight one. Right one "
            "on.\nRight two.\nA closing note that runs right across both columns\n3"},
        // A head with its page number at the far side stays first.
        {pageOf({{{lineOf(U"Short head", 72, 760)}}, {{lineOf(U"42", 500, 760)}},
             {{lineOf(U"Left column text.", 72, 700)}}, {{lineOf(U"Right column text.", 320, 700)}},
             {{lineOf(U"Left column more.", 72, 680)}}}),
            "Short head\n42\nLeft column text.\nLeft column more.\nRight column text."},
        // Accents set beside letters, and backticked code, stay as they are.
        {pageOf({{{lineOf(U"run `make` and caf\u00B4", 72, 700)}}}), "run `make` and caf\u00B4"},
    };
    for (const auto &[page, expected] : rows)
        EXPECT_EQ(buildTextLayer(page).string(), expected);
}

TEST(TextLayerBuilder, FontsOfRunsCoverEveryCharacterIncludingSeparators)
{
    const TextLayer layer = buildTextLayer(pageOf({{{lineOf(U"plain", 72, 700, 0), lineOf(U"code", 72, 688, 1)}}},
        {{"Times-Roman", 10, false}, {"Courier", 10, true}}));
    const AttributedString text = layer.attributedString();
    ASSERT_EQ(text.runs.size(), 2u);
    EXPECT_EQ(text.runs[0].range, (TextRange{0, 6})) << "the joining space takes the font before it";
    EXPECT_EQ(text.runs[1].font, (PDFFont{"Courier", 10, true}));
    EXPECT_EQ(text.fontAtIndex(7)->name, QStringLiteral("Courier"));
    EXPECT_FALSE(text.fontAtIndex(10).has_value());
}

} // namespace
} // namespace narrata
