// What every DefaultsStore promises, checked on each implementation, and the settings file
// behind QSettingsDefaultsStore: what it writes, and what it does with a file it cannot use.
#include "platform/settingsstores/memorydefaultsstore.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"

#include "settingstestsupport.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

namespace narrata {
namespace {

template<typename Store> class DefaultsStoreContract : public ::testing::Test {
protected:
    Store &store() { return m_store; }

private:
    testing::SettingsFolder m_folder;
    Store m_store = makeStore();

    Store makeStore()
    {
        if constexpr (std::is_same_v<Store, QSettingsDefaultsStore>)
            return Store(m_folder.path());
        else
            return Store();
    }
};

using StoreTypes = ::testing::Types<MemoryDefaultsStore, QSettingsDefaultsStore>;
TYPED_TEST_SUITE(DefaultsStoreContract, StoreTypes);

TYPED_TEST(DefaultsStoreContract, RegisteredDefaultsShowUntilSetAndTypedHelpersConvert)
{
    auto &store = this->store();
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
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
}

// A damaged file: nothing of what it holds is read, and it is left exactly as it is.
class DamagedSettingsFile : public QSettingsDefaultsStoreTest, public ::testing::WithParamInterface<QByteArray> { };

TEST_P(DamagedSettingsFile, RunsOnDefaultsAndIsNeverOverwritten)
{
    const QByteArray damaged = GetParam();
    folder.write(damaged);

    QSettingsDefaultsStore store(folder.path());
    store.registerDefaults(registered);
    EXPECT_TRUE(store.problem().startsWith(QStringLiteral("the settings file ")));
    EXPECT_TRUE(store.problem().contains(QStringLiteral("Narrata.conf cannot be read")))
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

} // namespace
} // namespace narrata
