// The files offered to open again: the watched folder's newest PDFs, in order, and the choice of
// folder remembered; and the "Open Recent" list, newest first, each file once, capped, vanished
// files left out.
#include "platform/settingsstores/memorydefaultsstore.h"
#include "settings/recentdocuments.h"
#include "settings/registereddefaults.h"
#include "settings/watchedfolder.h"

#include "support/pdffixture.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace narrata {
namespace {

const QString kKey(settingskeys::watchedFolder);
const QDateTime kEpoch(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);

void writeFile(const QString &path, const QDateTime &modified)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n");
    file.flush(); // before the time is set, or closing would touch it again
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
}

QStringList titles(const std::vector<RecentFileEntry> &entries, std::size_t count)
{
    QStringList result;
    for (std::size_t i = 0; i < std::min(count, entries.size()); ++i)
        result.append(recentFileTitle(entries[i]));
    return result;
}

TEST(WatchedFolder, OffersThePdfsNewestFirstByTitleAndNothingWithoutAReadableFolder)
{
    QTemporaryDir dir;
    // Written oldest last, so that neither creation nor name order gives the answer.
    for (int day : {3, 6, 1, 7, 4, 2, 5})
        writeFile(dir.filePath(QStringLiteral("day%1.pdf").arg(day)), kEpoch.addDays(day));
    writeFile(dir.filePath(QStringLiteral("report.PDF")), kEpoch.addDays(30));
    writeFile(dir.filePath(QStringLiteral("notes_pdf")), kEpoch.addDays(10));
    writeFile(dir.filePath(QStringLiteral("draft.pdf.part")), kEpoch.addDays(20));
    writeFile(dir.filePath(QStringLiteral(".hidden.pdf")), kEpoch);
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.pdf")));

    const std::vector<RecentFileEntry> entries = scanWatchedFolder(dir.path());
    ASSERT_EQ(entries.size(), 9u);
    EXPECT_EQ(titles(entries, WatchedFolder::kShownFiles), (QStringList{"notes_pdf", "day7", "day6", "day5", "day4"}))
        << "the name's ending decides, case and all";
    EXPECT_EQ(recentFileTitle(entries.back()), QStringLiteral(".hidden"));
    EXPECT_EQ(entries[1], (RecentFileEntry{QUrl::fromLocalFile(dir.filePath("day7.pdf")), kEpoch.addDays(7)}));
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
        [](const RecentFileEntry &a, const RecentFileEntry &b) { return a.mDate > b.mDate; }));
    // A title drops only the last extension, and is no URL text.
    EXPECT_EQ(recentFileTitle({QUrl::fromLocalFile(QStringLiteral("/d/a.b.pdf")), {}}), QStringLiteral("a.b"));
    EXPECT_EQ(recentFileTitle({QUrl::fromLocalFile(QStringLiteral("/d/My report #1 100%.pdf")), {}}),
        QStringLiteral("My report #1 100%"));

    // An empty, missing or unreadable folder offers nothing.
    QTemporaryDir empty;
    EXPECT_TRUE(scanWatchedFolder(empty.path()).empty());
    EXPECT_TRUE(scanWatchedFolder(empty.filePath(QStringLiteral("gone"))).empty());
    const QString file = empty.filePath(QStringLiteral("a.pdf"));
    writeFile(file, kEpoch);
    EXPECT_TRUE(scanWatchedFolder(file).empty()) << "a file is no folder";

    const QString locked = empty.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir(empty.path()).mkdir(locked));
    writeFile(locked + QStringLiteral("/a.pdf"), kEpoch);
    ASSERT_TRUE(QFile::setPermissions(locked, {}));
    if (!QDir(locked).isReadable()) { // permissions do not bind the superuser
        EXPECT_TRUE(scanWatchedFolder(locked).empty());
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(WatchedFolder, TheChosenFolderIsRememberedAsItsUrlText)
{
    MemoryDefaultsStore store;
    WatchedFolder folder(store);
    EXPECT_EQ(folder.watchedFolder(), std::nullopt);
    folder.saveWatchedFolderToUserDefaults();
    EXPECT_FALSE(store.contains(kKey)) << "nothing chosen, nothing stored";
    EXPECT_EQ(store.synchronizeCount(), 0);

    folder.loadWatchedFolderFromUserDefaults();
    EXPECT_EQ(folder.watchedFolder(), WatchedFolder::defaultWatchedFolder());

    const QUrl chosen = QUrl::fromLocalFile(QStringLiteral("/home/me/Papers to read/Ünï"));
    folder.setWatchedFolder(chosen);
    folder.saveWatchedFolderToUserDefaults();
    EXPECT_EQ(store.value(kKey), QVariant(chosen.toString()));
    EXPECT_EQ(store.synchronizeCount(), 1);

    WatchedFolder reloaded(store);
    reloaded.loadWatchedFolderFromUserDefaults();
    EXPECT_EQ(reloaded.watchedFolder(), chosen);

    WatchedFolder unset(store);
    EXPECT_EQ(unset.folderOrDefault(), WatchedFolder::defaultWatchedFolder());
    EXPECT_EQ(unset.watchedFolder(), WatchedFolder::defaultWatchedFolder()) << "the default is kept";
}

const QString kRecentKey(settingskeys::recentDocuments);

TEST(RecentDocuments, NewestFirstEachFileOnceCappedAndVanishedFilesLeftOut)
{
    QTemporaryDir dir;
    MemoryDefaultsStore store;
    RecentDocuments recent{store};
    const auto file = [&dir](const QString &name) {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(testing::writeBytes(path, {}));
        return path;
    };
    const QString a = file("a.pdf"), b = file("b.pdf"), c = file("c.pdf");
    recent.noteNewRecentDocument(a);
    recent.noteNewRecentDocument(b);
    recent.noteNewRecentDocument(c);
    recent.noteNewRecentDocument(a);
    EXPECT_EQ(recent.paths(), (QStringList{a, c, b}));
    EXPECT_EQ(store.value(kRecentKey).toStringList(), (QStringList{a, c, b}));
    EXPECT_EQ(store.synchronizeCount(), 4);

    // Another spelling of a listed file moves it rather than adding a row.
    const QString relative = QDir::current().relativeFilePath(dir.filePath("sub/../c.pdf"));
    recent.noteNewRecentDocument(relative);
    recent.noteNewRecentDocument(QString());
    EXPECT_EQ(recent.paths(), (QStringList{c, a, b}));

    recent.clear();
    EXPECT_TRUE(recent.paths().isEmpty());
    EXPECT_FALSE(store.contains(kRecentKey));

    for (const QString &path : {a, b, c})
        recent.noteNewRecentDocument(path);
    ASSERT_TRUE(QFile::remove(b));
    EXPECT_EQ(recent.paths(), (QStringList{c, a}));

    // A list stored as a single string, as a settings file may read back a one-element list.
    store.setValue(kRecentKey, a);
    EXPECT_EQ(recent.paths(), QStringList{a});

    QStringList noted;
    for (int i = 0; i < RecentDocuments::kMaximumCount + 3; ++i) {
        noted.prepend(file(QStringLiteral("%1.pdf").arg(i)));
        recent.noteNewRecentDocument(noted.first());
    }
    const QStringList newest = noted.first(RecentDocuments::kMaximumCount);
    EXPECT_EQ(recent.paths(), newest) << "only the newest are kept";
    EXPECT_EQ(store.value(kRecentKey).toStringList(), newest);
}

} // namespace
} // namespace narrata
