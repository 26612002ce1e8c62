#pragma once

#include "settings/registereddefaults.h"

#include <array>

namespace narrata {

class DefaultsStore;

// The choices of the preferences window. Each is stored under its own name, and starts at its
// registered default.
struct Preferences {
    bool userPreferenceUseFastSkipMode = false;
    bool userPreferenceShouldAppendPDFs = false;
    bool userPreferenceCreateTOCinPDFPack = true;
    bool userPreferenceSkipFixedWidthFonts = false;
    bool userPreferenceSkipHeaderFooterAggressive = false;
    bool userPrefShouldSortOrderOfSentencesVisually = false;
    bool userPrefShouldSkipSentencesWithWeirdBounds = false;
    bool userPreferenceShouldAutomaticallySavePDFPacks = true;
    bool userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder = false;
    bool userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList = false;
    // A document opened again shows the sentence last heard in it, selected.
    bool userPreferenceShouldReopenAtMostRecentSentence = true;

    friend bool operator==(const Preferences &, const Preferences &) = default;
};

struct PreferenceProperty {
    QLatin1String key;
    bool Preferences::*member;
};

// Every preference with its key, in the order they are loaded and saved.
inline constexpr std::array<PreferenceProperty, 11> preferenceProperties{{
    {settingskeys::userPreferenceUseFastSkipMode, &Preferences::userPreferenceUseFastSkipMode},
    {settingskeys::userPreferenceShouldAppendPDFs, &Preferences::userPreferenceShouldAppendPDFs},
    {settingskeys::userPreferenceCreateTOCinPDFPack, &Preferences::userPreferenceCreateTOCinPDFPack},
    {settingskeys::userPreferenceSkipFixedWidthFonts, &Preferences::userPreferenceSkipFixedWidthFonts},
    {settingskeys::userPreferenceSkipHeaderFooterAggressive, &Preferences::userPreferenceSkipHeaderFooterAggressive},
    {settingskeys::userPrefShouldSortOrderOfSentencesVisually,
        &Preferences::userPrefShouldSortOrderOfSentencesVisually},
    {settingskeys::userPrefShouldSkipSentencesWithWeirdBounds,
        &Preferences::userPrefShouldSkipSentencesWithWeirdBounds},
    {settingskeys::userPreferenceShouldAutomaticallySavePDFPacks,
        &Preferences::userPreferenceShouldAutomaticallySavePDFPacks},
    {settingskeys::userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder,
        &Preferences::userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder},
    {settingskeys::userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList,
        &Preferences::userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList},
    {settingskeys::userPreferenceShouldReopenAtMostRecentSentence,
        &Preferences::userPreferenceShouldReopenAtMostRecentSentence},
}};

// A key the store has no value for keeps its member's default.
Preferences loadUserPreferencesFromUserDefaults(const DefaultsStore &defaults);
// Stores every preference, then synchronizes; returns whether that succeeded.
bool saveUserPreferencesToUserDefaults(const Preferences &preferences, DefaultsStore &defaults);

} // namespace narrata
