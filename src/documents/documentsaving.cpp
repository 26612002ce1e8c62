#include "documentsaving.h"

#include "autosavename.h"
#include "documentview.h"
#include "platform/desktop/desktopservices.h"
#include "platform/pdf/pdfdocument.h"
#include "readerwindow.h"
#include "settings/preferences.h"
#include "settings/recentdocuments.h"
#include "showndocument.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace narrata {

namespace {

QString fileNameOf(const QUrl &url)
{
    return QFileInfo(url.toLocalFile()).fileName();
}

// The folder, made with its parents when missing; empty when it cannot be.
QUrl existingFolder(const QString &path)
{
    if (path.isEmpty() || !QDir().mkpath(path) || !QFileInfo(path).isDir())
        return {};
    return QUrl::fromLocalFile(QDir(path).absolutePath() + QLatin1Char('/'));
}

} // namespace

DocumentSaving::DocumentSaving(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
    if (m_collaborators.applicationSupportPath.isEmpty())
        m_collaborators.applicationSupportPath = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

void DocumentSaving::savePDFAs()
{
    // A window kept on top would cover the panel.
    const int level = m_collaborators.window.windowLevel();
    m_collaborators.window.setWindowLevel(0);
    const QString suggested = fileNameOf(m_collaborators.documents.representedURL());
    m_collaborators.desktop.chooseFileToSave(QStringLiteral("Save PDF"),
        suggested.isEmpty() ? QStringLiteral("PDF Pack.pdf") : suggested, [this, level](const QString &path) {
            m_collaborators.window.setWindowLevel(level);
            if (!path.isEmpty())
                savePDFToCustomURL(QUrl::fromLocalFile(path), false);
        });
}

void DocumentSaving::savePDFToCustomURL(const QUrl &url, bool shouldUpdateController)
{
    const std::shared_ptr<PDFDocument> copy = m_collaborators.documents.pack().copyForWriting(
        fileNameOf(url), m_collaborators.preferences.userPreferenceCreateTOCinPDFPack);
    write(copy, url, [this, url, shouldUpdateController](bool written) {
        if (!written) {
            reportFailedWrite(url);
            return;
        }
        if (shouldUpdateController) {
            m_collaborators.documents.representSavedFile(url);
            m_collaborators.recentDocuments.noteNewRecentDocument(url.toLocalFile());
        }
        if (m_collaborators.preferences.userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder)
            m_collaborators.desktop.revealFile(url.toLocalFile());
    });
}

void DocumentSaving::saveToChosenFile(
    std::shared_ptr<PDFDocument> document, const QUrl &url, std::function<void()> finished)
{
    write(std::move(document), url, [this, url, finished = std::move(finished)](bool written) {
        finished();
        if (!written)
            reportFailedWrite(url);
    });
}

void DocumentSaving::write(std::shared_ptr<PDFDocument> document, const QUrl &url, std::function<void(bool)> done)
{
    ++m_writesInFlight;
    m_collaborators.window.setBusy(QStringLiteral("Saving the PDF…"));
    // A URL that is not a file (no pack folder) fails like any other write, on the same path.
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    m_writer.write(path.isEmpty() ? nullptr : std::move(document), path,
        [this, url, done = std::move(done)](const std::shared_ptr<PDFDocument> &, bool written) {
            if (--m_writesInFlight == 0)
                m_collaborators.window.setBusy({});
            done(written);
            emit writeFinished(url, written);
        });
}

void DocumentSaving::reportFailedWrite(const QUrl &url)
{
    m_collaborators.desktop.beepAndWarn(QStringLiteral("Unable to save \"%1\"").arg(fileNameOf(url)),
        QStringLiteral("Unfortunately, Narrata was unable to save the PDF to the chosen location on disk."));
}

void DocumentSaving::reportUnsavedMarksOnce(const QUrl &url)
{
    if (m_reportedUnsavedMarks.contains(url))
        return;
    m_reportedUnsavedMarks.insert(url);
    m_collaborators.desktop.showWarningAlert(QStringLiteral("Marks cannot be saved in \"%1\"").arg(fileNameOf(url)),
        QStringLiteral("Narrata cannot write this PDF, so its highlights and underlines last only until it is "
                       "closed. Save As keeps a copy with them."));
}

void DocumentSaving::savePDFPackAutomatically()
{
    m_autosaveDocumentsDirectoryURL = calculateAutosavedPDFPacksDirectoryURL();
    ShownDocument &documents = m_collaborators.documents;
    if (documents.autosavePDFDocumentURL().isEmpty() && !m_autosaveDocumentsDirectoryURL.isEmpty()) {
        const QDir folder(m_autosaveDocumentsDirectoryURL.toLocalFile());
        const QString name = autosavedPackFileName(QDateTime::currentDateTime());
        QString path = folder.filePath(name);
        // Two packs begun within one second must not share a file: the second gets a number.
        for (int n = 2; QFileInfo::exists(path); ++n)
            path = folder.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(" %1.pdf").arg(n));
        documents.setAutosavePDFDocumentURL(QUrl::fromLocalFile(path));
    }
    savePDFToCustomURL(documents.autosavePDFDocumentURL(), true);
}

void DocumentSaving::savePDF()
{
    const QUrl url = m_collaborators.documents.representedURL();
    const PDFDocument *shown = m_collaborators.pdfView.document();
    if (!url.isLocalFile() || !shown)
        return;
    // The guide is written afresh from the application whenever it differs: marks on it would
    // be lost at the next launch, and the user should know that now.
    if (url == m_collaborators.documents.introPDFURL()) {
        reportUnsavedMarksOnce(url);
        return;
    }
    const PDFPack &pack = m_collaborators.documents.pack();
    const quint64 generation = pack.generation();
    std::shared_ptr<PDFDocument> copy = shown->copy();
    // The view's copy of a pack carries only its first PDF's outline: re-saved as it is, the
    // pack's file would lose its table of contents. A PDF of its own keeps its own outline.
    if (copy && pack.isPack() && m_collaborators.preferences.userPreferenceCreateTOCinPDFPack)
        pack.addTableOfContents(*copy, fileNameOf(url));
    ++m_writesInFlight;
    m_writer.write(std::move(copy), url.toLocalFile(),
        [this, url, generation](const std::shared_ptr<PDFDocument> &written, bool ok) {
            --m_writesInFlight;
            if (ok)
                m_collaborators.documents.adoptSavedDocument(written, generation);
            else
                reportUnsavedMarksOnce(url);
            emit writeFinished(url, ok);
        });
}

QUrl DocumentSaving::calculateApplicationSupportDirectoryURL() const
{
    return existingFolder(m_collaborators.applicationSupportPath);
}

QUrl DocumentSaving::calculateAutosavedPDFPacksDirectoryURL() const
{
    const QUrl support = calculateApplicationSupportDirectoryURL();
    if (support.isEmpty())
        return {};
    return existingFolder(QDir(support.toLocalFile()).filePath(QStringLiteral("Autosaved PDF Packs")));
}

void DocumentSaving::showAutosavesDirectory()
{
    if (m_autosaveDocumentsDirectoryURL.isEmpty()) {
        // Before any pack was saved: a folder beside the application's own.
        const QString dataHome = QFileInfo(m_collaborators.applicationSupportPath).absolutePath();
        m_autosaveDocumentsDirectoryURL = existingFolder(QDir(dataHome).filePath(QStringLiteral("Autosaved PDFs")));
    }
    if (!m_autosaveDocumentsDirectoryURL.isEmpty())
        m_collaborators.desktop.openURL(m_autosaveDocumentsDirectoryURL);
}

} // namespace narrata
