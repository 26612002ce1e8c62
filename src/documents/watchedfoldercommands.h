#pragma once

#include "settings/watchedfolder.h"

#include <QObject>

#include <functional>
#include <vector>

namespace narrata {

class DesktopServices;
class ReaderWindow;

// The watched folder's commands: choosing and revealing the folder, and the pop-up of its
// newest PDFs, found by a scan off the main thread; the one chosen is handed on to be opened.
class WatchedFolderCommands final : public QObject {
    Q_OBJECT
public:
    WatchedFolderCommands(DefaultsStore &defaults, DesktopServices &desktop, ReaderWindow &window,
        std::function<void(const QUrl &)> openChosenFile, QObject *parent = nullptr);

    void loadWatchedFolderFromUserDefaults() { m_watchedFolder.loadWatchedFolderFromUserDefaults(); }
    void menuCommandSetWatchedFolder();
    void menuCommandRevealWatchedFolderInFinder();
    // Scans the watched folder off the main thread, then pops up its newest PDFs.
    void buttonClickedShowRecentFilesInWatchedFolder();
    void watchedFileRequested(const RecentFileEntry &entry);

    const WatchedFolder &watchedFolder() const { return m_watchedFolder; }
    // The PDFs in the folder now, newest first, read on the spot.
    QStringList pathsOfPDFs() const;
    const std::vector<RecentFileEntry> &watchedFolderFilesList() const { return m_watchedFolderFilesList; }
    bool isScanningWatchedFolder() const { return m_isScanningWatchedFolder; }

signals:
    // The scan finished (the pop-up, if any, is showing).
    void watchedFolderScanned();

private:
    DesktopServices &m_desktop;
    ReaderWindow &m_window;
    std::function<void(const QUrl &)> m_openChosenFile;
    WatchedFolder m_watchedFolder;
    std::vector<RecentFileEntry> m_watchedFolderFilesList;
    bool m_isScanningWatchedFolder = false;
};

} // namespace narrata
