#pragma once

#include <QLatin1String>
#include <QVariantMap>

namespace narrata {

// The names of the stored settings: no other code spells them.
namespace settingskeys {

// Keys with a registered default.
inline constexpr QLatin1String userPreferenceUseFastSkipMode{"userPreferenceUseFastSkipMode"};
inline constexpr QLatin1String userPreferenceShouldAppendPDFs{"userPreferenceShouldAppendPDFs"};
inline constexpr QLatin1String userPreferenceCreateTOCinPDFPack{"userPreferenceCreateTOCinPDFPack"};
inline constexpr QLatin1String userPreferenceSkipFixedWidthFonts{"userPreferenceSkipFixedWidthFonts"};
inline constexpr QLatin1String userPreferenceSkipHeaderFooterAggressive{"userPreferenceSkipHeaderFooterAggressive"};
inline constexpr QLatin1String userPrefShouldSortOrderOfSentencesVisually{"userPrefShouldSortOrderOfSentencesVisually"};
inline constexpr QLatin1String userPrefShouldSkipSentencesWithWeirdBounds{"userPrefShouldSkipSentencesWithWeirdBounds"};
inline constexpr QLatin1String userPreferenceShouldAutomaticallySavePDFPacks{
    "userPreferenceShouldAutomaticallySavePDFPacks"};
inline constexpr QLatin1String userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder{
    "userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder"};
inline constexpr QLatin1String userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList{
    "userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList"};
inline constexpr QLatin1String userPreferenceShouldReopenAtMostRecentSentence{
    "userPreferenceShouldReopenAtMostRecentSentence"};
inline constexpr QLatin1String userPrefShowOnlyEnglishAdultVoices{"userPrefShowOnlyEnglishAdultVoices"};
inline constexpr QLatin1String rememberPreferenceShouldKeepMainWindowOnTop{
    "rememberPreferenceShouldKeepMainWindowOnTop"};
inline constexpr QLatin1String rememberPreferenceShouldKeepClipboardConverterWindowOnTop{
    "rememberPreferenceShouldKeepClipboardConverterWindowOnTop"};
inline constexpr QLatin1String kOrvikURLRichTextFontName{"kOrvikURLRichTextFontName"};
inline constexpr QLatin1String kOrvikURLRichTextFontSize{"kOrvikURLRichTextFontSize"};
inline constexpr QLatin1String kOrvikPrefixMap{"kOrvikPrefixMap"};

// Keys without one: unset until first stored. The ...ByPDF maps are keyed by PDF file name.
inline constexpr QLatin1String watchedFolder{"watchedFolder"};
inline constexpr QLatin1String recentDocuments{"recentDocuments"};
// The main window's size and place on the screen, as Qt saves them.
inline constexpr QLatin1String mainWindowGeometry{"mainWindowGeometry"};
inline constexpr QLatin1String ignoredFontsByPDF{"ignoredFontsByPDF"};
inline constexpr QLatin1String mostRecentSentencesReadByPDF{"mostRecentSentencesReadByPDF"};
inline constexpr QLatin1String furthestSentencesReadByPDF{"furthestSentencesReadByPDF"};
inline constexpr QLatin1String numSentencesCompleted{"numSentencesCompleted"};
inline constexpr QLatin1String kNarrataTTSVoiceSelected{"kNarrataTTSVoiceSelected"};
inline constexpr QLatin1String kNarrataTTSVoiceRate{"kNarrataTTSVoiceRate"};

} // namespace settingskeys

// The one table of registered defaults, for DefaultsStore::registerDefaults at start-up.
QVariantMap registeredDefaults();

} // namespace narrata
