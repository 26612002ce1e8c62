#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

namespace narrata {

class DefaultsStore;

// A PDF found in the watched folder, with its modification date (invalid when it could not be
// read).
struct RecentFileEntry {
    QUrl URL;
    QDateTime mDate;

    friend bool operator==(const RecentFileEntry &, const RecentFileEntry &) = default;
};

// The folder whose newest PDFs the "Recent PDFs" pop-up offers: the Downloads folder until the
// user picks another, remembered under "watchedFolder" as the folder's URL text.
class WatchedFolder {
public:
    // How many PDFs the pop-up offers.
    static constexpr int kShownFiles = 5;

    // store must outlive this object.
    explicit WatchedFolder(DefaultsStore &store);

    // The user's Downloads folder.
    static QUrl defaultWatchedFolder();

    // The stored folder, or the default when none is stored.
    void loadWatchedFolderFromUserDefaults();
    // Stores the folder and flushes; nothing when no folder is set.
    void saveWatchedFolderToUserDefaults();

    const std::optional<QUrl> &watchedFolder() const { return m_folder; }
    void setWatchedFolder(const QUrl &folder) { m_folder = folder; }
    // The folder, set to the default first when there is none.
    QUrl folderOrDefault();

private:
    DefaultsStore &m_store;
    std::optional<QUrl> m_folder;
};

// Every PDF directly in the folder, newest first. A name is taken when its full path ends in
// the letters "pdf" (case-sensitive, dot or not). Reads the attributes of every entry, so it is
// meant for a worker thread. An unreadable folder gives an empty list.
std::vector<RecentFileEntry> scanWatchedFolder(const QString &folderPath);

// What the pop-up shows for an entry: the file name without its extension.
QString recentFileTitle(const RecentFileEntry &entry);

} // namespace narrata
