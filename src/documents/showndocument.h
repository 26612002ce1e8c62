#pragma once

#include "pdfpack.h"
#include "tableofcontents.h"

#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

namespace narrata {

class DesktopServices;
class DocumentView;
class PageContent;
class PDFDocument;
class PDFService;
class ReaderWindow;
class ReadingProgress;
class RecentDocuments;
class SpeakingLoop;
struct Preferences;

// The document shown and the PDFs it is made of: opening, refusing and loading PDFs, the user
// guide when there is nothing else, and gathering incoming PDFs into a pack. The view, the
// page content and the speaking loop are handed each new document; the window's title says
// what it is.
class ShownDocument final : public QObject {
    Q_OBJECT
public:
    struct Collaborators {
        const PDFService &pdfService;
        DesktopServices &desktop;
        DocumentView &pdfView;
        ReaderWindow &window;
        SpeakingLoop &loop;
        PageContent &content;
        ReadingProgress &progress;
        RecentDocuments &recentDocuments;
        const Preferences &preferences;
        // The built-in user guide; empty when it could not be provided.
        QUrl introPDFURL;
    };

    explicit ShownDocument(Collaborators collaborators, QObject *parent = nullptr);
    ~ShownDocument() override;

    const QUrl &introPDFURL() const { return m_collaborators.introPDFURL; }
    // Called whenever what is shown changed: the labels and the document's own settings follow.
    std::function<void()> shownChanged;

    // A PDF named on the command line or handed over by a second launch.
    bool openFileInternal(const QString &path);
    // Shows the refusal alert and says true for a locked or encrypted PDF.
    bool isPDFLockedOrEncrypted(const QString &path);
    // A PDF the user picked from a list: refused like any other if locked or encrypted, and the
    // document being read stays when it is.
    void openChosenFile(const QUrl &url);
    // Makes one PDF the whole document.
    void loadPDF(const QUrl &url);
    void resetToDefaultPDF();
    void resetToNoDocumentState();
    // An incoming PDF: shown alone, or added to the end of the document shown when the user
    // gathers PDFs into a pack. False when there is no document.
    bool processIncomingPDF(
        std::unique_ptr<PDFDocument> document, bool hasFileName, const IncomingPDFAttributes &attributes);
    // The next PDF begins a pack of its own, saved into a file of its own.
    void resetForBeginNewPDFPack();
    // Shows the top of the first page of the last PDF of the document, a moment later.
    void goToLastPDFInPack();
    // Closes the pack, or whatever is shown, and shows the user guide.
    void resetPDFPackDisplay();
    // Pops up "PDF Outline": every PDF of the document with its own outline.
    void showMenuPDFOutlines();
    // Goes to the place of an outline line; the top of its page when it names no point.
    void outlineMenuFired(const OutlineEntry &entry);

    // Runs when a pack has grown and the user wants packs saved as they grow.
    std::function<void()> savePDFPackAutomatically;
    // The file the current pack is saved into automatically; empty until its first save.
    const QUrl &autosavePDFDocumentURL() const { return m_autosavePDFDocumentURL; }
    void setAutosavePDFDocumentURL(const QUrl &url) { m_autosavePDFDocumentURL = url; }
    // The file the window stands for: the one loaded, or where the pack was last saved.
    const QUrl &representedURL() const { return m_representedURL; }
    // After a successful save the window stands for the written file.
    void representSavedFile(const QUrl &url);
    // A saved copy takes the combined document's place, unless the document changed since
    // the copy was made (`generation`); says whether it did.
    bool adoptSavedDocument(std::shared_ptr<PDFDocument> saved, quint64 generation);

    const PDFDocument *pdfDocument() const { return m_pack.document(); }
    const PDFPack &pack() const { return m_pack; }
    const std::vector<PackEntry> &listOfPDFDocs() const { return m_pack.entries(); }
    // A document is shown, in the view too.
    bool hasDocument() const;
    // The file name of the PDF shown when it is one file of its own; empty for none, a pack or
    // a document without a file, under which nothing of the document may be stored.
    QString representedFileName() const;

signals:
    // The delayed jump of goToLastPDFInPack has happened.
    void jumpedToLastPDF();

private:
    // Beeps and shows the refusal for a locked or encrypted document; says whether it did.
    bool refuseIfLockedOrEncrypted(const PDFDocument &document);
    void refuse(const QString &fileName, const QString &what);
    void reportUnreadable(const QString &path);
    // loadPDF with the document already opened from url (nothing when that failed).
    void loadPDF(const QUrl &url, std::unique_ptr<PDFDocument> document);
    void showDocumentInView();
    // Nothing shown: the window's title, the view and the label say so.
    void showNoDocument();
    // The title and label of a pack that has not been saved yet; saved at once if the user
    // wants packs saved automatically.
    void showAsUnsavedPack();
    // A new pack of one PDF that came without a file.
    void beginPackWithoutFile(std::unique_ptr<PDFDocument> document, const QString &tocText);
    void stopSpeechAndContent();
    void noteRecentDocument(const QString &path);
    bool isPrintedPDFPath(const QString &path) const;
    void notify(const std::function<void()> &listener) const;
    void represent(const QUrl &url);

    Collaborators m_collaborators;
    PDFPack m_pack;
    QUrl m_representedURL;
    QUrl m_autosavePDFDocumentURL;
};

} // namespace narrata
