#pragma once

#include "backgroundwriter.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>

namespace narrata {

class DesktopServices;
class DocumentView;
class ReaderWindow;
class RecentDocuments;
class ShownDocument;
struct Preferences;

// Writing PDFs to disk: saving under a chosen name, saving packs automatically as they grow,
// re-saving the shown document after its marks changed, and the folder of saved packs. Every
// write runs in the background on a copy made first; results come back on the main thread.
class DocumentSaving final : public QObject {
    Q_OBJECT
public:
    struct Collaborators {
        DesktopServices &desktop;
        ReaderWindow &window;
        DocumentView &pdfView;
        ShownDocument &documents;
        RecentDocuments &recentDocuments;
        const Preferences &preferences;
        // The application's own folder for its files; the standard data location when empty.
        QString applicationSupportPath;
    };

    explicit DocumentSaving(Collaborators collaborators, QObject *parent = nullptr);

    void savePDFAs();
    // Writes the document, with the pack's table of contents when the user wants one. With
    // `shouldUpdateController` the window then stands for the written file.
    void savePDFToCustomURL(const QUrl &url, bool shouldUpdateController);
    void savePDFPackAutomatically();
    // Silently writes the view's document, with its marks, into the file the window stands for.
    void savePDF();
    void showAutosavesDirectory();
    // Writes a document the user chose a file for (not the one shown), telling the user when it
    // failed; `finished` runs after the write either way.
    void saveToChosenFile(std::shared_ptr<PDFDocument> document, const QUrl &url, std::function<void()> finished);

    // The folders, created when missing; empty when they cannot be.
    QUrl calculateApplicationSupportDirectoryURL() const;
    QUrl calculateAutosavedPDFPacksDirectoryURL() const;

    bool isSavingPDFToDisk() const { return m_writesInFlight > 0; }
    const QUrl &autosaveDocumentsDirectoryURL() const { return m_autosaveDocumentsDirectoryURL; }

signals:
    // A write asked for here is finished, its result shown.
    void writeFinished(const QUrl &url, bool written);

private:
    void write(std::shared_ptr<PDFDocument> document, const QUrl &url, std::function<void(bool)> done);
    void reportFailedWrite(const QUrl &url);
    // Re-saving marks failed: said once per file, as the marks stay on screen meanwhile.
    void reportUnsavedMarksOnce(const QUrl &url);

    Collaborators m_collaborators;
    BackgroundWriter m_writer;
    QUrl m_autosaveDocumentsDirectoryURL;
    int m_writesInFlight = 0;
    QSet<QUrl> m_reportedUnsavedMarks;
};

} // namespace narrata
