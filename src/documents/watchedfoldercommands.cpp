#include "watchedfoldercommands.h"

#include "platform/desktop/desktopservices.h"
#include "readerwindow.h"

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

namespace narrata {

WatchedFolderCommands::WatchedFolderCommands(DefaultsStore &defaults, DesktopServices &desktop, ReaderWindow &window,
    std::function<void(const QUrl &)> openChosenFile, QObject *parent)
    : QObject(parent)
    , m_desktop(desktop)
    , m_window(window)
    , m_openChosenFile(std::move(openChosenFile))
    , m_watchedFolder(defaults)
{
}

void WatchedFolderCommands::menuCommandSetWatchedFolder()
{
    const QUrl start = m_watchedFolder.folderOrDefault();
    m_desktop.chooseFolder(start.toLocalFile(), [this](const QString &path) {
        m_watchedFolder.setWatchedFolder(QUrl::fromLocalFile(path));
        m_watchedFolder.saveWatchedFolderToUserDefaults();
    });
}

void WatchedFolderCommands::menuCommandRevealWatchedFolderInFinder()
{
    m_desktop.openURL(m_watchedFolder.folderOrDefault());
}

void WatchedFolderCommands::buttonClickedShowRecentFilesInWatchedFolder()
{
    const QString folder = m_watchedFolder.folderOrDefault().toLocalFile();
    m_isScanningWatchedFolder = true;
    m_window.setBusy(QStringLiteral("Looking for recent PDFs…"));
    auto *watcher = new QFutureWatcher<std::vector<RecentFileEntry>>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher] {
        watcher->deleteLater();
        m_watchedFolderFilesList = watcher->result();
        m_isScanningWatchedFolder = false;
        m_window.setBusy({});
        if (!m_watchedFolderFilesList.empty()) {
            const auto shown = std::min<std::size_t>(m_watchedFolderFilesList.size(), WatchedFolder::kShownFiles);
            const std::vector<RecentFileEntry> newest(
                m_watchedFolderFilesList.begin(), m_watchedFolderFilesList.begin() + static_cast<qsizetype>(shown));
            m_window.popUpRecentPDFs(newest, [this](const RecentFileEntry &entry) { watchedFileRequested(entry); });
        }
        emit watchedFolderScanned();
    });
    watcher->setFuture(QtConcurrent::run([folder] { return scanWatchedFolder(folder); }));
}

void WatchedFolderCommands::watchedFileRequested(const RecentFileEntry &entry)
{
    if (!entry.URL.isEmpty())
        m_openChosenFile(entry.URL);
}

QStringList WatchedFolderCommands::pathsOfPDFs() const
{
    QStringList paths;
    const QUrl folder = m_watchedFolder.watchedFolder().value_or(WatchedFolder::defaultWatchedFolder());
    for (const RecentFileEntry &entry : scanWatchedFolder(folder.toLocalFile()))
        paths.append(entry.URL.toLocalFile());
    return paths;
}

} // namespace narrata
