// The clipboard converter on real widgets, the real clipboard (off screen) and MuPDF: what is
// read from the clipboard, the PDF page it makes, fitting its images, and where the page goes.
#include "clipboard/clipboardcontents.h"
#include "clipboard/imageattachments.h"
#include "clipboard/textpdf.h"
#include "platform/qtdesktop/qtdesktopservices.h"
#include "view/clipboardconverter.h"

#include "readerwindowrig.h"

#include <QBuffer>
#include <QClipboard>
#include <QMimeData>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextImageFormat>

namespace narrata {
namespace {

using testing::ReaderWindowTest;

QByteArray pngOf(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QString htmlImage(QSize size)
{
    return QStringLiteral("<img src=\"data:image/png;base64,%1\">").arg(QString::fromLatin1(pngOf(size).toBase64()));
}

void putOnClipboard(const std::map<QString, QByteArray> &data, const QList<QUrl> &urls = {})
{
    auto *mime = new QMimeData;
    for (const auto &[type, bytes] : data)
        mime->setData(type, bytes);
    if (!urls.isEmpty())
        mime->setUrls(urls);
    QGuiApplication::clipboard()->setMimeData(mime);
}

// The shown sizes of the text's images, in order.
std::vector<QSizeF> imageSizes(const QTextDocument &text)
{
    std::vector<QSizeF> sizes;
    for (QTextBlock block = text.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            if (const QTextCharFormat format = fragment.fragment().charFormat(); format.isImageFormat())
                sizes.emplace_back(format.toImageFormat().width(), format.toImageFormat().height());
    return sizes;
}

QString simplified(QString text)
{
    return text.replace(QChar::ObjectReplacementCharacter, QChar(' ')).simplified();
}

class ClipboardConverterTest : public ReaderWindowTest {
protected:
    ClipboardConverterTest()
    {
        window.setClipboardConverter(std::make_unique<ClipboardConverter>(
            ClipboardConverter::Collaborators{pdfService, desktop, delegate->documents(), delegate->saving(), window},
            &window));
        converter().resize(900, 700);
    }
    ClipboardConverter &converter() { return *window.clipboardConverter(); }
    QTextDocument &text() { return *converter().textViewForClipboardToPDFConversion()->document(); }

    QtDesktopServices desktopOnQt{nullptr};
};

TEST_F(ClipboardConverterTest, ReadsTheRichestFormOfferedAndTellsWhatTheClipboardHolds)
{
    const QString file = writeFile(QStringLiteral("copied.pdf"), testing::numberedPages(1, QStringLiteral("c")));
    struct Case {
        std::map<QString, QByteArray> data;
        QList<QUrl> urls;
        bool readable;
        QString textRead;
        size_t images;
        ClipboardOffer offer;
    } cases[] = {
        {{{"text/html", ("<p>Rich <b>words</b></p>" + htmlImage({40, 20})).toUtf8()}, {"text/plain", "Plain words"}},
            {}, true, "Rich words", 1, {true, false}},
        {{{"text/plain", "Only plain words."}}, {}, true, "Only plain words.", 0, {true, false}},
        {{{"image/png", pngOf({30, 10})}}, {}, true, "", 1, {true, false}},
        {{{"application/pdf", testing::numberedPages(1, "p")}}, {QUrl::fromLocalFile(file)}, false, "", 0,
            {false, true}},
        {{{"application/pdf", "%PDF- bytes alone"}}, {}, false, "", 0, {false, true}},
        {{{"application/x-neither", "???"}}, {}, false, "", 0, {false, false}},
    };
    for (const Case &c : cases) {
        putOnClipboard(c.data, c.urls);
        const QMimeData &clipboard = *QGuiApplication::clipboard()->mimeData();
        EXPECT_EQ(desktopOnQt.clipboardOffer(), c.offer) << c.data.begin()->first.toStdString();
        QTextDocument read;
        EXPECT_EQ(readSelectionFromPasteboard(read, clipboard), c.readable) << c.data.begin()->first.toStdString();
        EXPECT_EQ(simplified(read.toPlainText()), c.textRead);
        EXPECT_EQ(imageSizes(read).size(), c.images);
        EXPECT_EQ(pdfDataOnClipboard(clipboard).isEmpty(), !c.offer.pdf);
        EXPECT_EQ(copiedPDFFile(clipboard.urls()), c.urls.isEmpty() ? QString() : file);
    }
}

TEST_F(ClipboardConverterTest, ThePageItMakesGivesBackTheTextInOrder)
{
    putOnClipboard({{"text/html",
        "<h2>A Copied Heading</h2><p>The first paragraph, with a café and a “quote”.</p>"
        "<p>The second paragraph ends here.</p>"}});
    ASSERT_TRUE(converter().readClipboardContentsForConversionToPDFInInteractiveMode(true));
    const PDFDocument *preview = converter().pdfViewForClipboardConversion()->document();
    ASSERT_NE(preview, nullptr);
    ASSERT_EQ(preview->pageCount(), 1);
    EXPECT_EQ(simplified(preview->pageAtIndex(0)->string()), simplified(text().toPlainText()));

    // Nothing to draw on: no page.
    QTextDocument empty;
    EXPECT_TRUE(dataWithPDFInsideRect(empty, {}, 96).isEmpty());
}

TEST(ImageAttachments, BringsEveryImageToTheWidthAndKeepsTheTextAround)
{
    testing::widgetApp();
    EXPECT_EQ(imageResize({QImage(100, 50, QImage::Format_RGB32), {100, 50}}, 300, 1).size, QSizeF(300, 150));
    EXPECT_EQ(imageResize({QImage(1000, 333, QImage::Format_RGB32), {1000, 333}}, 500, 1).size, QSizeF(500, 166));
    // On a screen of two pixels a unit, the bitmap still holds a pixel for each unit shown.
    const AttachmentImage dense = imageResize({QImage(10, 5, QImage::Format_RGB32), {10, 5}}, 300, 2);
    EXPECT_EQ(dense.bitmap.size(), QSize(300, 150));
    EXPECT_EQ(dense.size, QSizeF(300, 150));

    QTextDocument text;
    text.setHtml(QStringLiteral("<p><b>one</b> %1 two %2 three %3</p>")
                     .arg(htmlImage({100, 50}), htmlImage({1000, 333}), htmlImage({7, 7})));
    const std::unique_ptr<QTextDocument> fitted = resizeImageAttachmentsToMaxWidth(text, 300, 1);
    EXPECT_EQ(fitted->toPlainText(), text.toPlainText());
    EXPECT_EQ(imageSizes(*fitted), (std::vector<QSizeF>{{300, 150}, {300, 99}, {300, 300}}));
    QTextCursor bold(fitted.get());
    bold.setPosition(1);
    EXPECT_TRUE(bold.charFormat().font().bold());

    QTextDocument plain(QStringLiteral("No images at all."));
    EXPECT_EQ(resizeImageAttachmentsToMaxWidth(plain, 300, 1)->toHtml(), plain.toHtml());
}

TEST_F(ClipboardConverterTest, RapidModeFitsTheImagesAndAddsOnePackEntryUnderAGeneratedName)
{
    delegate->setPreferences([&] {
        Preferences appending = delegate->preferences();
        appending.userPreferenceShouldAppendPDFs = true;
        return appending;
    }());
    delegate->documents().openFileInternal(writeFile(QStringLiteral("book.pdf"), testing::sampleBook().bytes()));
    const size_t entries = delegate->documents().pack().entries().size();
    putOnClipboard({{"text/html", ("<p>Copied words to hear.</p>" + htmlImage({40, 20})).toUtf8()}});
    desktop.offer = {true, false}; // the command runs only when the menu would offer it
    window.action(QStringLiteral("insertClipboardContentsAsPDFPageRapid"))->trigger();
    EXPECT_TRUE(converter().isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return delegate->documents().pack().entries().size() == entries + 1; }, 3000));
    EXPECT_FALSE(converter().isVisible());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^PDF \\d{8}-\\d{6}\\.pdf$"))
                    .match(delegate->documents().pack().entries().back().filename)
                    .hasMatch());
    const qreal fittedWidth = text().textWidth() - 2 * 50 - 10;
    ASSERT_EQ(imageSizes(text()).size(), 1U);
    EXPECT_NEAR(imageSizes(text()).front().width(), fittedWidth, 1);
}

TEST_F(ClipboardConverterTest, APDFOnTheClipboardIsOpenedAsItsFileOrAddedAsData)
{
    const QString file = writeFile(QStringLiteral("copied.pdf"), testing::numberedPages(2, QStringLiteral("c")));
    putOnClipboard({{"application/pdf", testing::numberedPages(3, "d")}}, {QUrl::fromLocalFile(file)});
    converter().insertPDFPagesOnClipboard();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("copied.pdf"));

    putOnClipboard({{"application/pdf", "not a PDF at all"}});
    converter().insertPDFPagesOnClipboard();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("copied.pdf"));

    putOnClipboard({{"application/pdf", testing::numberedPages(3, "d")}});
    converter().insertPDFPagesOnClipboard();
    EXPECT_EQ(view().document()->pageCount(), 3);
    EXPECT_TRUE(delegate->documents().pack().entries().back().filename.startsWith(QStringLiteral("PDF ")));
}

TEST_F(ClipboardConverterTest, AFailedSaveNamesTheFileAndPastedParagraphFormatsKeepImagesAndFonts)
{
    putOnClipboard({{"text/html",
        ("<p>First <i>paragraph</i>.</p><p>Second " + htmlImage({40, 20})
            + "</p>"
              "<p align=\"right\">Third paragraph.</p>")
            .toUtf8()}});
    ASSERT_TRUE(converter().readClipboardContentsForConversionToPDFInInteractiveMode(true));
    desktop.fileToSave = folder.filePath(QStringLiteral("missing folder/out.pdf"));
    converter().saveClipboardConvertedPDFToDisk();
    EXPECT_TRUE(converter().isSavingPDFToDisk());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !converter().isSavingPDFToDisk(); }, 5000));
    ASSERT_EQ(desktop.warnings.size(), 1U);
    EXPECT_EQ(desktop.warnings.back().messageText, QStringLiteral("Unable to save \"out.pdf\""));

    // The third paragraph's format goes onto the first two; their fonts and image stay.
    QTextEdit &textView = *converter().textViewForClipboardToPDFConversion();
    QTextCursor cursor(&text());
    cursor.setPosition(text().findBlockByNumber(2).position() + 2);
    textView.setTextCursor(cursor);
    converter().copyParagraphFormatInClipboardConversionTextView();
    cursor.setPosition(3);
    cursor.setPosition(text().findBlockByNumber(1).position() + 1, QTextCursor::KeepAnchor);
    textView.setTextCursor(cursor);
    converter().pasteParagraphFormatIntoClipboardConversionTextView();
    for (int block = 0; block < 3; ++block)
        EXPECT_TRUE(text().findBlockByNumber(block).blockFormat().alignment().testFlag(Qt::AlignRight));
    EXPECT_EQ(imageSizes(text()).size(), 1U);
    EXPECT_TRUE(text().toHtml().contains(QStringLiteral("font-style:italic")));
    EXPECT_EQ(ClipboardConverter::paragraphStyleInTextView(textView, text().characterCount() + 5), std::nullopt);
}

} // namespace
} // namespace narrata
