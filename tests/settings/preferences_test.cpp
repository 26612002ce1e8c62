#include "platform/settingsstores/memorydefaultsstore.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/preferences.h"
#include "settings/registereddefaults.h"

#include "printers.h"
#include "settingstestsupport.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

TEST(RegisteredDefaults, TableHoldsTheSixteenDefaults)
{
    const QVariantMap expected{
        {QStringLiteral("userPreferenceUseFastSkipMode"), false},
        {QStringLiteral("userPreferenceShouldAppendPDFs"), false},
        {QStringLiteral("userPreferenceCreateTOCinPDFPack"), true},
        {QStringLiteral("userPreferenceSkipFixedWidthFonts"), false},
        {QStringLiteral("userPreferenceSkipHeaderFooterAggressive"), false},
        {QStringLiteral("userPrefShouldSortOrderOfSentencesVisually"), false},
        {QStringLiteral("userPrefShouldSkipSentencesWithWeirdBounds"), false},
        {QStringLiteral("userPreferenceShouldAutomaticallySavePDFPacks"), true},
        {QStringLiteral("userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder"), false},
        {QStringLiteral("userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList"), false},
        {QStringLiteral("userPrefShowOnlyEnglishAdultVoices"), true},
        {QStringLiteral("rememberPreferenceShouldKeepMainWindowOnTop"), false},
        {QStringLiteral("rememberPreferenceShouldKeepClipboardConverterWindowOnTop"), false},
        {QStringLiteral("kOrvikURLRichTextFontName"), QStringLiteral("Helvetica")},
        {QStringLiteral("kOrvikURLRichTextFontSize"), 12.0},
        {QStringLiteral("kOrvikPrefixMap"),
            QVariantMap{{QStringLiteral("Narrata User Guide"), QStringLiteral("narrataug")}}},
    };
    const QVariantMap table = registeredDefaults();
    EXPECT_EQ(table, expected);
    // QVariant's equality converts; the types themselves must match too.
    for (auto entry = expected.cbegin(); entry != expected.cend(); ++entry)
        EXPECT_EQ(table.value(entry.key()).metaType(), entry->metaType()) << entry.key().toStdString();
}

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
}

TEST(Preferences, SaveReportsAFailedSynchronize)
{
    MemoryDefaultsStore store;
    store.setSynchronizeResult(false);
    EXPECT_FALSE(saveUserPreferencesToUserDefaults(Preferences(), store));
}

TEST(Preferences, AllTenSurviveTheNextLaunch)
{
    Preferences chosen;
    for (const PreferenceProperty &property : preferenceProperties)
        chosen.*property.member = !(chosen.*property.member);

    testing::SettingsFolder folder;
    {
        QSettingsDefaultsStore store(folder.path());
        store.registerDefaults(registeredDefaults());
        ASSERT_TRUE(saveUserPreferencesToUserDefaults(chosen, store));
    }
    const auto relaunched = folder.reopenCopy();
    relaunched->registerDefaults(registeredDefaults());
    EXPECT_EQ(loadUserPreferencesFromUserDefaults(*relaunched), chosen);
    EXPECT_TRUE(relaunched->boolForKey(settingskeys::userPrefShouldSortOrderOfSentencesVisually));
    EXPECT_TRUE(relaunched->boolForKey(settingskeys::userPrefShouldSkipSentencesWithWeirdBounds));
}

} // namespace
} // namespace narrata
