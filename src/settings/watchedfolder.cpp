#include "watchedfolder.h"

#include "platform/settings/defaultsstore.h"
#include "settings/registereddefaults.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace narrata {

namespace {

const QString &storeKey()
{
    static const QString key(settingskeys::watchedFolder);
    return key;
}

} // namespace

WatchedFolder::WatchedFolder(DefaultsStore &store)
    : m_store(store)
{
}

QUrl WatchedFolder::defaultWatchedFolder()
{
    return QUrl::fromLocalFile(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
}

void WatchedFolder::loadWatchedFolderFromUserDefaults()
{
    const QString stored = m_store.stringForKey(storeKey());
    m_folder = stored.isEmpty() ? defaultWatchedFolder() : QUrl(stored);
}

void WatchedFolder::saveWatchedFolderToUserDefaults()
{
    if (!m_folder)
        return;
    m_store.setValue(storeKey(), m_folder->toString());
    m_store.synchronize();
}

QUrl WatchedFolder::folderOrDefault()
{
    if (!m_folder)
        m_folder = defaultWatchedFolder();
    return *m_folder;
}

std::vector<RecentFileEntry> scanWatchedFolder(const QString &folderPath)
{
    const QDir folder(folderPath);
    // Hidden files count too: the test is on the name's ending, whatever the name starts with.
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);

    std::vector<RecentFileEntry> entries;
    for (const QString &name : names) {
        const QString fullPath = folder.filePath(name);
        if (!fullPath.endsWith(QLatin1String("pdf")))
            continue;
        entries.push_back({QUrl::fromLocalFile(fullPath), QFileInfo(fullPath).lastModified()});
    }
    // A file gone or unreadable since the listing has no date; it sorts after every dated one.
    std::stable_sort(entries.begin(), entries.end(), [](const RecentFileEntry &a, const RecentFileEntry &b) {
        if (!a.mDate.isValid() || !b.mDate.isValid())
            return a.mDate.isValid() && !b.mDate.isValid();
        return a.mDate > b.mDate;
    });
    return entries;
}

QString recentFileTitle(const RecentFileEntry &entry)
{
    const QString name = entry.URL.fileName();
    // Only the last extension goes, and a leading dot starts a name rather than an extension.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

} // namespace narrata
