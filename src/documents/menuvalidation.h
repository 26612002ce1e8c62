#pragma once

#include "platform/desktop/clipboardoffer.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace narrata {

// What a menu needs to know of the application when it opens.
struct MenuContext {
    std::optional<QString> selectionText; // none without a selection
    bool currentPageHasText = false;
    bool hasMostRecentSentenceRead = false;
    bool hasFurthestSentenceRead = false;
    int mainWindowLevel = 0;
    ClipboardOffer clipboard;
};

// How an item shows: enabled or not, and a title or check mark where the state decides them.
struct MenuItemState {
    bool enabled = true;
    std::optional<QString> title;
    std::optional<bool> checked;

    friend bool operator==(const MenuItemState &, const MenuItemState &) = default;
};

// The state of the menu item that sends `action` (the command's name, which is also the
// item's object name in the window's layout). Unknown actions are enabled.
MenuItemState validateMenuItem(QStringView action, const MenuContext &context);

} // namespace narrata
