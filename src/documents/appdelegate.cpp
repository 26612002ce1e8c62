#include "appdelegate.h"

#include "documentview.h"
#include "pageinfolabel.h"
#include "platform/desktop/desktopservices.h"
#include "platform/settings/defaultsstore.h"
#include "readerwindow.h"
#include "settings/registereddefaults.h"
#include "text/fonts.h"
#include "text/readablepages.h"

#include <QDir>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

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

AppDelegate::AppDelegate(Services services, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_progress(m_services.defaults)
    , m_wordMappings(WordMappingsFile(m_services.wordMappingsPath))
    , m_voices(m_services.speechService, m_services.defaults)
    , m_ignoredFonts(m_services.defaults)
    , m_watchedFolder(m_services.defaults)
    , m_recentDocuments(m_services.defaults)
{
    m_smartener = std::make_unique<SpeechSetSmartener>(
        m_services.speechService, m_pageContent, [this] { return m_loop ? m_loop->ttsVoice : std::nullopt; });
    m_loop = std::make_unique<SpeakingLoop>(SpeakingLoop::Collaborators{m_services.speechService, m_services.pdfView,
        m_pageContent, *m_smartener, m_wordMappings, m_progress, m_session});
    m_loop->sentenceStarted = [this](const SentenceRecord &sentence) { emit sentenceStarted(sentence); };
    m_session.labelChanged = [this](const QString &text) { m_services.window.setLabelCurrentSessionStats(text); };
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
    m_listOfPDFDocs.clear();
    m_ignoredFonts.load({});
    m_services.pdfView.setAd(this);
    m_services.pdfView.setPageContent(&m_pageContent);
    loadUserPreferencesFromUserDefaults();
    m_loop->numSentencesCompleted = 0;
    if (!m_services.introPDFPath.isEmpty())
        m_introPDFURL = QUrl::fromLocalFile(m_services.introPDFPath);
    m_isSavingPDFToDisk = false;
    m_observesPageView = true;
    resetToDefaultPDF();
    m_wordMappings.initializeCustomPronunciationFileAtFirstLaunch();
    m_ligatureMap = prepareMapForLigatures({QStringLiteral("fi")});
    m_updater.emplace(m_services.desktop);
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
    updateLabelTextPDFInfo();
}

// --- Documents ---

bool AppDelegate::openFileInternal(const QString &path)
{
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    // Opened once, and handed on: refusing, loading and the copies all start from it.
    std::unique_ptr<PDFDocument> document = m_services.pdfService.openFile(absolutePath);
    if (document && refuseIfLockedOrEncrypted(*document))
        return false;
    if (!document) {
        // Nobody else would tell the user: the file came from a command line or another launch.
        reportUnreadable(absolutePath);
        return false;
    }
    const bool result = processIncomingPDF(std::move(document), true, QUrl::fromLocalFile(absolutePath));
    noteRecentDocument(absolutePath);
    return result;
}

bool AppDelegate::isPDFLockedOrEncrypted(const QString &path)
{
    const std::unique_ptr<PDFDocument> document = m_services.pdfService.openFile(path);
    return document && refuseIfLockedOrEncrypted(*document);
}

bool AppDelegate::refuseIfLockedOrEncrypted(const PDFDocument &document)
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

void AppDelegate::refuse(const QString &fileName, const QString &what)
{
    m_services.desktop.beep();
    m_services.desktop.showWarningAlert(QStringLiteral("\"%1\" is %2").arg(fileName, what),
        QStringLiteral("Unfortunately, Narrata is unable to work with %1 PDFs.").arg(what.toLower()));
}

void AppDelegate::reportUnreadable(const QString &path)
{
    m_services.desktop.beep();
    m_services.desktop.showWarningAlert(QStringLiteral("\"%1\" could not be opened").arg(QFileInfo(path).fileName()),
        QFileInfo::exists(path) ? QStringLiteral("Unfortunately, Narrata could not read this file as a PDF.")
                                : QStringLiteral("Unfortunately, Narrata could not find this file."));
}

void AppDelegate::loadPDF(const QUrl &url)
{
    loadPDF(url, url.isLocalFile() ? m_services.pdfService.openFile(url.toLocalFile()) : nullptr);
}

void AppDelegate::loadPDF(const QUrl &url, std::unique_ptr<PDFDocument> document)
{
    // The file is opened before anything is given up: a file that vanished or is damaged
    // must not cost the reader the document they were reading.
    if (!document) {
        if (url != m_introPDFURL)
            reportUnreadable(url.toLocalFile());
        else // without the guide the reader waits, saying how to open a document
            updateLabelTextPDFInfo();
        return;
    }
    if (m_loop->synthesizer() && m_loop->synthesizer()->isSpeaking())
        m_loop->synthesizer()->stopSpeaking();
    m_loop->resetSpeechEngine();
    m_pageContent.setDocument(nullptr);
    m_services.pdfView.setDocument(nullptr);
    m_loop->setDocument(nullptr);
    m_pdfDocument.reset();
    m_listOfPDFDocs.clear();

    m_listOfPDFDocs.push_back({QFileInfo(url.toLocalFile()).completeBaseName(), url, 0, document->copy()});
    m_pdfDocument = std::move(document);
    if (refuseIfLockedOrEncrypted(*m_pdfDocument)) {
        // The guide itself refused: stay without a document rather than load it again.
        if (url == m_introPDFURL)
            showNoDocument();
        else
            resetToNoDocumentState();
        return;
    }
    const QString fileName = lastPathComponent(url);
    m_services.window.setWindowTitle(fileName);
    m_services.window.setRepresentedURL(url);
    showDocumentInView();
    goToLastPDFInPack();
    if (url.toLocalFile() != m_introPDFURL.toLocalFile())
        noteRecentDocument(url.toLocalFile());
    updateLabelTextPDFInfo();
    loadUpdatesToPDFIgnoreFontList();
}

void AppDelegate::showDocumentInView()
{
    m_services.pdfView.setDocument(m_pdfDocument ? m_pdfDocument->copy() : nullptr);
    m_pageContent.setDocument(m_services.pdfView.document());
    m_loop->setDocument(m_services.pdfView.document());
    m_progress.setDocumentFileName(documentFileName());
}

void AppDelegate::resetToDefaultPDF()
{
    loadPDF(m_introPDFURL);
}

void AppDelegate::resetToNoDocumentState()
{
    showNoDocument();
    resetToDefaultPDF();
}

void AppDelegate::showNoDocument()
{
    m_services.window.setWindowTitle(QStringLiteral("Narrata"));
    m_services.window.setRepresentedURL({});
    m_pdfDocument.reset();
    m_listOfPDFDocs.clear();
    m_pageContent.setDocument(nullptr);
    m_services.pdfView.setDocument(nullptr);
    m_loop->setDocument(nullptr);
    updateLabelTextPDFInfo();
}

void AppDelegate::showAsUnsavedPack()
{
    m_services.window.setWindowTitle(QStringLiteral("PDF Pack (unsaved)"));
    m_services.window.setRepresentedURL({});
    updateLabelTextPDFInfo();
}

bool AppDelegate::processIncomingPDF(std::unique_ptr<PDFDocument> document, bool hasFileName, const QUrl &fileURL)
{
    m_loop->resetSpeechEngine();
    bool append = m_preferences.userPreferenceShouldAppendPDFs;
    if (m_pdfDocument && m_pdfDocument->documentURL().toLocalFile() == m_introPDFURL.toLocalFile())
        append = false;
    if (!document)
        return false;
    if (append && m_pdfDocument) {
        const auto pageCount = static_cast<quint64>(m_pdfDocument->pageCount());
        m_listOfPDFDocs.push_back({hasFileName ? QFileInfo(fileURL.toLocalFile()).completeBaseName() : QString(),
            hasFileName ? fileURL : QUrl(), pageCount, document->copy()});
        for (int i = 0; i < document->pageCount(); ++i) {
            if (const std::shared_ptr<PDFPage> page = document->pageAtIndex(i))
                m_pdfDocument->insertPage(*page, static_cast<int>(pageCount) + i);
        }
        showDocumentInView();
        QTimer::singleShot(kPackJumpDelayMilliseconds, this, [this] { goToLastPDFInPack(); });
        showAsUnsavedPack();
        return true;
    }
    if (append)
        m_listOfPDFDocs.clear();
    else
        resetForBeginNewPDFPack();
    if (hasFileName) {
        loadPDF(fileURL, std::move(document));
        return true;
    }
    m_pdfDocument = std::move(document);
    showDocumentInView();
    m_listOfPDFDocs.push_back({QString(), {}, 0, m_pdfDocument->copy()});
    showAsUnsavedPack();
    return true;
}

void AppDelegate::resetForBeginNewPDFPack()
{
    m_listOfPDFDocs.clear();
}

void AppDelegate::goToLastPDFInPack()
{
    if (m_listOfPDFDocs.empty())
        return;
    const int pageIndex = static_cast<int>(m_listOfPDFDocs.back().pageOffset);
    QTimer::singleShot(kJumpDelayMilliseconds, this, [this, pageIndex] {
        const PDFDocument *shown = m_services.pdfView.document();
        const std::shared_ptr<PDFPage> page = shown ? shown->pageAtIndex(pageIndex) : nullptr;
        if (!page)
            return;
        const QRectF media = page->boundsForBox(PDFDisplayBox::MediaBox);
        m_services.pdfView.goToPageIndex(pageIndex, {media.width() / 2, media.y() + media.height()});
    });
}

QString AppDelegate::documentFileName() const
{
    const PDFDocument *shown = m_services.pdfView.document();
    return shown ? lastPathComponent(shown->documentURL()) : QString();
}

bool AppDelegate::isPrintedPDFPath(const QString &path) const
{
    const QString temporary = QDir(QDir::tempPath()).canonicalPath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return path.startsWith(u"/private/var/folders/")
        || (!temporary.isEmpty() && canonical.startsWith(temporary + QLatin1Char('/')));
}

void AppDelegate::noteRecentDocument(const QString &path)
{
    if (isPrintedPDFPath(path) && !m_preferences.userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList)
        return;
    m_recentDocuments.noteNewRecentDocument(path);
}

// --- Labels ---

void AppDelegate::updateLabelTextPDFInfo()
{
    const PDFDocument *shown = m_services.pdfView.document();
    if (!m_pdfDocument || !shown) {
        m_services.window.setLabelTextPDFInfo(pageinfolabel::noDocumentText());
        return;
    }
    m_services.window.setLabelTextPDFInfo(
        pageinfolabel::textForPage(m_services.pdfView.currentPageIndex(), shown->pageCount()));
}

void AppDelegate::updateLabelTextPDFInfoWithSelection()
{
    const PDFDocument *shown = m_services.pdfView.document();
    if (!m_pdfDocument || !shown) {
        m_services.window.setLabelTextPDFInfo(pageinfolabel::noDocumentText());
        return;
    }
    const qint64 pageIndex = m_services.pdfView.currentPageIndex();
    const std::shared_ptr<PDFPage> page = shown->pageAtIndex(static_cast<int>(pageIndex));
    if (!page) {
        updateLabelTextPDFInfo();
        return;
    }
    std::optional<double> centre;
    const QRectF bounds = m_services.pdfView.currentSelection().boundsForPage(*page);
    if (!bounds.isNull())
        centre = bounds.y() + bounds.height() / 2;
    const QRectF media = page->boundsForBox(PDFDisplayBox::MediaBox);
    m_services.window.setLabelTextPDFInfo(
        pageinfolabel::textForSelection(pageIndex, shown->pageCount(), centre, media.y() + media.height()));
}

void AppDelegate::pdfViewPageChanged()
{
    if (m_observesPageView)
        updateLabelTextPDFInfo();
}

void AppDelegate::pdfViewSelectionChanged()
{
    if (!m_observesPageView)
        return;
    if (m_services.pdfView.currentSelection().isEmpty())
        updateLabelTextPDFInfo();
    else
        updateLabelTextPDFInfoWithSelection();
}

// --- Reading ---

void AppDelegate::togglePauseSpeech()
{
    m_loop->togglePauseSpeech();
}

void AppDelegate::stopSpeaking()
{
    m_loop->stopSpeaking();
}

void AppDelegate::resetCurrentSession()
{
    m_loop->resetCurrentSession();
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

void AppDelegate::loadSpeechSet(const std::vector<SentenceRecord> &sentences)
{
    m_loop->loadSpeechSet(sentences);
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
    m_services.desktop.chooseFileToOpen([this](const QString &path) { openFileInternal(path); });
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

void AppDelegate::menuCommandResetCurrentSessionStatistics()
{
    resetCurrentSession();
}

void AppDelegate::loadUpdatesToPDFIgnoreFontList()
{
    const QString fileName = documentFileName();
    if (!fileName.isEmpty())
        m_ignoredFonts.load(fileName);
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

void AppDelegate::checkHeadersFootersOnPage()
{
    m_services.pdfView.selectHeaderFooterRange();
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
    return narrata::validateMenuItem(action, context);
}

// --- Watched folder ---

void AppDelegate::menuCommandSetWatchedFolder()
{
    const QUrl start = m_watchedFolder.folderOrDefault();
    m_services.desktop.chooseFolder(start.toLocalFile(), [this](const QString &path) {
        m_watchedFolder.setWatchedFolder(QUrl::fromLocalFile(path));
        m_watchedFolder.saveWatchedFolderToUserDefaults();
    });
}

void AppDelegate::menuCommandRevealWatchedFolderInFinder()
{
    m_services.desktop.openURL(m_watchedFolder.folderOrDefault());
}

void AppDelegate::buttonClickedShowRecentFilesInWatchedFolder()
{
    const QString folder = m_watchedFolder.folderOrDefault().toLocalFile();
    m_isSavingPDFToDisk = true;
    m_services.window.setBusy(true);
    auto *watcher = new QFutureWatcher<std::vector<RecentFileEntry>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_watchedFolderFilesList = watcher->result();
        m_isSavingPDFToDisk = false;
        m_services.window.setBusy(false);
        if (!m_watchedFolderFilesList.empty()) {
            const auto shown = std::min<std::size_t>(m_watchedFolderFilesList.size(), WatchedFolder::kShownFiles);
            const std::vector<RecentFileEntry> newest(
                m_watchedFolderFilesList.begin(), m_watchedFolderFilesList.begin() + static_cast<qsizetype>(shown));
            m_services.window.popUpRecentPDFs(
                newest, [this](const RecentFileEntry &entry) { watchedFileRequested(entry); });
        }
        emit watchedFolderScanned();
    });
    watcher->setFuture(QtConcurrent::run([folder] { return scanWatchedFolder(folder); }));
}

void AppDelegate::watchedFileRequested(const RecentFileEntry &entry)
{
    if (entry.URL.isEmpty())
        return;
    // A file chosen here is refused like any other if it is locked or encrypted, and the
    // document being read stays.
    std::unique_ptr<PDFDocument> document = m_services.pdfService.openFile(entry.URL.toLocalFile());
    if (!document || !refuseIfLockedOrEncrypted(*document))
        loadPDF(entry.URL, std::move(document));
}

// --- Word mappings, help and links ---

void AppDelegate::showCustomWordMappingsTextFile()
{
    const QString path = m_wordMappings.mappingsFile().path();
    if (QFileInfo::exists(path))
        m_services.desktop.revealFile(path);
    else
        m_services.desktop.openURL(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

void AppDelegate::openNarrataWebsite()
{
    m_services.desktop.openURL(supportlinks::websiteURL());
}

void AppDelegate::openNarrataVideoTutorials()
{
    m_services.desktop.openURL(supportlinks::videoTutorialsURL());
}

void AppDelegate::openPDFUserGuideInDefaultApp()
{
    if (!m_introPDFURL.isEmpty())
        m_services.desktop.openURL(m_introPDFURL);
}

void AppDelegate::contactCustomerSupport()
{
    m_services.desktop.openURL(supportlinks::supportMailURL(m_services.applicationVersion));
}

void AppDelegate::menuCommandCheckForUpdates()
{
    if (m_updater)
        m_updater->checkForUpdates(m_services.applicationVersion);
}

} // namespace narrata
