// What every DefaultsStore promises, and the settings file: what it writes and what it does with
// one it cannot use; the preferences; per-document ignored fonts; and the files offered to open
// again: the watched folder's newest PDFs and the "Open Recent" list.
#include "platform/settingsstores/memorydefaultsstore.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/ignoredfonts.h"
#include "settings/preferences.h"
#include "settings/recentdocuments.h"
#include "settings/registereddefaults.h"
#include "settings/watchedfolder.h"

#include "settingstestsupport.h"
#include "support/pdffixture.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace narrata {
namespace {

template<typename Store> class DefaultsStoreContract : public ::testing::Test {
protected:
    testing::SettingsFolder folder;
    Store store = [this] {
        if constexpr (std::is_same_v<Store, QSettingsDefaultsStore>)
            return Store(folder.path());
        else
            return Store();
    }();
};

using StoreTypes = ::testing::Types<MemoryDefaultsStore, QSettingsDefaultsStore>;
TYPED_TEST_SUITE(DefaultsStoreContract, StoreTypes);

TYPED_TEST(DefaultsStoreContract, RegisteredDefaultsShowUntilSetAndTypedHelpersConvert)
{
    auto &store = this->store;
    store.registerDefaults({{QStringLiteral("size"), 12.0}, {QStringLiteral("flag"), 2}});
    store.registerDefaults({{QStringLiteral("flag"), true}});
    EXPECT_EQ(store.value(QStringLiteral("size")), QVariant(12.0)) << "a later registration replaces only its keys";
    EXPECT_EQ(store.value(QStringLiteral("flag")), QVariant(true));
    EXPECT_FALSE(store.contains(QStringLiteral("size")));
    EXPECT_FALSE(store.value(QStringLiteral("absent")).isValid());
    EXPECT_TRUE(store.problem().isEmpty());

    store.setValue(QStringLiteral("flag"), false);
    EXPECT_TRUE(store.contains(QStringLiteral("flag")));
    EXPECT_EQ(store.value(QStringLiteral("flag")), QVariant(false));
    store.removeValue(QStringLiteral("flag"));
    EXPECT_FALSE(store.contains(QStringLiteral("flag")));
    EXPECT_EQ(store.value(QStringLiteral("flag")), QVariant(true));
    store.setValue(QStringLiteral("flag"), false);
    store.setValue(QStringLiteral("flag"), QVariant());
    EXPECT_FALSE(store.contains(QStringLiteral("flag"))) << "an invalid value removes the key";

    const QVariantMap map{{QStringLiteral("Book.pdf"), 4}};
    store.setValue(QStringLiteral("flag"), true);
    store.setValue(QStringLiteral("name"), QStringLiteral("en-us"));
    store.setValue(QStringLiteral("rate"), 180.5);
    store.setValue(QStringLiteral("count"), qint64(5'000'000'000));
    store.setValue(QStringLiteral("map"), map);
    EXPECT_TRUE(store.boolForKey(QStringLiteral("flag")));
    EXPECT_EQ(store.stringForKey(QStringLiteral("name")), QStringLiteral("en-us"));
    EXPECT_DOUBLE_EQ(store.doubleForKey(QStringLiteral("rate")), 180.5);
    EXPECT_EQ(store.integerForKey(QStringLiteral("count")), 5'000'000'000);
    EXPECT_EQ(store.mapForKey(QStringLiteral("map")), map);
    EXPECT_TRUE(store.mapForKey(QStringLiteral("name")).isEmpty());
    EXPECT_FALSE(store.boolForKey(QStringLiteral("absent")));
}

const QString kFlag = QStringLiteral("flag");
const QString kSize = QStringLiteral("size");
const QString kAwkward[] = {QStringLiteral("semi;colon"), QStringLiteral("\"quoted\""), QStringLiteral("back\\slash\\"),
    QStringLiteral("line\nbreak\r\n"), QStringLiteral("[section]"), QStringLiteral("#hash = equals"),
    QStringLiteral(" spaced "), QStringLiteral("caf\u00e9 \U0001F600"), QStringLiteral("a,b")};

class QSettingsDefaultsStoreTest : public ::testing::Test {
protected:
    testing::SettingsFolder folder;
    const QVariantMap registered{{kFlag, false}, {kSize, 12.0}, {QStringLiteral("font"), QStringLiteral("Helvetica")}};
};

TEST_F(QSettingsDefaultsStoreTest, SetValuesButNoDefaultsAreWrittenAndReadBackWithoutAProblem)
{
    // PDF file names are map keys; a stored sentence is a small JSON object. Keys and values
    // hold characters that mean something in an INI file.
    const QString sentence = QStringLiteral(R"({"sentence": "Hi; \"you\".", "range": [3, 11], "pageIndex": 2})");
    const QVariantMap progress{{QStringLiteral("My Book (2nd ed).pdf"), sentence},
        {QStringLiteral("Notes/draft one.pdf"), QVariantMap{{QStringLiteral("Ünïcödé-Bold 10.5 pt"), 1}}}};
    {
        QSettingsDefaultsStore store(folder.path());
        store.registerDefaults(registered);
        store.setValue(kFlag, true);
        store.setValue(kSize, 14.5);
        store.setValue(QStringLiteral("count"), 42);
        store.setValue(QStringLiteral("progress"), progress);
        store.setValue(QStringLiteral("gone"), 1);
        store.removeValue(QStringLiteral("gone"));
        for (const QString &text : kAwkward)
            store.setValue(QStringLiteral("key ") + text, text);
        ASSERT_TRUE(store.synchronize());
    }
    const QByteArray text = folder.contents();
    EXPECT_TRUE(text.contains("progress=\"@Variant(")) << text.constData();
    EXPECT_FALSE(text.contains("font")) << "registered defaults are never written";

    const std::unique_ptr<QSettingsDefaultsStore> stores[]
        = {std::make_unique<QSettingsDefaultsStore>(folder.path()), folder.reopenCopy()};
    for (const auto &reopened : stores) {
        reopened->registerDefaults(registered);
        EXPECT_TRUE(reopened->problem().isEmpty()) << reopened->problem().toStdString();
        // The registered default gives a plain stored value back its type.
        EXPECT_EQ(reopened->value(kFlag), QVariant(true));
        EXPECT_EQ(reopened->value(kFlag).typeId(), QMetaType::Bool);
        EXPECT_EQ(reopened->value(kSize), QVariant(14.5));
        EXPECT_EQ(reopened->value(kSize).typeId(), QMetaType::Double);
        EXPECT_EQ(reopened->integerForKey(QStringLiteral("count")), 42);
        EXPECT_EQ(reopened->mapForKey(QStringLiteral("progress")), progress);
        EXPECT_FALSE(reopened->contains(QStringLiteral("gone")));
        for (const QString &text : kAwkward)
            EXPECT_EQ(reopened->stringForKey(QStringLiteral("key ") + text), text);
    }
}

TEST_F(QSettingsDefaultsStoreTest, AFailedWriteKeepsTheValuesAndALaterOneSucceedsButNeverOverAFolder)
{
    // A folder cannot be created under a regular file.
    const QString blocker = folder.path(QStringLiteral("blocker"));
    folder.write("not a folder", QStringLiteral("blocker"));
    const QString path = blocker + QStringLiteral("/Narrata/Narrata.conf");

    QSettingsDefaultsStore store(path);
    EXPECT_TRUE(store.problem().isEmpty());
    store.setValue(kFlag, true);
    EXPECT_FALSE(store.synchronize());
    EXPECT_TRUE(store.boolForKey(kFlag));
    EXPECT_TRUE(QFileInfo(blocker).isFile());

    ASSERT_TRUE(QFile::remove(blocker));
    EXPECT_TRUE(store.synchronize());
    EXPECT_TRUE(QSettingsDefaultsStore(path).boolForKey(kFlag));

    // A folder where the file should be is a problem from the start, and stays a folder.
    ASSERT_TRUE(QDir().mkpath(folder.path()));
    QSettingsDefaultsStore onFolder(folder.path());
    onFolder.registerDefaults(registered);
    EXPECT_FALSE(onFolder.problem().isEmpty());
    EXPECT_EQ(onFolder.value(kSize), QVariant(12.0));
    onFolder.setValue(kFlag, true);
    EXPECT_FALSE(onFolder.synchronize());
    EXPECT_TRUE(QFileInfo(folder.path()).isDir());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(QSettingsDefaultsStoreTest, TheUsersFileIsNamedInItsProblemFromHome)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(folder.path(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path(QStringLiteral("home/.config"))));
    ASSERT_TRUE(QDir().mkpath(folder.path(QStringLiteral("home/.config/Narrata"))));
    folder.write("Not a settings file\n", QStringLiteral("home/.config/Narrata/Narrata.conf"));

    const QSettingsDefaultsStore store;
    EXPECT_EQ(store.fileName(), folder.path(QStringLiteral("home/.config/Narrata/Narrata.conf")));
    EXPECT_EQ(store.problem(),
        QStringLiteral("the settings file ~/.config/Narrata/Narrata.conf cannot be read: line 1 is not a setting"));

    qputenv("HOME", home);
    (void)(config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config));
}

// A damaged file: nothing of what it holds is read, and it is left exactly as it is.
class DamagedSettingsFile : public QSettingsDefaultsStoreTest, public ::testing::WithParamInterface<QByteArray> { };

TEST_P(DamagedSettingsFile, RunsOnDefaultsAndIsNeverOverwritten)
{
    const QByteArray damaged = GetParam();
    folder.write(damaged);

    QSettingsDefaultsStore store(folder.path());
    store.registerDefaults(registered);
    EXPECT_TRUE(
        store.problem().startsWith(QStringLiteral("the settings file ")) && store.problem().contains("cannot be read"))
        << store.problem().toStdString();
    EXPECT_EQ(store.value(kFlag), QVariant(false));
    EXPECT_FALSE(store.contains(kFlag));

    store.setValue(kSize, 20.0);
    store.removeValue(kFlag);
    EXPECT_EQ(store.value(kSize), QVariant(20.0));
    EXPECT_FALSE(store.synchronize());
    EXPECT_EQ(folder.contents(), damaged);
}

INSTANTIATE_TEST_SUITE_P(Malformed, DamagedSettingsFile,
    ::testing::Values(QByteArrayLiteral("[General]\nflag=true\n\x00\x01\xff\xfe PK\x03\x04"),
        QByteArray("[General]\nflag=true\n[Unclosed\nsize=3\n"),
        QByteArray("[General]\nflag=true\nThese are my notes, not settings.\n"),
        QByteArray("[General]\nflag=true\nfont=\"Helvetica\n"), QByteArray("flag=true\n\xc3\x28\n")));

TEST(Preferences, DefaultsAreTheRegisteredOnesAndEachIsStoredUnderItsOwnName)
{
    const QVariantMap table = registeredDefaults();
    const Preferences defaults;
    for (const PreferenceProperty &property : preferenceProperties) {
        const QVariant registered = table.value(property.key);
        ASSERT_EQ(registered.typeId(), QMetaType::Bool) << property.key.data();
        EXPECT_EQ(defaults.*property.member, registered.toBool()) << property.key.data();
    }

    MemoryDefaultsStore store;
    store.registerDefaults(table);
    EXPECT_EQ(loadUserPreferencesFromUserDefaults(store), defaults);
    // A store nobody registered the defaults with gives the same.
    EXPECT_EQ(loadUserPreferencesFromUserDefaults(MemoryDefaultsStore()), defaults);

    // Spelled out here by each member's name, which is its key, apart from the table the code
    // uses, so a row pairing a key with the wrong member shows.
#define NARRATA_KEY(member) std::pair(#member, &Preferences::member)
    const std::pair<const char *, bool Preferences::*> expected[] = {NARRATA_KEY(userPreferenceUseFastSkipMode),
        NARRATA_KEY(userPreferenceShouldAppendPDFs), NARRATA_KEY(userPreferenceCreateTOCinPDFPack),
        NARRATA_KEY(userPreferenceSkipFixedWidthFonts), NARRATA_KEY(userPreferenceSkipHeaderFooterAggressive),
        NARRATA_KEY(userPrefShouldSortOrderOfSentencesVisually),
        NARRATA_KEY(userPrefShouldSkipSentencesWithWeirdBounds),
        NARRATA_KEY(userPreferenceShouldAutomaticallySavePDFPacks),
        NARRATA_KEY(userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder),
        NARRATA_KEY(userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList),
        NARRATA_KEY(userPreferenceShouldReopenAtMostRecentSentence)};
#undef NARRATA_KEY
    ASSERT_EQ(std::size(expected), preferenceProperties.size());
    for (const auto &[key, member] : expected) {
        Preferences changed;
        changed.*member = !(changed.*member);

        MemoryDefaultsStore store;
        EXPECT_TRUE(saveUserPreferencesToUserDefaults(changed, store));
        EXPECT_EQ(store.synchronizeCount(), 1);
        EXPECT_EQ(store.values().size(), std::ssize(expected));
        EXPECT_EQ(store.value(QString::fromLatin1(key)), QVariant(changed.*member)) << key;

        MemoryDefaultsStore stored;
        stored.setValue(QString::fromLatin1(key), changed.*member);
        EXPECT_EQ(loadUserPreferencesFromUserDefaults(stored), changed) << key;
    }
    MemoryDefaultsStore failing;
    failing.setSynchronizeResult(false);
    EXPECT_FALSE(saveUserPreferencesToUserDefaults(Preferences(), failing)) << "a failed write is reported";
}

const QString kKey(settingskeys::ignoredFontsByPDF);
const QString kCourier = QStringLiteral("Courier 9.0 pt");
const QString kTimes = QStringLiteral("Times-Roman 12.0 pt");

class IgnoredFontsTest : public ::testing::Test {
protected:
    IgnoredFontsTest() { fonts.load(QStringLiteral("a.pdf")); }

    MemoryDefaultsStore store;
    IgnoredFonts fonts{store};
};

TEST_F(IgnoredFontsTest, AddAndRemoveWriteThroughUnderTheFileName)
{
    EXPECT_TRUE(fonts.labels().isEmpty());
    fonts.add(kCourier);
    EXPECT_TRUE(fonts.contains(kCourier));
    EXPECT_FALSE(fonts.contains(QStringLiteral("courier 9.0 pt"))) << "another case is another font";
    EXPECT_EQ(store.mapForKey(kKey), (QVariantMap{{"a.pdf", QVariantMap{{kCourier, 1}}}}));
    EXPECT_EQ(store.mapForKey(kKey).value("a.pdf").toMap().value(kCourier).typeId(), QMetaType::Int)
        << "the value is the number one";
    EXPECT_EQ(store.synchronizeCount(), 1);

    fonts.add(kTimes);
    fonts.add(kCourier); // already there: still written
    EXPECT_EQ(store.synchronizeCount(), 3);
    EXPECT_EQ(fonts.labels(), (QStringList{kCourier, kTimes}));

    fonts.remove(kCourier);
    EXPECT_EQ(store.mapForKey(kKey), (QVariantMap{{"a.pdf", QVariantMap{{kTimes, 1}}}}));
    fonts.remove(kCourier);
    EXPECT_EQ(store.synchronizeCount(), 5) << "removing an absent font still rewrites the entry";

    fonts.add(QString());
    fonts.remove(QString());
    EXPECT_EQ(store.synchronizeCount(), 5) << "an empty label is no font";
    EXPECT_EQ(fonts.labels(), QStringList{kTimes});
}

TEST_F(IgnoredFontsTest, ListsAreKeptPerFileNameWhateverTheFolderAndNoneWithoutOne)
{
    fonts.add(kCourier);
    fonts.load(QStringLiteral("b.pdf"));
    EXPECT_FALSE(fonts.contains(kCourier)) << "another document starts with its own list";
    fonts.add(kTimes);
    fonts.load(QStringLiteral("a.pdf"));
    EXPECT_EQ(fonts.labels(), QStringList{kCourier});
    EXPECT_EQ(store.mapForKey(kKey).size(), 2);

    IgnoredFonts elsewhere(store);
    elsewhere.load(QStringLiteral("b.pdf")); // the same file name in another folder
    EXPECT_EQ(elsewhere.labels(), QStringList{kTimes});

    // A document without a file name (a clipboard conversion not saved yet) keeps the list it
    // finds and changes it, but stores nothing.
    const int written = store.synchronizeCount();
    fonts.load(QString());
    EXPECT_TRUE(fonts.contains(kCourier));
    fonts.add(kTimes);
    EXPECT_TRUE(fonts.contains(kTimes));
    EXPECT_EQ(store.synchronizeCount(), written);
    EXPECT_EQ(store.mapForKey(kKey).value("a.pdf"), QVariant(QVariantMap{{kCourier, 1}}));
}

TEST_F(IgnoredFontsTest, MalformedStoredEntriesGiveAnEmptyList)
{
    store.setValue(kKey, QVariantMap{{"text.pdf", QStringLiteral("Courier 9.0 pt")}, {"number.pdf", 3}});
    fonts.load(QStringLiteral("text.pdf"));
    EXPECT_TRUE(fonts.labels().isEmpty());
    fonts.load(QStringLiteral("number.pdf"));
    EXPECT_TRUE(fonts.labels().isEmpty());
    fonts.add(kCourier);
    EXPECT_EQ(store.mapForKey(kKey).value("number.pdf"), QVariant(QVariantMap{{kCourier, 1}}));
    EXPECT_EQ(store.mapForKey(kKey).value("text.pdf"), QVariant(QStringLiteral("Courier 9.0 pt")))
        << "other entries are left alone";

    store.setValue(kKey, QStringLiteral("not a map"));
    fonts.load(QStringLiteral("a.pdf"));
    EXPECT_TRUE(fonts.labels().isEmpty());
    fonts.add(kTimes);
    EXPECT_EQ(store.mapForKey(kKey), (QVariantMap{{"a.pdf", QVariantMap{{kTimes, 1}}}}));
}

const QString kWatchedKey(settingskeys::watchedFolder);
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
    EXPECT_FALSE(store.contains(kWatchedKey)) << "nothing chosen, nothing stored";
    EXPECT_EQ(store.synchronizeCount(), 0);

    folder.loadWatchedFolderFromUserDefaults();
    EXPECT_EQ(folder.watchedFolder(), WatchedFolder::defaultWatchedFolder());

    const QUrl chosen = QUrl::fromLocalFile(QStringLiteral("/home/me/Papers to read/Ünï"));
    folder.setWatchedFolder(chosen);
    folder.saveWatchedFolderToUserDefaults();
    EXPECT_EQ(store.value(kWatchedKey), QVariant(chosen.toString()));
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
