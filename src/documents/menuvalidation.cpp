#include "menuvalidation.h"

namespace narrata {

MenuItemState validateMenuItem(QStringView action, const MenuContext &context)
{
    const bool hasSelectionText = context.selectionText.has_value();
    if (action == u"menuCommandAddFontToIgnoreList" || action == u"menuCommandRemoveFontFromIgnoreList")
        return {hasSelectionText && !context.selectionText->isEmpty(), {}, {}};
    if (action == u"menuCommandSpeakFromCurrentSelection") {
        if (hasSelectionText)
            return {true, QStringLiteral("Speak from Selected Text"), {}};
        if (context.currentPageHasText)
            return {true, QStringLiteral("Speak from Top of Page"), {}};
        return {false, {}, {}};
    }
    if (action == u"menuCommandGoToMostRecentSentenceRead")
        return {context.hasMostRecentSentenceRead, {}, {}};
    if (action == u"menuCommandGoToFurthestSentenceRead")
        return {context.hasFurthestSentenceRead, {}, {}};
    if (action == u"appendClipboardContentToPDF" || action == u"insertClipboardContentsAsPDFPageRapid")
        return {context.clipboard.text, {}, {}};
    if (action == u"insertPDFPagesOnClipboard")
        return {context.clipboard.pdf, {}, {}};
    if (action == u"keepMainWindowOnTop")
        return {true, {}, context.mainWindowLevel != 0};
    return {};
}

} // namespace narrata
