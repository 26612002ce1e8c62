// The "Open Recent" list: newest first, each file once, capped, vanished files left out.
#include "platform/settingsstores/memorydefaultsstore.h"
#include "settings/recentdocuments.h"
#include "settings/registereddefaults.h"

#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace narrata {
namespace {

const QString kKey(settingskeys::recentDocuments);

class RecentDocumentsTest : public ::testing::Test {
protected:
    QString file(const QString &name)
    {
        const QString path = m_dir.filePath(name);
        QFile out(path);
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        return path;
    }

    QTemporaryDir m_dir;
    MemoryDefaultsStore m_store;
    RecentDocuments m_recent{m_store};
};

TEST_F(RecentDocumentsTest, NewestFirstAndEachFileOnce)
{
    const QString a = file("a.pdf"), b = file("b.pdf"), c = file("c.pdf");
    m_recent.noteNewRecentDocument(a);
    m_recent.noteNewRecentDocument(b);
    m_recent.noteNewRecentDocument(c);
    m_recent.noteNewRecentDocument(a);
    EXPECT_EQ(m_recent.paths(), (QStringList{a, c, b}));
    EXPECT_EQ(m_store.value(kKey).toStringList(), (QStringList{a, c, b}));
    EXPECT_EQ(m_store.synchronizeCount(), 4);

    // Another spelling of a listed file moves it rather than adding a row.
    const QString relative = QDir::current().relativeFilePath(m_dir.filePath("sub/../c.pdf"));
    m_recent.noteNewRecentDocument(relative);
    m_recent.noteNewRecentDocument(QString());
    EXPECT_EQ(m_recent.paths(), (QStringList{c, a, b}));

    m_recent.clear();
    EXPECT_TRUE(m_recent.paths().isEmpty());
    EXPECT_FALSE(m_store.contains(kKey));
}

TEST_F(RecentDocumentsTest, KeepsOnlyTheNewest)
{
    QStringList noted;
    for (int i = 0; i < RecentDocuments::kMaximumCount + 3; ++i) {
        noted.prepend(file(QStringLiteral("%1.pdf").arg(i)));
        m_recent.noteNewRecentDocument(noted.first());
    }
    const QStringList newest = noted.first(RecentDocuments::kMaximumCount);
    EXPECT_EQ(m_recent.paths(), newest);
    EXPECT_EQ(m_store.value(kKey).toStringList(), newest);
}

TEST_F(RecentDocumentsTest, VanishedFilesAreLeftOut)
{
    const QString a = file("a.pdf"), b = file("b.pdf"), c = file("c.pdf");
    for (const QString &path : {a, b, c})
        m_recent.noteNewRecentDocument(path);
    ASSERT_TRUE(QFile::remove(b));
    EXPECT_EQ(m_recent.paths(), (QStringList{c, a}));

    // A list stored as a single string, as a settings file may read back a one-element list.
    m_store.setValue(kKey, a);
    EXPECT_EQ(m_recent.paths(), QStringList{a});
}

} // namespace
} // namespace narrata
