#include "recentdocuments.h"

#include "platform/settings/defaultsstore.h"
#include "settings/registereddefaults.h"

#include <QFileInfo>

namespace narrata {

namespace {

const QString &storeKey()
{
    static const QString key(settingskeys::recentDocuments);
    return key;
}

} // namespace

RecentDocuments::RecentDocuments(DefaultsStore &store)
    : m_store(store)
{
}

void RecentDocuments::noteNewRecentDocument(const QString &path)
{
    if (path.isEmpty())
        return;
    // One spelling per file, so that "./a.pdf" and "/home/me/a.pdf" do not take two rows.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList stored = m_store.value(storeKey()).toStringList();
    stored.removeAll(absolute);
    stored.prepend(absolute);
    if (stored.size() > kMaximumCount)
        stored.resize(kMaximumCount);
    m_store.setValue(storeKey(), stored);
    m_store.synchronize();
}

QStringList RecentDocuments::paths() const
{
    // Vanished files are hidden rather than dropped: a file on an unmounted disk comes back.
    QStringList existing;
    const QStringList stored = m_store.value(storeKey()).toStringList();
    for (const QString &path : stored) {
        if (existing.size() == kMaximumCount)
            break;
        if (!path.isEmpty() && QFileInfo::exists(path))
            existing.append(path);
    }
    return existing;
}

void RecentDocuments::clear()
{
    m_store.removeValue(storeKey());
    m_store.synchronize();
}

} // namespace narrata
