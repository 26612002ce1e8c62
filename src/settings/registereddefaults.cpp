#include "registereddefaults.h"

namespace narrata {

QVariantMap registeredDefaults()
{
    using namespace settingskeys;
    return QVariantMap{
        {userPreferenceUseFastSkipMode, false},
        {userPreferenceShouldAppendPDFs, false},
        {userPreferenceCreateTOCinPDFPack, true},
        {userPreferenceSkipFixedWidthFonts, false},
        {userPreferenceSkipHeaderFooterAggressive, false},
        {userPrefShouldSortOrderOfSentencesVisually, false},
        {userPrefShouldSkipSentencesWithWeirdBounds, false},
        {userPreferenceShouldAutomaticallySavePDFPacks, true},
        {userPreferenceShouldLocateAutomaticallySavedPDFPackInFinder, false},
        {userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList, false},
        {userPreferenceShouldReopenAtMostRecentSentence, true},
        {userPrefShowOnlyEnglishAdultVoices, true},
        {rememberPreferenceShouldKeepMainWindowOnTop, false},
        {rememberPreferenceShouldKeepClipboardConverterWindowOnTop, false},
        {kOrvikURLRichTextFontName, QStringLiteral("Helvetica")},
        {kOrvikURLRichTextFontSize, 12.0},
        {kOrvikPrefixMap, QVariantMap{{QStringLiteral("Narrata User Guide"), QStringLiteral("narrataug")}}},
    };
}

} // namespace narrata
