// The page label's arithmetic and which menu items the state enables.
#include "documents/menuvalidation.h"
#include "documents/pageinfolabel.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

TEST(PageInfoLabel, CountsTheShareUpToTheEndOfThePageOrTheMiddleOfTheSelection)
{
    EXPECT_EQ(pageinfolabel::textForPage(1, 3), QStringLiteral("Page 2 of 3 (67%)"));
    EXPECT_EQ(pageinfolabel::textForPage(0, 1), QStringLiteral("Page 1 of 1 (100%)"));
    // A selection centred halfway down the first of two pages.
    EXPECT_EQ(pageinfolabel::textForSelection(0, 2, 396.0, 792.0), QStringLiteral("Page 1 of 2 (25%)"));
    // No part of the selection on the page counts the whole page.
    EXPECT_EQ(pageinfolabel::textForSelection(0, 2, std::nullopt, 792.0), QStringLiteral("Page 1 of 2 (50%)"));
    EXPECT_EQ(pageinfolabel::textForPage(0, 0), QStringLiteral("Open a PDF, or Print a PDF into this app."));
}

TEST(MenuValidation, TheSpeakItemIsTitledByWhatThereIsToReadFrom)
{
    MenuContext context;
    context.currentPageHasText = true;
    EXPECT_EQ(validateMenuItem(u"menuCommandSpeakFromCurrentSelection", context).title,
        QStringLiteral("Speak from Top of Page"));
    context.selectionText = QStringLiteral("word");
    EXPECT_EQ(validateMenuItem(u"menuCommandSpeakFromCurrentSelection", context).title,
        QStringLiteral("Speak from Selected Text"));
    // An image-only page with nothing selected has nothing to read from.
    const MenuItemState imageOnly = validateMenuItem(u"menuCommandSpeakFromCurrentSelection", MenuContext{});
    EXPECT_FALSE(imageOnly.enabled);
    EXPECT_FALSE(imageOnly.title);
}

TEST(MenuValidation, FontAndPositionItemsNeedTheirStateAndTheOnTopItemShowsTheLevel)
{
    MenuContext context;
    context.selectionText = QString();
    EXPECT_FALSE(validateMenuItem(u"menuCommandAddFontToIgnoreList", context).enabled);
    context.selectionText = QStringLiteral("x");
    EXPECT_TRUE(validateMenuItem(u"menuCommandRemoveFontFromIgnoreList", context).enabled);
    EXPECT_FALSE(validateMenuItem(u"menuCommandGoToFurthestSentenceRead", context).enabled);
    context.hasFurthestSentenceRead = true;
    EXPECT_TRUE(validateMenuItem(u"menuCommandGoToFurthestSentenceRead", context).enabled);
    EXPECT_EQ(validateMenuItem(u"keepMainWindowOnTop", context).checked, false);
    context.mainWindowLevel = 25;
    EXPECT_EQ(validateMenuItem(u"keepMainWindowOnTop", context).checked, true);
    EXPECT_EQ(validateMenuItem(u"openNarrataWebsite", context), MenuItemState{});
}

} // namespace
} // namespace narrata
