#pragma once

#include <QMainWindow>
#include <QTextBlockFormat>

#include <memory>
#include <optional>

class QTextEdit;

namespace narrata {

namespace Ui {
class ClipboardConverter;
}

class CustomPDFView;
class DesktopServices;
class DocumentSaving;
class PDFDocument;
class PDFService;
class ShownDocument;

// The clipboard converter's window: what another application copied, as editable rich text,
// beside a preview of the PDF page it makes. From here the page is saved to disk or sent into
// the PDF pack; a PDF on the clipboard goes into the pack directly. The window stays hidden
// until the clipboard gave it something to show.
class ClipboardConverter final : public QMainWindow {
    Q_OBJECT
public:
    struct Collaborators {
        const PDFService &pdfService;
        DesktopServices &desktop;
        ShownDocument &documents;
        DocumentSaving &saving;
        // The reader's window, brought to the front once a PDF went into the pack.
        QWidget &mainWindow;
    };

    explicit ClipboardConverter(Collaborators collaborators, QWidget *parent = nullptr);
    ~ClipboardConverter() override;

    void appendClipboardContentToPDF() { readClipboardContentsForConversionToPDFInInteractiveMode(true); }
    void insertClipboardContentsAsPDFPageRapid() { readClipboardContentsForConversionToPDFInInteractiveMode(false); }
    // Interactive: the user edits before saving or sending. Rapid: the page goes into the pack
    // by itself half a second later. False when the clipboard held nothing readable.
    bool readClipboardContentsForConversionToPDFInInteractiveMode(bool interactive);
    void updateClipboardConversionPDFView();
    void resizeImagesInClipboardConversionView();
    void saveClipboardConvertedPDFToDisk();
    void sendClipboardContentPDFtoPDFPack();
    void insertPDFPagesOnClipboard();
    void copyParagraphFormatInClipboardConversionTextView();
    void pasteParagraphFormatIntoClipboardConversionTextView();
    // The paragraph format of the text at a character index, or none past the text's end.
    static std::optional<QTextBlockFormat> paragraphStyleInTextView(const QTextEdit &textView, qint32 index);

    QTextEdit *textViewForClipboardToPDFConversion() const;
    CustomPDFView *pdfViewForClipboardConversion() const;
    bool isSavingPDFToDisk() const { return m_isSavingPDFToDisk; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The text view drawn whole into a one-page PDF; null when that failed.
    std::unique_ptr<PDFDocument> renderedPDF() const;
    // The text view's inset and line padding, applied to its text's outer frame.
    void applyTextInsets();
    bool textViewHasFocus() const;
    void bringMainWindowToFront();

    std::unique_ptr<Ui::ClipboardConverter> m_ui;
    Collaborators m_collaborators;
    QSizeF m_textContainerInset{50, 50};
    qreal m_lineFragmentPadding = 10;
    std::optional<QTextBlockFormat> m_paragraphStyleInTransit;
    bool m_isSavingPDFToDisk = false;
};

} // namespace narrata
