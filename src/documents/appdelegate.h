#pragma once

#include "documentsaving.h"
#include "documentview.h"
#include "helpcommands.h"
#include "locationlinks.h"
#include "menuvalidation.h"
#include "pageviewdelegate.h"
#include "settings/ignoredfonts.h"
#include "settings/preferences.h"
#include "settings/recentdocuments.h"
#include "showndocument.h"
#include "speech/ligaturemap.h"
#include "speech/pagecontent.h"
#include "speech/readingprogress.h"
#include "speech/readingsession.h"
#include "speech/speakingloop.h"
#include "speech/speechsetsmartener.h"
#include "speech/voicecatalogue.h"
#include "speech/wordmappingtextpath.h"
#include "statuslabels.h"
#include "tableofcontents.h"
#include "watchedfoldercommands.h"

#include <QObject>

#include <memory>
#include <optional>

namespace narrata {

class DefaultsStore;
class DesktopServices;
class DocumentView;
class PDFService;
class ReaderWindow;
class SpeechService;

// The hub of the application's state: it owns the speaking loop with its queue, the page
// content for reading, progress and statistics, voices, word mappings, preferences and ignored
// fonts, and the sections that hold the rest (the shown document, the labels, the watched
// folder, help). The page view and the menus send it their commands; each is done here or
// handed to the section it belongs to. Everything runs on the main thread; the window and the
// page view are reached through narrow interfaces.
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
        // Where saved packs go; the standard data location when empty.
        QString applicationSupportPath = {};
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

    // What the page view asks for.
    void togglePauseSpeech() override;
    void stopSpeaking() override { m_loop->stopSpeaking(); }
    void resetCurrentSession() override;
    void startSentenceWalkJ(const std::optional<SentenceRecord> &sentence) override;
    void startSentenceWalkK(const std::optional<SentenceRecord> &sentence) override;
    void startSentenceWalkL(const std::optional<SentenceRecord> &sentence) override;
    void loadSpeechSet(const std::vector<SentenceRecord> &sentences) override { m_loop->loadSpeechSet(sentences); }
    void openExistingDocument() override;
    void savePDF() override { m_saving.savePDF(); }
    void copyOrvikURLforPageIndex(qint64 page, QPointF point) override
    {
        m_links.copyOrvikURLforPageIndex(page, point);
    }
    void pdfViewPageChanged() override { m_labels.pdfViewPageChanged(); }
    void pdfViewSelectionChanged() override { m_labels.pdfViewSelectionChanged(); }

    // Menu commands.
    void menuCommandSpeakFromCurrentSelection();
    void menuCommandGoToMostRecentSentenceRead();
    void menuCommandGoToFurthestSentenceRead();
    void menuCommandResetCurrentSessionStatistics() { resetCurrentSession(); }
    void menuCommandAddFontToIgnoreList();
    void menuCommandRemoveFontFromIgnoreList();
    void checkHeadersFootersOnPage() { m_services.pdfView.selectHeaderFooterRange(); }
    void showMenuPDFOutlines() { m_documents.showMenuPDFOutlines(); }
    void outlineMenuFired(const OutlineEntry &entry) { m_documents.outlineMenuFired(entry); }
    // The item's check mark before the click decides: off raises the window, on lowers it.
    void keepMainWindowOnTop(bool itemIsOn);
    MenuItemState validateMenuItem(QStringView action) const;

    const Preferences &preferences() const { return m_preferences; }
    // The preference controls' choices, in force at once.
    void setPreferences(const Preferences &preferences);
    void saveUserPreferencesToUserDefaults();
    // The voice label after the synthesizer was replaced (by the voice popover).
    void refreshVoiceLabel();

    // The sections.
    ShownDocument &documents() { return m_documents; }
    const ShownDocument &documents() const { return m_documents; }
    StatusLabels &labels() { return m_labels; }
    DocumentSaving &saving() { return m_saving; }
    LocationLinks &links() { return m_links; }
    WatchedFolderCommands &watchedFolder() { return m_watchedFolder; }
    HelpCommands &help() { return m_help; }

    SpeakingLoop &speakingLoop() { return *m_loop; }
    PageContent &pageContent() { return m_pageContent; }
    VoiceCatalogue &voiceCatalogue() { return m_voices; }
    // A speech backend listed its voices after the launch: the stored voice may be among them.
    void speechVoicesListed() { m_voices.adoptStoredVoiceNowOffered(*m_loop) ? reloadSpeechSynthesizer() : void(); }
    WordMappingTextPath &wordMappings() { return m_wordMappings; }
    ReadingSession &session() { return m_session; }
    const IgnoredFonts &ignoredFonts() const { return m_ignoredFonts; }
    RecentDocuments &recentDocuments() { return m_recentDocuments; }

signals:
    // For the window's debugging output: a sentence is being read aloud, reading was paused or
    // resumed, the session's statistics started again.
    void sentenceStarted(const narrata::SentenceRecord &sentence);
    void pauseToggled(bool paused);
    void sessionReset();

private:
    void reloadSpeechSynthesizer();
    // Selects the stored sentence a go-to command found, or beeps.
    void goTo(const ReadingProgress::GoTo &goTo);
    void loadUserPreferencesFromUserDefaults();
    void applyPreferences();
    void loadUpdatesToPDFIgnoreFontList();
    // The first time a position could not be stored, the user is told; once only.
    void reportUnsavedProgressOnce();
    void applyIgnoredFonts();

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
    RecentDocuments m_recentDocuments;
    LigatureMap m_ligatureMap;
    ShownDocument m_documents;
    DocumentSaving m_saving;
    LocationLinks m_links;
    StatusLabels m_labels;
    WatchedFolderCommands m_watchedFolder;
    HelpCommands m_help;
    bool m_reportedUnsavedProgress = false;
};

} // namespace narrata
