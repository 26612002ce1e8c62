// The user's preferences and how each is stored; and per-document ignored fonts, kept by PDF
// file name and written through on every change.
#include "platform/settingsstores/memorydefaultsstore.h"
#include "settings/ignoredfonts.h"
#include "settings/preferences.h"
#include "settings/registereddefaults.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

TEST(Preferences, DefaultsAreTheRegisteredOnes)
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
}

TEST(Preferences, EachPreferenceIsStoredUnderItsOwnName)
{
    // Spelled out here, apart from the table the code uses, so a row pairing a key with the
    // wrong member shows.
    const std::pair<const char *, bool Preferences::*> expected[] = {
        {"userPreferenceUseFastSkipMode", &Preferences::userPreferenceUseFastSkipMode},
        {"userPreferenceShouldAppendPDFs", &Preferences::userPreferenceShouldAppendPDFs},
        {"userPreferenceCreateTOCinPDFPack", &Preferences::userPreferenceCreateTOCinPDFPack},
        {"userPreferenceSkipFixedWidthFonts", &Preferences::userPreferenceSkipFixedWidthFonts},
        {"userPreferenceSkipHeaderFooterAggressive", &Preferences::userPreferenceSkipHeaderFooterAggressive},
        {"userPrefShouldSortOrderOfSentencesVisually", &Preferences::userPrefShouldSortOrderOfSentencesVisually},
        {"userPrefShouldSkipSentencesWithWeirdBounds", &Preferences::userPrefShouldSkipSentencesWithWeirdBounds},
        {"userPreferenceShouldAutomaticallySavePDFPacks", &Preferences::userPreferenceShouldAutomaticallySavePDFPacks},
        {"userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder",
            &Preferences::userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder},
        {"userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList",
            &Preferences::userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList},
    };
    ASSERT_EQ(std::size(expected), preferenceProperties.size());
    for (const auto &[key, member] : expected) {
        Preferences changed;
        changed.*member = !(changed.*member);

        MemoryDefaultsStore store;
        EXPECT_TRUE(saveUserPreferencesToUserDefaults(changed, store));
        EXPECT_EQ(store.synchronizeCount(), 1);
        EXPECT_EQ(store.values().size(), 10);
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
    EXPECT_FALSE(fonts.contains(kCourier));
    EXPECT_TRUE(fonts.contains(kTimes));
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

} // namespace
} // namespace narrata
