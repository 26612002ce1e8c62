#include "clipboardconverter.h"

#include "clipboard/clipboardcontents.h"
#include "clipboard/imageattachments.h"
#include "clipboard/textpdf.h"
#include "custompdfview.h"
#include "documents/autosavename.h"
#include "documents/documentsaving.h"
#include "documents/showndocument.h"
#include "platform/desktop/desktopservices.h"
#include "platform/pdf/pdfdocument.h"
#include "ui_clipboardconverter.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTimer>

namespace narrata {

ClipboardConverter::ClipboardConverter(Collaborators collaborators, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_ui(std::make_unique<Ui::ClipboardConverter>())
    , m_collaborators(collaborators)
{
    m_ui->setupUi(this);
    pdfViewForClipboardConversion()->setAutoScales(true);
    applyTextInsets();
    connect(
        m_ui->buttonFitImages, &QPushButton::clicked, this, &ClipboardConverter::resizeImagesInClipboardConversionView);
    connect(m_ui->buttonSaveToDisk, &QPushButton::clicked, this, &ClipboardConverter::saveClipboardConvertedPDFToDisk);
    connect(m_ui->buttonSendToPack, &QPushButton::clicked, this, &ClipboardConverter::sendClipboardContentPDFtoPDFPack);
    connect(
        m_ui->checkboxAddTextMargins, &QCheckBox::toggled, this, &ClipboardConverter::updateClipboardConversionPDFView);
    connect(m_ui->textFieldMarginSize, &QLineEdit::editingFinished, this,
        &ClipboardConverter::updateClipboardConversionPDFView);
    // The preview follows the user's edits once typing pauses.
    auto *editsSettled = new QTimer(this);
    editsSettled->setSingleShot(true);
    editsSettled->setInterval(600);
    connect(editsSettled, &QTimer::timeout, this, &ClipboardConverter::updateClipboardConversionPDFView);
    connect(textViewForClipboardToPDFConversion(), &QTextEdit::textChanged, editsSettled, qOverload<>(&QTimer::start));
    // The paragraph formats work on the text view only.
    connect(m_ui->copyParagraphFormatInClipboardConversionTextView, &QAction::triggered, this, [this] {
        if (textViewHasFocus())
            copyParagraphFormatInClipboardConversionTextView();
    });
    connect(m_ui->pasteParagraphFormatIntoClipboardConversionTextView, &QAction::triggered, this, [this] {
        if (textViewHasFocus())
            pasteParagraphFormatIntoClipboardConversionTextView();
    });
    connect(m_ui->menuFormat, &QMenu::aboutToShow, this, [this] {
        for (QAction *item : m_ui->menuFormat->actions())
            item->setEnabled(textViewHasFocus());
    });
}

ClipboardConverter::~ClipboardConverter() = default;

QTextEdit *ClipboardConverter::textViewForClipboardToPDFConversion() const
{
    return m_ui->textViewForClipboardToPDFConversion;
}

CustomPDFView *ClipboardConverter::pdfViewForClipboardConversion() const
{
    return m_ui->pdfViewForClipboardConversion;
}

bool ClipboardConverter::readClipboardContentsForConversionToPDFInInteractiveMode(bool interactive)
{
    QTextDocument &text = *textViewForClipboardToPDFConversion()->document();
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    if (!clipboard || !readSelectionFromPasteboard(text, *clipboard)) {
        text.clear();
        return false;
    }
    applyTextInsets();
    show();
    raise();
    activateWindow();
    updateClipboardConversionPDFView();
    // The window settling on the screen changes the layout; the page is drawn again after.
    QTimer::singleShot(interactive ? 1000 : 500, this, [this, interactive] {
        if (interactive)
            return updateClipboardConversionPDFView();
        // With no editing step, images are fitted to the text width here (drawing the page).
        resizeImagesInClipboardConversionView();
        sendClipboardContentPDFtoPDFPack();
    });
    return true;
}

void ClipboardConverter::updateClipboardConversionPDFView()
{
    if (m_ui->checkboxAddTextMargins->isChecked()) {
        bool isNumber = false;
        const double margin = m_ui->textFieldMarginSize->text().toDouble(&isNumber);
        if (isNumber && margin > 0)
            m_textContainerInset = QSizeF(margin, margin);
        m_lineFragmentPadding = 10.0;
        applyTextInsets();
    }
    pdfViewForClipboardConversion()->setDocument(renderedPDF());
}

void ClipboardConverter::resizeImagesInClipboardConversionView()
{
    QTextEdit &textView = *textViewForClipboardToPDFConversion();
    const QTextDocument &text = *textView.document();
    const qreal textContainerWidth = text.textWidth() - m_textContainerInset.width() * 2;
    const std::unique_ptr<QTextDocument> fitted
        = resizeImageAttachmentsToMaxWidth(text, static_cast<float>(textContainerWidth - 10.0), devicePixelRatio());
    // The fitted copy's content replaces the view's, resources and all, in one undoable step.
    QTextCursor whole(textView.document());
    whole.select(QTextCursor::Document);
    whole.beginEditBlock();
    whole.removeSelectedText();
    for (QTextBlock block = fitted->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.isImageFormat()) {
                const QUrl name(format.toImageFormat().name());
                textView.document()->addResource(
                    QTextDocument::ImageResource, name, fitted->resource(QTextDocument::ImageResource, name));
            }
        }
    }
    whole.insertFragment(QTextDocumentFragment(fitted.get()));
    whole.endEditBlock();
    applyTextInsets();
    updateClipboardConversionPDFView();
}

void ClipboardConverter::saveClipboardConvertedPDFToDisk()
{
    std::shared_ptr<PDFDocument> rendered = renderedPDF();
    if (!rendered)
        return;
    // A window kept above the others would hide the panel.
    const bool wasOnTop = windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if (wasOnTop) {
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
        show();
    }
    QPointer<ClipboardConverter> self(this);
    m_collaborators.desktop.chooseFileToSave(QStringLiteral("Save Clipboard to PDF on disk"),
        clipboardPDFFileName(QDateTime::currentDateTime()), [self, wasOnTop, rendered](const QString &path) {
            if (!self)
                return;
            if (wasOnTop) {
                self->setWindowFlag(Qt::WindowStaysOnTopHint, true);
                self->show();
            }
            if (path.isEmpty())
                return;
            self->m_isSavingPDFToDisk = true;
            self->m_collaborators.saving.saveToChosenFile(rendered, QUrl::fromLocalFile(path), [self] {
                if (self)
                    self->m_isSavingPDFToDisk = false;
            });
        });
}

void ClipboardConverter::sendClipboardContentPDFtoPDFPack()
{
    const PDFDocument *preview = pdfViewForClipboardConversion()->document();
    std::unique_ptr<PDFDocument> copy = preview ? preview->copy() : nullptr;
    if (!copy)
        return;
    QString name = m_ui->textFieldPDFTOCEntry->text().trimmed();
    if (name.isEmpty())
        name = clipboardPDFFileName(QDateTime::currentDateTime());
    m_collaborators.documents.processIncomingPDF(std::move(copy), false, {QUrl(), name});
    bringMainWindowToFront();
    close();
}

void ClipboardConverter::insertPDFPagesOnClipboard()
{
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    if (!clipboard)
        return;
    // A PDF file copied in a file browser is opened as the file it is.
    if (const QString file = copiedPDFFile(clipboard->urls()); !file.isEmpty()) {
        m_collaborators.documents.openFileInternal(file);
        bringMainWindowToFront();
        return;
    }
    const QByteArray data = pdfDataOnClipboard(*clipboard);
    std::unique_ptr<PDFDocument> document = data.isEmpty() ? nullptr : m_collaborators.pdfService.openData(data);
    if (!document || document->pageCount() == 0)
        return;
    m_collaborators.documents.processIncomingPDF(
        std::move(document), false, {QUrl(), clipboardPDFFileName(QDateTime::currentDateTime())});
    bringMainWindowToFront();
}

void ClipboardConverter::copyParagraphFormatInClipboardConversionTextView()
{
    const QTextEdit &textView = *textViewForClipboardToPDFConversion();
    m_paragraphStyleInTransit = paragraphStyleInTextView(textView, textView.textCursor().selectionStart());
}

void ClipboardConverter::pasteParagraphFormatIntoClipboardConversionTextView()
{
    if (!m_paragraphStyleInTransit)
        return;
    // Every paragraph the selection touches takes the format; the characters keep their fonts,
    // colours and images.
    const QTextCursor selection = textViewForClipboardToPDFConversion()->textCursor();
    QTextCursor paragraphs(textViewForClipboardToPDFConversion()->document());
    paragraphs.setPosition(selection.selectionStart());
    paragraphs.movePosition(QTextCursor::StartOfBlock);
    paragraphs.setPosition(selection.selectionEnd(), QTextCursor::KeepAnchor);
    paragraphs.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    paragraphs.setBlockFormat(*m_paragraphStyleInTransit);
}

std::optional<QTextBlockFormat> ClipboardConverter::paragraphStyleInTextView(const QTextEdit &textView, qint32 index)
{
    const QTextBlock block = textView.document()->findBlock(index);
    if (index < 0 || !block.isValid())
        return std::nullopt;
    return block.blockFormat();
}

void ClipboardConverter::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible())
        updateClipboardConversionPDFView();
}

std::unique_ptr<PDFDocument> ClipboardConverter::renderedPDF() const
{
    const QTextEdit &textView = *textViewForClipboardToPDFConversion();
    QTextDocument &text = *textView.document();
    // The whole text, as tall as it is, on a page as wide as the view.
    const QSizeF bounds(text.textWidth() > 0 ? text.textWidth() : textView.viewport()->width(),
        std::max<qreal>(text.size().height(), textView.viewport()->height()));
    const QByteArray data = dataWithPDFInsideRect(text, bounds, textView.logicalDpiY());
    return data.isEmpty() ? nullptr : m_collaborators.pdfService.openData(data);
}

void ClipboardConverter::applyTextInsets()
{
    QTextDocument &text = *textViewForClipboardToPDFConversion()->document();
    QTextFrameFormat frame = text.rootFrame()->frameFormat();
    frame.setTopMargin(m_textContainerInset.height());
    frame.setBottomMargin(m_textContainerInset.height());
    frame.setLeftMargin(m_textContainerInset.width() + m_lineFragmentPadding);
    frame.setRightMargin(m_textContainerInset.width() + m_lineFragmentPadding);
    text.rootFrame()->setFrameFormat(frame);
}

bool ClipboardConverter::textViewHasFocus() const
{
    return isActiveWindow() && textViewForClipboardToPDFConversion()->hasFocus();
}

void ClipboardConverter::bringMainWindowToFront()
{
    m_collaborators.mainWindow.raise();
    m_collaborators.mainWindow.activateWindow();
}

} // namespace narrata
