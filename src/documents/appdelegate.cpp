#include "appdelegate.h"

#include "platform/desktop/desktopservices.h"
#include "platform/settings/defaultsstore.h"
#include "readerwindow.h"
#include "settings/registereddefaults.h"
#include "text/fonts.h"

namespace narrata {

namespace {

QUrl introPDFURL(const AppDelegate::Services &services)
{
    return services.introPDFPath.isEmpty() ? QUrl() : QUrl::fromLocalFile(services.introPDFPath);
}

} // namespace

AppDelegate::AppDelegate(Services services, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_progress(m_services.defaults)
    , m_wordMappings(WordMappingsFile(m_services.wordMappingsPath))
    , m_smartener(std::make_unique<SpeechSetSmartener>(
          m_services.speechService, m_pageContent, [this] { return m_loop ? m_loop->ttsVoice : std::nullopt; }))
    , m_loop(std::make_unique<SpeakingLoop>(SpeakingLoop::Collaborators{m_services.speechService, m_services.pdfView,
          m_pageContent, *m_smartener, m_wordMappings, m_progress, m_session}))
    , m_voices(m_services.speechService, m_services.defaults)
    , m_ignoredFonts(m_services.defaults)
    , m_recentDocuments(m_services.defaults)
    , m_documents({m_services.pdfService, m_services.desktop, m_services.pdfView, m_services.window, *m_loop,
          m_pageContent, m_progress, m_recentDocuments, m_preferences, introPDFURL(m_services)})
    , m_saving({m_services.desktop, m_services.window, m_services.pdfView, m_documents, m_recentDocuments,
          m_preferences, m_services.applicationSupportPath})
    , m_links({m_services.defaults, m_services.desktop, m_documents, m_services.pdfView,
          [this] { return m_recentDocuments.paths() + m_watchedFolder.pathsOfPDFs() << m_services.introPDFPath; }})
    , m_labels(m_services.pdfView, m_services.window, [this] { return m_documents.hasDocument(); })
    , m_watchedFolder(m_services.defaults, m_services.desktop, m_services.window,
          [this](const QUrl &url) { m_documents.openChosenFile(url); })
    , m_help(m_services.desktop, m_services.wordMappingsPath, m_services.applicationVersion, introPDFURL(m_services))
{
    m_loop->sentenceStarted = [this](const SentenceRecord &sentence) {
        reportUnsavedProgressOnce();
        emit sentenceStarted(sentence);
    };
    m_session.labelChanged = [this](const QString &text) { m_services.window.setLabelCurrentSessionStats(text); };
    m_documents.savePDFPackAutomatically = [this] { m_saving.savePDFPackAutomatically(); };
    // A document loaded on its own shows its last sentence heard; a pack's newest PDF stays.
    connect(&m_documents, &ShownDocument::jumpedToLastPDF, this, [this] {
        if (m_preferences.userPreferenceShouldReopenAtMostRecentSentence && m_documents.listOfPDFDocs().size() == 1
            && m_progress.hasMostRecentSentenceRead())
            goTo(m_progress.goToMostRecentSentenceRead());
    });
    m_documents.shownChanged = [this] {
        m_labels.updateLabelTextPDFInfo();
        loadUpdatesToPDFIgnoreFontList();
        m_links.lookupPDFPrefix();
    };
}

AppDelegate::~AppDelegate()
{
    // The loop reports to this object; it must be quiet before the members go.
    m_loop->stopSpeaking();
}

void AppDelegate::initialize(DefaultsStore &defaults)
{
    defaults.registerDefaults(registeredDefaults());
}

void AppDelegate::applicationDidFinishLaunching()
{
    m_watchedFolder.loadWatchedFolderFromUserDefaults();
    m_voices.prepareVoices(*m_loop);
    m_session.shouldTrackCurrentSession = true;
    m_loop->isSpeechPausedByUser = false;
    resetCurrentSession();
    reloadSpeechSynthesizer();
    m_loop->resetSpeechEngine();
    m_loop->pastSpeechSet().clear();
    m_documents.resetForBeginNewPDFPack();
    m_ignoredFonts.load({});
    m_services.pdfView.setAd(this);
    m_services.pdfView.setPageContent(&m_pageContent);
    loadUserPreferencesFromUserDefaults();
    m_loop->numSentencesCompleted = 0;
    m_labels.setObservesPageView(true);
    m_documents.resetToDefaultPDF();
    m_wordMappings.initializeCustomPronunciationFileAtFirstLaunch();
    m_ligatureMap = prepareMapForLigatures({QStringLiteral("fi")});
}

void AppDelegate::applicationWillTerminate()
{
    applicationDidResignActive();
}

void AppDelegate::applicationDidResignActive()
{
    m_progress.saveNumSentencesCompleted(m_loop->numSentencesCompleted);
    saveUserPreferencesToUserDefaults();
}

void AppDelegate::applicationDidBecomeActive()
{
    m_labels.updateLabelTextPDFInfo();
}

// --- Reading ---

void AppDelegate::reportUnsavedProgressOnce()
{
    if (!m_progress.saveFailed() || m_reportedUnsavedProgress)
        return;
    m_reportedUnsavedProgress = true;
    m_services.desktop.showWarningAlert(QStringLiteral("Your place cannot be saved"),
        QStringLiteral("Narrata could not write its settings file, so where you are in this document will not be "
                       "remembered. Reading goes on; check that your settings folder can be written to."));
}

void AppDelegate::togglePauseSpeech()
{
    m_loop->togglePauseSpeech();
    emit pauseToggled(m_loop->isSpeechPausedByUser);
}

void AppDelegate::resetCurrentSession()
{
    m_loop->resetCurrentSession();
    emit sessionReset();
}

void AppDelegate::startSentenceWalkJ(const std::optional<SentenceRecord> &sentence)
{
    m_loop->startSentenceWalkJ(sentence);
}

void AppDelegate::startSentenceWalkK(const std::optional<SentenceRecord> &sentence)
{
    m_loop->startSentenceWalkK(sentence);
}

void AppDelegate::startSentenceWalkL(const std::optional<SentenceRecord> &sentence)
{
    m_loop->startSentenceWalkL(sentence);
}

void AppDelegate::reloadSpeechSynthesizer()
{
    m_loop->reloadSpeechSynthesizer();
    refreshVoiceLabel();
}

void AppDelegate::refreshVoiceLabel()
{
    m_services.window.setLabelTextVoiceInfo(m_loop->labelTextVoiceInfo());
}

// --- Preferences ---

void AppDelegate::loadUserPreferencesFromUserDefaults()
{
    m_preferences = narrata::loadUserPreferencesFromUserDefaults(m_services.defaults);
    applyPreferences();
    // The item's check mark is set against the remembered choice, so that the command, which
    // toggles, ends with the window where it was remembered.
    const bool remembered = m_services.defaults.boolForKey(settingskeys::rememberPreferenceShouldKeepMainWindowOnTop);
    keepMainWindowOnTop(!remembered);
}

void AppDelegate::saveUserPreferencesToUserDefaults()
{
    narrata::saveUserPreferencesToUserDefaults(m_preferences, m_services.defaults);
}

void AppDelegate::setPreferences(const Preferences &preferences)
{
    m_preferences = preferences;
    applyPreferences();
}

void AppDelegate::applyPreferences()
{
    m_smartener->options
        = {m_preferences.userPreferenceSkipFixedWidthFonts, m_preferences.userPrefShouldSortOrderOfSentencesVisually,
            m_preferences.userPrefShouldSkipSentencesWithWeirdBounds};
    m_pageContent.setOptions({m_preferences.userPreferenceUseFastSkipMode,
        m_preferences.userPreferenceSkipFixedWidthFonts, m_preferences.userPreferenceSkipHeaderFooterAggressive});
}

void AppDelegate::keepMainWindowOnTop(bool itemIsOn)
{
    m_services.window.setWindowLevel(itemIsOn ? 0 : ReaderWindow::kFloatingWindowLevel);
}

// --- Commands ---

void AppDelegate::openExistingDocument()
{
    m_services.desktop.chooseFileToOpen([this](const QString &path) { m_documents.openFileInternal(path); });
}

void AppDelegate::menuCommandSpeakFromCurrentSelection()
{
    m_services.pdfView.speakFromCurrentSelection();
}

void AppDelegate::menuCommandGoToMostRecentSentenceRead()
{
    goTo(m_progress.goToMostRecentSentenceRead());
}

void AppDelegate::menuCommandGoToFurthestSentenceRead()
{
    goTo(m_progress.goToFurthestSentenceRead());
}

void AppDelegate::goTo(const ReadingProgress::GoTo &goTo)
{
    if (goTo.select)
        m_services.pdfView.selectSentence(*goTo.select);
    if (goTo.beep)
        m_services.desktop.beep();
}

void AppDelegate::loadUpdatesToPDFIgnoreFontList()
{
    // A pack or a document without a file keeps the list it had, and nothing of it is stored:
    // stored under the previous document's name, its fonts would be ignored there.
    m_ignoredFonts.load(m_documents.representedFileName());
    applyIgnoredFonts();
}

void AppDelegate::applyIgnoredFonts()
{
    const QStringList labels = m_ignoredFonts.labels();
    m_smartener->currentPDFignoredFontsList = QSet<QString>(labels.begin(), labels.end());
}

void AppDelegate::menuCommandAddFontToIgnoreList()
{
    if (const std::optional<PDFFont> font = m_services.pdfView.currentSelectionFont()) {
        m_ignoredFonts.add(prettyFontString(*font));
        applyIgnoredFonts();
    }
}

void AppDelegate::menuCommandRemoveFontFromIgnoreList()
{
    if (const std::optional<PDFFont> font = m_services.pdfView.currentSelectionFont()) {
        m_ignoredFonts.remove(prettyFontString(*font));
        applyIgnoredFonts();
    }
}

MenuItemState AppDelegate::validateMenuItem(QStringView action) const
{
    MenuContext context;
    const PDFSelection selection = m_services.pdfView.currentSelection();
    if (!selection.isEmpty())
        context.selectionText = selection.string();
    if (const PDFDocument *shown = m_services.pdfView.document()) {
        const std::shared_ptr<PDFPage> page
            = shown->pageAtIndex(static_cast<int>(m_services.pdfView.currentPageIndex()));
        context.currentPageHasText = page && !page->string().isEmpty();
    }
    context.hasMostRecentSentenceRead = m_progress.hasMostRecentSentenceRead();
    context.hasFurthestSentenceRead = m_progress.hasFurthestSentenceRead();
    context.mainWindowLevel = m_services.window.windowLevel();
    context.clipboard = m_services.desktop.clipboardOffer();
    return narrata::validateMenuItem(action, context);
}

} // namespace narrata
