#include "showndocument.h"

#include "documentview.h"
#include "platform/desktop/desktopservices.h"
#include "readerwindow.h"
#include "settings/preferences.h"
#include "settings/recentdocuments.h"
#include "speech/pagecontent.h"
#include "speech/readingprogress.h"
#include "speech/speakingloop.h"
#include "tableofcontents.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace narrata {

namespace {

// How long after a document is shown the view jumps to its newest PDF: the view has laid the
// pages out by then.
constexpr int kJumpDelayMilliseconds = 100;
// After pages join a pack the view is given time to show them before jumping.
constexpr int kPackJumpDelayMilliseconds = 1000;

QString lastPathComponent(const QUrl &url)
{
    return QFileInfo(url.toLocalFile()).fileName();
}

} // namespace

ShownDocument::ShownDocument(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
}

ShownDocument::~ShownDocument() = default;

void ShownDocument::notify(const std::function<void()> &listener) const
{
    if (listener)
        listener();
}

void ShownDocument::represent(const QUrl &url)
{
    m_representedURL = url;
    m_collaborators.window.setRepresentedURL(url);
    // Places are stored under the file the window stands for: a pack's pages are not those of
    // the first PDF in it, and an unsaved pack has no name to store them under.
    m_collaborators.progress.setDocumentFileName(representedFileName());
}

QString ShownDocument::representedFileName() const
{
    return lastPathComponent(m_representedURL);
}

bool ShownDocument::hasDocument() const
{
    return m_pack.document() && m_collaborators.pdfView.document();
}

void ShownDocument::openChosenFile(const QUrl &url)
{
    // Opened once: the refusal check and the loading share it.
    std::unique_ptr<PDFDocument> document = m_collaborators.pdfService.openFile(url.toLocalFile());
    if (!document || !refuseIfLockedOrEncrypted(*document))
        loadPDF(url, std::move(document));
}

bool ShownDocument::openFileInternal(const QString &path)
{
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    // Opened once, and handed on: refusing, loading and the copies all start from it.
    std::unique_ptr<PDFDocument> document = m_collaborators.pdfService.openFile(absolutePath);
    if (document && refuseIfLockedOrEncrypted(*document))
        return false;
    if (!document) {
        // Nobody else would tell the user: the file came from a command line or another launch.
        reportUnreadable(absolutePath);
        return false;
    }
    const bool result = processIncomingPDF(std::move(document), true, {QUrl::fromLocalFile(absolutePath), {}});
    noteRecentDocument(absolutePath);
    return result;
}

bool ShownDocument::isPDFLockedOrEncrypted(const QString &path)
{
    const std::unique_ptr<PDFDocument> document = m_collaborators.pdfService.openFile(path);
    return document && refuseIfLockedOrEncrypted(*document);
}

bool ShownDocument::refuseIfLockedOrEncrypted(const PDFDocument &document)
{
    // Locked comes first: a locked file never gets the encrypted text.
    const QString what = document.isLocked() ? QStringLiteral("Locked")
        : document.isEncrypted()             ? QStringLiteral("Encrypted")
                                             : QString();
    if (what.isEmpty())
        return false;
    refuse(lastPathComponent(document.documentURL()), what);
    return true;
}

void ShownDocument::refuse(const QString &fileName, const QString &what)
{
    m_collaborators.desktop.beepAndWarn(QStringLiteral("\"%1\" is %2").arg(fileName, what),
        QStringLiteral("Unfortunately, Narrata is unable to work with %1 PDFs.").arg(what.toLower()));
}

void ShownDocument::reportUnreadable(const QString &path)
{
    m_collaborators.desktop.beepAndWarn(QStringLiteral("\"%1\" could not be opened").arg(QFileInfo(path).fileName()),
        QFileInfo::exists(path) ? QStringLiteral("Unfortunately, Narrata could not read this file as a PDF.")
                                : QStringLiteral("Unfortunately, Narrata could not find this file."));
}

void ShownDocument::loadPDF(const QUrl &url)
{
    loadPDF(url, url.isLocalFile() ? m_collaborators.pdfService.openFile(url.toLocalFile()) : nullptr);
}

void ShownDocument::loadPDF(const QUrl &url, std::unique_ptr<PDFDocument> document)
{
    // The file is opened before anything is given up: a file that vanished or is damaged
    // must not cost the reader the document they were reading.
    if (!document) {
        if (url != m_collaborators.introPDFURL)
            reportUnreadable(url.toLocalFile());
        else // without the guide the reader waits, saying how to open a document
            notify(shownChanged);
        return;
    }
    stopSpeechAndContent();
    // A document loaded on its own is never part of an earlier pack: appending to it later
    // must start a new pack file, not overwrite the last one saved.
    m_autosavePDFDocumentURL.clear();
    m_pack.beginWith(std::move(document), PDFPack::filenameFor(url), url);
    if (refuseIfLockedOrEncrypted(*m_pack.document())) {
        // The guide itself refused: stay without a document rather than load it again.
        if (url == m_collaborators.introPDFURL)
            showNoDocument();
        else
            resetToNoDocumentState();
        return;
    }
    const QString fileName = lastPathComponent(url);
    m_collaborators.window.setWindowTitle(fileName);
    represent(url);
    showDocumentInView();
    goToLastPDFInPack();
    if (url.toLocalFile() != m_collaborators.introPDFURL.toLocalFile())
        noteRecentDocument(url.toLocalFile());
    notify(shownChanged);
}

void ShownDocument::stopSpeechAndContent()
{
    if (m_collaborators.loop.synthesizer() && m_collaborators.loop.synthesizer()->isSpeaking())
        m_collaborators.loop.synthesizer()->stopSpeaking();
    m_collaborators.loop.resetSpeechEngine();
    m_collaborators.content.setDocument(nullptr);
    m_collaborators.pdfView.setDocument(nullptr);
    m_collaborators.loop.setDocument(nullptr);
}

void ShownDocument::showDocumentInView()
{
    const PDFDocument *combined = m_pack.document();
    m_collaborators.pdfView.setDocument(combined ? combined->copy() : nullptr);
    m_collaborators.content.setDocument(m_collaborators.pdfView.document());
    m_collaborators.loop.setDocument(m_collaborators.pdfView.document());
    const PDFDocument *shown = m_collaborators.pdfView.document();
    m_collaborators.progress.setDocumentPageCount(shown ? shown->pageCount() : 0);
}

void ShownDocument::resetToDefaultPDF()
{
    loadPDF(m_collaborators.introPDFURL);
}

void ShownDocument::resetToNoDocumentState()
{
    showNoDocument();
    resetToDefaultPDF();
}

void ShownDocument::showNoDocument()
{
    m_collaborators.window.setWindowTitle(QStringLiteral("Narrata"));
    represent({});
    m_pack.clear();
    m_collaborators.content.setDocument(nullptr);
    m_collaborators.pdfView.setDocument(nullptr);
    m_collaborators.loop.setDocument(nullptr);
    notify(shownChanged);
}

void ShownDocument::showAsUnsavedPack()
{
    m_collaborators.window.setWindowTitle(QStringLiteral("PDF Pack (unsaved)"));
    represent({});
    notify(shownChanged);
    if (m_collaborators.preferences.userPreferenceShouldAutomaticallySavePDFPacks && savePDFPackAutomatically) {
        m_collaborators.window.setWindowTitle(QStringLiteral("PDF Pack (saving to disk...)"));
        savePDFPackAutomatically();
    }
}

bool ShownDocument::processIncomingPDF(
    std::unique_ptr<PDFDocument> document, bool hasFileName, const IncomingPDFAttributes &attributes)
{
    m_collaborators.loop.resetSpeechEngine();
    bool append = m_collaborators.preferences.userPreferenceShouldAppendPDFs;
    // Nothing is ever added to the user guide.
    if (m_pack.document()
        && m_pack.document()->documentURL().toLocalFile() == m_collaborators.introPDFURL.toLocalFile())
        append = false;
    if (!document)
        return false;
    if (append && m_pack.document()) {
        const QString filename = hasFileName ? PDFPack::filenameFor(attributes.fileURL) : attributes.tocText;
        if (!m_pack.append(*document, filename, hasFileName ? attributes.fileURL : QUrl())) {
            // The pack stays whole as it was; the user hears why nothing was added.
            m_collaborators.desktop.beepAndWarn(QStringLiteral("\"%1\" could not be added").arg(filename),
                QStringLiteral("Unfortunately, Narrata could not add the pages of this PDF to the pack."));
            return true;
        }
        showDocumentInView();
        QTimer::singleShot(kPackJumpDelayMilliseconds, this, [this] { goToLastPDFInPack(); });
        showAsUnsavedPack();
        return true;
    }
    // Shown alone: a loaded file and a pack begun without one each start afresh.
    if (hasFileName)
        loadPDF(attributes.fileURL, std::move(document));
    else
        beginPackWithoutFile(std::move(document), attributes.tocText);
    return true;
}

void ShownDocument::beginPackWithoutFile(std::unique_ptr<PDFDocument> document, const QString &tocText)
{
    resetForBeginNewPDFPack();
    stopSpeechAndContent();
    m_pack.beginWith(std::move(document), tocText);
    showDocumentInView();
    showAsUnsavedPack();
}

void ShownDocument::resetForBeginNewPDFPack()
{
    m_pack.clear();
    m_autosavePDFDocumentURL.clear();
}

void ShownDocument::resetPDFPackDisplay()
{
    // The chosen voice stays: the reader goes on in the voice the labels name.
    stopSpeechAndContent();
    resetToNoDocumentState();
}

void ShownDocument::representSavedFile(const QUrl &url)
{
    m_collaborators.window.setWindowTitle(lastPathComponent(url));
    represent(url);
    notify(shownChanged);
}

bool ShownDocument::adoptSavedDocument(std::shared_ptr<PDFDocument> saved, quint64 generation)
{
    // Pages that joined, or a document loaded, while the copy was written must not be lost.
    if (!saved || generation != m_pack.generation())
        return false;
    m_pack.replaceDocument(std::move(saved));
    return true;
}

void ShownDocument::goToLastPDFInPack()
{
    if (m_pack.entries().empty())
        return;
    const int pageIndex = static_cast<int>(m_pack.entries().back().pageOffset);
    const quint64 generation = m_pack.generation();
    QTimer::singleShot(kJumpDelayMilliseconds, this, [this, pageIndex, generation] {
        // A jump meant for a document since replaced would move the new one, and would come
        // before the new one's own jump that others wait for.
        if (generation != m_pack.generation())
            return;
        const PDFDocument *shown = m_collaborators.pdfView.document();
        if (shown && pageIndex < shown->pageCount())
            m_collaborators.pdfView.goToPageIndex(pageIndex, TableOfContents::topCentreOfPage(*shown, pageIndex));
        emit jumpedToLastPDF();
    });
}

void ShownDocument::showMenuPDFOutlines()
{
    if (!m_collaborators.pdfView.document())
        return;
    m_collaborators.window.popUpOutlineMenu(
        TableOfContents::outlineMenu(listOfPDFDocs()), [this](const OutlineEntry &entry) { outlineMenuFired(entry); });
}

void ShownDocument::outlineMenuFired(const OutlineEntry &entry)
{
    const PDFDocument *shown = m_collaborators.pdfView.document();
    // An outline item whose page its PDF does not have leads nowhere: say so.
    if (!shown || entry.pageIndex >= static_cast<quint64>(shown->pageCount())) {
        m_collaborators.desktop.beep();
        return;
    }
    const int pageIndex = static_cast<int>(entry.pageIndex);
    const QPointF point
        = entry.locationOnPage.isNull() ? TableOfContents::topCentreOfPage(*shown, pageIndex) : entry.locationOnPage;
    m_collaborators.pdfView.goToPageIndex(pageIndex, point);
}

bool ShownDocument::isPrintedPDFPath(const QString &path) const
{
    const QString temporary = QDir(QDir::tempPath()).canonicalPath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return path.startsWith(u"/private/var/folders/")
        || (!temporary.isEmpty() && canonical.startsWith(temporary + QLatin1Char('/')));
}

void ShownDocument::noteRecentDocument(const QString &path)
{
    if (isPrintedPDFPath(path) && !m_collaborators.preferences.userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList)
        return;
    m_collaborators.recentDocuments.noteNewRecentDocument(path);
}

} // namespace narrata
