#include "mainwindow.h"

#include "audiobookexport.h"
#include "clipboardconverter.h"
#include "custompdfview.h"
#include "documents/appdelegate.h"
#include "helppopover.h"
#include "linkpopover.h"
#include "pageviewaccessibility.h"
#include "preferencespopover.h"
#include "ui_mainwindow.h"
#include "voicepopover.h"
#include "wordmappingseditor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <functional>

namespace narrata {

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_ui(std::make_unique<::Ui::MainWindow>())
{
    m_ui->setupUi(this);
    m_labelTextPDFInfo = new QLabel(this);
    m_labelTextPDFInfo->setObjectName(QStringLiteral("labelTextPDFInfo"));
    m_labelCurrentSessionStats = new QLabel(this);
    m_labelCurrentSessionStats->setObjectName(QStringLiteral("labelCurrentSessionStats"));
    m_labelCurrentSessionStats->setAlignment(Qt::AlignCenter);
    m_buttonTTSVoicePopover = new QToolButton(this);
    m_buttonTTSVoicePopover->setObjectName(QStringLiteral("buttonTTSVoicePopover"));
    m_buttonTTSVoicePopover->setAutoRaise(true);
    m_buttonTTSVoicePopover->setToolTip(QStringLiteral("Choose the voice and the speed"));
    m_labelReadingPaused = new QLabel(QStringLiteral("Paused"), this);
    m_labelReadingPaused->setObjectName(QStringLiteral("labelReadingPaused"));
    m_labelReadingPaused->hide();
    m_labelNoSoundDevice = new QLabel(QStringLiteral("No sound device: reading in silence"), this);
    m_labelNoSoundDevice->setObjectName(QStringLiteral("labelNoSoundDevice"));
    m_labelNoSoundDevice->setToolTip(QStringLiteral("No sound server answered. Sentences are still selected at the "
                                                    "pace of speech; start Narrata again once sound works."));
    m_labelNoSoundDevice->hide();
    statusBar()->addWidget(m_labelTextPDFInfo);
    statusBar()->addWidget(m_labelCurrentSessionStats, 1);
    statusBar()->addPermanentWidget(m_labelReadingPaused);
    statusBar()->addPermanentWidget(m_labelNoSoundDevice);
    statusBar()->addPermanentWidget(m_buttonTTSVoicePopover);
    m_ui->pdfView->setFocus();
    installPageViewAccessibility();
    connect(m_ui->pdfView, &CustomPDFView::selectionChanged, this, [this] { announcePageViewSelection(*pdfView()); });
    setAcceptDrops(true);
    useStyleIconsWhereTheThemeHasNone();
    // Qt's buttons for what does not fit in a narrow window come without a name.
    for (const char *overflow : {"qt_toolbar_ext_button", "qt_menubar_ext_button"}) {
        if (auto *button = findChild<QWidget *>(QLatin1String(overflow)))
            button->setAccessibleName(QStringLiteral("More"));
    }
    connect(m_ui->menuOpenRecent, &QMenu::aboutToShow, this, &MainWindow::fillOpenRecentMenu);
}

MainWindow::~MainWindow() = default;

CustomPDFView *MainWindow::pdfView() const
{
    return m_ui->pdfView;
}

QAction *MainWindow::action(const QString &command) const
{
    return findChild<QAction *>(command);
}

void MainWindow::setDelegate(AppDelegate &delegate, DefaultsStore &defaults, const QString &helpResource)
{
    m_delegate = &delegate;
    m_preferencesPopover = std::make_unique<PreferencesPopover>(defaults, this);
    m_voicePopover = std::make_unique<VoicePopover>(delegate.voiceCatalogue(), delegate.speakingLoop(), this);
    m_helpPopover = std::make_unique<HelpPopover>(helpResource, this);
    m_linkPopover = std::make_unique<LinkPopover>(delegate.links(), this);
    m_audiobookExport = std::make_unique<AudiobookExport>(delegate.documents(), *statusBar(), *this);
    m_wordMappingsEditor = std::make_unique<WordMappingsEditor>(delegate.wordMappings().mappingsFile(), this);
    connect(m_preferencesPopover.get(), &PreferencesPopover::preferencesChanged, this,
        [this](const Preferences &preferences) { m_delegate->setPreferences(preferences); });
    connect(m_voicePopover.get(), &VoicePopover::voiceChanged, this, [this] { m_delegate->refreshVoiceLabel(); });
    connect(pdfView(), &CustomPDFView::pageChanged, this, [this] { m_delegate->pdfViewPageChanged(); });
    connect(pdfView(), &CustomPDFView::selectionChanged, this, [this] { m_delegate->pdfViewSelectionChanged(); });
    for (QMenu *menu : m_ui->menuBar->findChildren<QMenu *>())
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { validate(menu); });
    connect(&delegate, &AppDelegate::pauseToggled, this, &MainWindow::showReadingPaused);
    // A new reading or session forgets a pause.
    connect(&delegate, &AppDelegate::sentenceStarted, this,
        [this] { showReadingPaused(m_delegate && m_delegate->speakingLoop().isSpeechPausedByUser); });
    connect(&delegate, &AppDelegate::sessionReset, this, [this] { showReadingPaused(false); });
    connectCommands();
}

namespace {

// The toolbar's commands and Qt's own pictures for them, for desktops without an icon theme.
const std::pair<const char *, QStyle::StandardPixmap> kStandardToolbarIcons[]{
    {"openExistingDocument", QStyle::SP_DialogOpenButton},
    {"buttonClickedShowRecentFilesInWatchedFolder", QStyle::SP_DirOpenIcon},
    {"showMenuPDFOutlines", QStyle::SP_FileDialogListView},
    {"menuCommandSpeakFromCurrentSelection", QStyle::SP_MediaPlay},
    {"togglePauseSpeech", QStyle::SP_MediaPause},
    {"stopSpeaking", QStyle::SP_MediaStop},
    {"buttonOrvikPopoverClicked", QStyle::SP_FileLinkIcon},
    {"buttonPreferencesPopoverClicked", QStyle::SP_FileDialogDetailedView},
    {"buttonHelpPopoverClicked", QStyle::SP_DialogHelpButton},
};

} // namespace

void MainWindow::useStyleIconsWhereTheThemeHasNone()
{
    // One set of pictures: a theme that lacks any of the toolbar's icons would mix its style with
    // Qt's, so then Qt's standard icons serve the whole toolbar.
    m_toolbarUsesStandardIcons = std::any_of(std::begin(kStandardToolbarIcons), std::end(kStandardToolbarIcons),
        [this](const auto &entry) { return action(QString::fromLatin1(entry.first))->icon().isNull(); });
    if (!m_toolbarUsesStandardIcons)
        return;
    for (const auto &[command, pixmap] : kStandardToolbarIcons)
        action(QString::fromLatin1(command))->setIcon(style()->standardIcon(pixmap));
}

void MainWindow::setClipboardConverter(std::unique_ptr<ClipboardConverter> converter)
{
    m_clipboardConverter = std::move(converter);
}

void MainWindow::releaseDelegate()
{
    m_clipboardConverter.reset();
    m_audiobookExport.reset();
    m_wordMappingsEditor.reset();
    m_voicePopover.reset();
    m_preferencesPopover.reset();
    m_helpPopover.reset();
    m_linkPopover.reset();
    pdfView()->setAd(nullptr);
    disconnect(pdfView(), nullptr, this, nullptr);
    m_delegate = nullptr;
}

void MainWindow::connectCommands()
{
    AppDelegate &d = *m_delegate;
    CustomPDFView *view = pdfView();
    const std::vector<std::pair<const char *, std::function<void()>>> commands{
        {"openExistingDocument", [&d] { d.openExistingDocument(); }},
        {"quitApplication", [this] { close(); }},
        {"savePDFAs", [&d] { d.saving().savePDFAs(); }},
        {"resetPDFPackDisplay", [&d] { d.documents().resetPDFPackDisplay(); }},
        {"showAutosavesDirectory", [&d] { d.saving().showAutosavesDirectory(); }},
        {"showMenuPDFOutlines", [&d] { d.showMenuPDFOutlines(); }},
        {"appendClipboardContentToPDF", [this] { m_clipboardConverter->appendClipboardContentToPDF(); }},
        {"insertClipboardContentsAsPDFPageRapid",
            [this] { m_clipboardConverter->insertClipboardContentsAsPDFPageRapid(); }},
        {"insertPDFPagesOnClipboard", [this] { m_clipboardConverter->insertPDFPagesOnClipboard(); }},
        {"exportAudiobook", [this] { m_audiobookExport->exportAudiobook(); }},
        {"copySelection", [view] { view->copy(); }},
        {"menuCommandSpeakFromCurrentSelection", [&d] { d.menuCommandSpeakFromCurrentSelection(); }},
        {"togglePauseSpeech", [&d] { d.togglePauseSpeech(); }},
        {"stopSpeaking", [&d] { d.stopSpeaking(); }},
        {"menuCommandGoToMostRecentSentenceRead", [&d] { d.menuCommandGoToMostRecentSentenceRead(); }},
        {"menuCommandGoToFurthestSentenceRead", [&d] { d.menuCommandGoToFurthestSentenceRead(); }},
        {"menuCommandResetCurrentSessionStatistics", [&d] { d.menuCommandResetCurrentSessionStatistics(); }},
        {"buttonTTSVoicePopoverClicked", [this] { m_voicePopover->showAbove(m_buttonTTSVoicePopover); }},
        {"menuClickedEditCustomPronunciations",
            [this] { m_wordMappingsEditor->menuClickedEditCustomPronunciations(); }},
        {"showCustomWordMappingsTextFile", [&d] { d.help().showCustomWordMappingsTextFile(); }},
        {"menuCommandAddFontToIgnoreList", [&d] { d.menuCommandAddFontToIgnoreList(); }},
        {"menuCommandRemoveFontFromIgnoreList", [&d] { d.menuCommandRemoveFontFromIgnoreList(); }},
        {"checkHeadersFootersOnPage", [&d] { d.checkHeadersFootersOnPage(); }},
        {"buttonClickedShowRecentFilesInWatchedFolder",
            [&d] { d.watchedFolder().buttonClickedShowRecentFilesInWatchedFolder(); }},
        {"menuCommandSetWatchedFolder", [&d] { d.watchedFolder().menuCommandSetWatchedFolder(); }},
        {"menuCommandRevealWatchedFolderInFinder",
            [&d] { d.watchedFolder().menuCommandRevealWatchedFolderInFinder(); }},
        {"zoomIn", [view] { view->zoomBy(1); }},
        {"zoomOut", [view] { view->zoomBy(-1); }},
        {"fitWidth", [view] { view->setAutoScales(true); }},
        {"buttonPreferencesPopoverClicked",
            [this] {
                m_preferencesPopover->setPreferences(m_delegate->preferences());
                m_preferencesPopover->showBelow(anchorFor(QStringLiteral("buttonPreferencesPopoverClicked")));
            }},
        {"buttonOrvikPopoverClicked",
            [this] { m_linkPopover->showBelow(anchorFor(QStringLiteral("buttonOrvikPopoverClicked"))); }},
        {"buttonHelpPopoverClicked",
            [this] { m_helpPopover->showBelow(anchorFor(QStringLiteral("buttonHelpPopoverClicked"))); }},
        {"openPDFUserGuideInDefaultApp", [&d] { d.help().openPDFUserGuideInDefaultApp(); }},
        {"openNarrataWebsite", [&d] { d.help().openNarrataWebsite(); }},
        {"openNarrataVideoTutorials", [&d] { d.help().openNarrataVideoTutorials(); }},
        {"contactCustomerSupport", [&d] { d.help().contactCustomerSupport(); }},
        {"menuCommandCheckForUpdates", [&d] { d.help().menuCommandCheckForUpdates(); }},
    };
    for (const auto &entry : commands) {
        QAction *item = action(QString::fromLatin1(entry.first));
        Q_ASSERT(item);
        // A shortcut can fire while the item's menu is closed and its state stale: the command
        // runs only if the item would be enabled now.
        connect(item, &QAction::triggered, this, [this, item, command = entry.second] {
            if (m_delegate && m_delegate->validateMenuItem(item->objectName()).enabled)
                command();
        });
    }
    QAction *onTop = action(QStringLiteral("keepMainWindowOnTop"));
    // The item has already flipped its check mark when it reports the click.
    connect(onTop, &QAction::triggered, this, [this](bool checked) {
        if (m_delegate)
            m_delegate->keepMainWindowOnTop(!checked);
    });
    connect(m_buttonTTSVoicePopover, &QToolButton::clicked, this,
        [this] { m_voicePopover->showAbove(m_buttonTTSVoicePopover); });
}

void MainWindow::validate(QMenu *menu)
{
    if (!m_delegate)
        return;
    for (QAction *item : menu->actions()) {
        if (item->objectName().isEmpty() || item->menu())
            continue;
        const MenuItemState state = m_delegate->validateMenuItem(item->objectName());
        item->setEnabled(state.enabled);
        if (state.title)
            item->setText(*state.title);
        if (state.checked)
            item->setChecked(*state.checked);
    }
}

void MainWindow::validateMenus()
{
    for (QMenu *menu : m_ui->menuBar->findChildren<QMenu *>())
        validate(menu);
}

QWidget *MainWindow::anchorFor(const QString &command) const
{
    QWidget *button = m_ui->toolBar->widgetForAction(action(command));
    return button && button->isVisible() ? button : pdfView();
}

void MainWindow::fillOpenRecentMenu()
{
    QMenu *menu = m_ui->menuOpenRecent;
    menu->clear();
    if (!m_delegate)
        return;
    const QStringList paths = m_delegate->recentDocuments().paths();
    for (const QString &path : paths) {
        QAction *item = menu->addAction(QFileInfo(path).fileName());
        item->setToolTip(path);
        connect(item, &QAction::triggered, this, [this, path] { m_delegate->documents().openFileInternal(path); });
    }
    if (paths.isEmpty())
        menu->addAction(QStringLiteral("No Recent PDFs"))->setEnabled(false);
    else {
        menu->addSeparator();
        connect(menu->addAction(QStringLiteral("Clear Menu")), &QAction::triggered, this,
            [this] { m_delegate->recentDocuments().clear(); });
    }
}

void MainWindow::setWindowTitle(const QString &title)
{
    QMainWindow::setWindowTitle(title);
}

void MainWindow::setRepresentedURL(const QUrl &url)
{
    setWindowFilePath(url.isLocalFile() ? url.toLocalFile() : QString());
}

void MainWindow::setLabelTextPDFInfo(const QString &text)
{
    m_labelTextPDFInfo->setText(text);
}

void MainWindow::setLabelCurrentSessionStats(const QString &text)
{
    m_labelCurrentSessionStats->setText(text);
}

void MainWindow::setLabelTextVoiceInfo(const QString &text)
{
    m_buttonTTSVoicePopover->setText(text);
}

void MainWindow::setWindowLevel(int level)
{
    m_windowLevel = level == 0 ? 0 : kFloatingWindowLevel;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, m_windowLevel != 0);
    // Changing a window's flags hides it; a shown window is shown again.
    if (visible)
        show();
    action(QStringLiteral("keepMainWindowOnTop"))->setChecked(m_windowLevel != 0);
}

void MainWindow::popUpRecentPDFs(
    const std::vector<RecentFileEntry> &entries, std::function<void(const RecentFileEntry &)> chosen)
{
    auto *menu = new QMenu(QStringLiteral("Recent PDFs"), this);
    menu->setObjectName(QStringLiteral("watchedFilesMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const RecentFileEntry &entry : entries) {
        QAction *item = menu->addAction(recentFileTitle(entry));
        item->setToolTip(entry.URL.toLocalFile());
        connect(item, &QAction::triggered, this, [entry, chosen] { chosen(entry); });
    }
    const QWidget *anchor = anchorFor(QStringLiteral("buttonClickedShowRecentFilesInWatchedFolder"));
    menu->popup(anchor->mapToGlobal(anchor == pdfView() ? QPoint(0, 0) : QPoint(0, anchor->height())));
}

namespace {

void addOutlineLines(
    QMenu *menu, const std::vector<OutlineMenuItem> &items, const std::function<void(const OutlineEntry &)> &chosen)
{
    for (const OutlineMenuItem &item : items) {
        // Titles come from the documents: an ampersand in one is text, not a shortcut.
        const QString text = QString(item.title).replace(QLatin1Char('&'), QLatin1String("&&"));
        if (!item.submenu.empty()) {
            addOutlineLines(menu->addMenu(text), item.submenu, chosen);
            continue;
        }
        QAction *line = menu->addAction(text);
        if (item.entry)
            QObject::connect(line, &QAction::triggered, menu, [entry = *item.entry, chosen] { chosen(entry); });
    }
}

} // namespace

void MainWindow::popUpOutlineMenu(
    const std::vector<OutlineMenuItem> &items, std::function<void(const OutlineEntry &)> chosen)
{
    auto *menu = new QMenu(QStringLiteral("PDF Outline"), this);
    menu->setObjectName(QStringLiteral("outlineMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addOutlineLines(menu, items, chosen);
    const QWidget *anchor = anchorFor(QStringLiteral("showMenuPDFOutlines"));
    menu->popup(anchor->mapToGlobal(anchor == pdfView() ? QPoint(0, 0) : QPoint(0, anchor->height())));
}

void MainWindow::setBusy(const QString &task)
{
    if (!task.isEmpty())
        statusBar()->showMessage(task);
    else
        statusBar()->clearMessage();
}

void MainWindow::showReadingPaused(bool paused)
{
    QAction *toggle = action(QStringLiteral("togglePauseSpeech"));
    toggle->setIconText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
    const QString iconName = paused ? QStringLiteral("media-playback-start") : QStringLiteral("media-playback-pause");
    toggle->setIcon(
        QIcon::fromTheme(iconName, style()->standardIcon(paused ? QStyle::SP_MediaPlay : QStyle::SP_MediaPause)));
    m_labelReadingPaused->setVisible(paused);
}

void MainWindow::showNoSoundDevice()
{
    m_labelNoSoundDevice->show();
}

namespace {

// The first PDF among the files being dragged, or nothing.
QString droppedPDF(const QMimeData *data)
{
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && url.toLocalFile().endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            return url.toLocalFile();
    }
    return {};
}

} // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_delegate && !droppedPDF(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QString path = droppedPDF(event->mimeData());
    if (!m_delegate || path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over, so the file manager is not kept waiting on the document.
    QTimer::singleShot(0, this, [this, path] {
        if (m_delegate)
            m_delegate->documents().openFileInternal(path);
    });
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing the reader's window quits, even with the word mappings editor still open.
    event->accept();
    QCoreApplication::quit();
}

} // namespace narrata
