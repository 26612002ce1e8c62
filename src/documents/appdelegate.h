#pragma once

#include "menuvalidation.h"
#include "packentry.h"
#include "pageviewdelegate.h"
#include "settings/ignoredfonts.h"
#include "settings/preferences.h"
#include "settings/recentdocuments.h"
#include "settings/watchedfolder.h"
#include "speech/ligaturemap.h"
#include "speech/pagecontent.h"
#include "speech/readingprogress.h"
#include "speech/readingsession.h"
#include "speech/speakingloop.h"
#include "speech/speechsetsmartener.h"
#include "speech/voicecatalogue.h"
#include "speech/wordmappingtextpath.h"
#include "supportlinks.h"

#include <QObject>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

namespace narrata {

class DefaultsStore;
class DesktopServices;
class DocumentView;
class PDFService;
class ReaderWindow;
class SpeechService;

// The application's state and the commands of its menus, keys and buttons: the document
// shown and the PDFs it is made of, the speaking loop with its queue, progress and statistics,
// voices, word mappings, preferences, the watched folder and the ignored fonts. Everything runs
// on the main thread; the window and the page view are reached through narrow interfaces.
class AppDelegate final : public QObject, public PageViewDelegate {
    Q_OBJECT
public:
    struct Services {
        const PDFService &pdfService;
        SpeechService &speechService;
        DefaultsStore &defaults;
        DesktopServices &desktop;
        DocumentView &pdfView;
        ReaderWindow &window;
        // The built-in user guide; empty when it could not be provided.
        QString introPDFPath;
        QString wordMappingsPath = WordMappingsFile::defaultPath();
        QString applicationVersion = QStringLiteral("0.1.0");
    };

    explicit AppDelegate(Services services, QObject *parent = nullptr);
    ~AppDelegate() override;

    // Registers the defaults that answer for every setting the user never set. Runs before the
    // delegate is made.
    static void initialize(DefaultsStore &defaults);

    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    void applicationDidResignActive();
    void applicationDidBecomeActive();

    // A PDF named on the command line or handed over by a second launch.
    bool openFileInternal(const QString &path);
    // Shows the refusal alert and says true for a locked or encrypted PDF.
    bool isPDFLockedOrEncrypted(const QString &path);
    // Makes one PDF the whole document.
    void loadPDF(const QUrl &url);
    void resetToDefaultPDF();
    void resetToNoDocumentState();
    // An incoming PDF: shown alone, or added to the end of the document shown when the user
    // gathers PDFs into a pack. False when there is no document.
    bool processIncomingPDF(std::unique_ptr<PDFDocument> document, bool hasFileName, const QUrl &fileURL);
    void resetForBeginNewPDFPack();
    // Shows the top of the first page of the last PDF of the document, a moment later.
    void goToLastPDFInPack();

    void updateLabelTextPDFInfo();
    void updateLabelTextPDFInfoWithSelection();

    // What the page view asks for.
    void togglePauseSpeech() override;
    void stopSpeaking() override;
    void resetCurrentSession() override;
    void startSentenceWalkJ(const std::optional<SentenceRecord> &sentence) override;
    void startSentenceWalkK(const std::optional<SentenceRecord> &sentence) override;
    void startSentenceWalkL(const std::optional<SentenceRecord> &sentence) override;
    void loadSpeechSet(const std::vector<SentenceRecord> &sentences) override;
    void openExistingDocument() override;
    void pdfViewPageChanged() override;
    void pdfViewSelectionChanged() override;

    // Menu commands.
    void menuCommandSpeakFromCurrentSelection();
    void menuCommandGoToMostRecentSentenceRead();
    void menuCommandGoToFurthestSentenceRead();
    void menuCommandResetCurrentSessionStatistics();
    void menuCommandAddFontToIgnoreList();
    void menuCommandRemoveFontFromIgnoreList();
    void checkHeadersFootersOnPage();
    // The item's check mark before the click decides: off raises the window, on lowers it.
    void keepMainWindowOnTop(bool itemIsOn);
    void menuCommandSetWatchedFolder();
    void menuCommandRevealWatchedFolderInFinder();
    // Scans the watched folder off the main thread, then pops up its newest PDFs.
    void buttonClickedShowRecentFilesInWatchedFolder();
    void watchedFileRequested(const RecentFileEntry &entry);
    void showCustomWordMappingsTextFile();
    void openNarrataWebsite();
    void openNarrataVideoTutorials();
    void openPDFUserGuideInDefaultApp();
    void contactCustomerSupport();
    void menuCommandCheckForUpdates();
    MenuItemState validateMenuItem(QStringView action) const;

    const Preferences &preferences() const { return m_preferences; }
    // The preference controls' choices, in force at once.
    void setPreferences(const Preferences &preferences);
    void saveUserPreferencesToUserDefaults();

    SpeakingLoop &speakingLoop() { return *m_loop; }
    PageContent &pageContent() { return m_pageContent; }
    VoiceCatalogue &voiceCatalogue() { return m_voices; }
    WordMappingTextPath &wordMappings() { return m_wordMappings; }
    ReadingSession &session() { return m_session; }
    const IgnoredFonts &ignoredFonts() const { return m_ignoredFonts; }
    RecentDocuments &recentDocuments() { return m_recentDocuments; }
    const WatchedFolder &watchedFolder() const { return m_watchedFolder; }
    const std::vector<RecentFileEntry> &watchedFolderFilesList() const { return m_watchedFolderFilesList; }

    const PDFDocument *pdfDocument() const { return m_pdfDocument.get(); }
    const std::vector<PackEntry> &listOfPDFDocs() const { return m_listOfPDFDocs; }
    const QUrl &introPDFURL() const { return m_introPDFURL; }
    bool isSavingPDFToDisk() const { return m_isSavingPDFToDisk; }

    // The voice label after the synthesizer was replaced (by the voice popover).
    void refreshVoiceLabel();

signals:
    // A sentence is being read aloud (for the window's debugging output).
    void sentenceStarted(const narrata::SentenceRecord &sentence);
    // The watched folder's scan finished (the pop-up, if any, is showing).
    void watchedFolderScanned();

private:
    void reloadSpeechSynthesizer();
    // Selects the stored sentence a go-to command found, or beeps.
    void goTo(const ReadingProgress::GoTo &goTo);
    void loadUserPreferencesFromUserDefaults();
    void applyPreferences();
    void showDocumentInView();
    QString documentFileName() const;
    void loadUpdatesToPDFIgnoreFontList();
    void applyIgnoredFonts();
    void noteRecentDocument(const QString &path);
    bool isPrintedPDFPath(const QString &path) const;
    // Beeps and shows the refusal for a locked or encrypted document; says whether it did.
    bool refuseIfLockedOrEncrypted(const PDFDocument &document);
    void refuse(const QString &fileName, const QString &what);
    // loadPDF with the document already opened from url (nothing when that failed).
    void loadPDF(const QUrl &url, std::unique_ptr<PDFDocument> document);
    // Nothing shown: the window's title, the view and the label say so.
    void showNoDocument();
    // The title and label of a pack that has not been saved yet.
    void showAsUnsavedPack();
    void reportUnreadable(const QString &path);

    Services m_services;
    Preferences m_preferences;
    ReadingProgress m_progress;
    ReadingSession m_session;
    WordMappingTextPath m_wordMappings;
    PageContent m_pageContent;
    std::unique_ptr<SpeechSetSmartener> m_smartener;
    std::unique_ptr<SpeakingLoop> m_loop;
    VoiceCatalogue m_voices;
    IgnoredFonts m_ignoredFonts;
    WatchedFolder m_watchedFolder;
    RecentDocuments m_recentDocuments;
    std::optional<UpdateChecker> m_updater;
    LigatureMap m_ligatureMap;

    std::unique_ptr<PDFDocument> m_pdfDocument;
    std::vector<PackEntry> m_listOfPDFDocs;
    std::vector<RecentFileEntry> m_watchedFolderFilesList;
    QUrl m_introPDFURL;
    bool m_isSavingPDFToDisk = false;
    bool m_observesPageView = false;
};

} // namespace narrata
