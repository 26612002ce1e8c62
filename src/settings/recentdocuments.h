#pragma once

#include <QStringList>

namespace narrata {

class DefaultsStore;

// The window's "Open Recent" list: paths of opened PDFs, newest first, kept in the settings
// store under "recentDocuments". A path noted again moves to the top; the list keeps at most
// kMaximumCount paths.
class RecentDocuments {
public:
    static constexpr int kMaximumCount = 10;

    // store must outlive this object.
    explicit RecentDocuments(DefaultsStore &store);

    void noteNewRecentDocument(const QString &path);
    // The stored paths that still exist, newest first.
    QStringList paths() const;
    void clear();

private:
    DefaultsStore &m_store;
};

} // namespace narrata
