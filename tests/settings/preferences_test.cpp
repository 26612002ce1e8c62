#include "platform/settingsstores/memorydefaultsstore.h"
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

} // namespace
} // namespace narrata
