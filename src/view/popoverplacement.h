#pragma once

class QWidget;

namespace narrata {

// Moves popover next to anchor, below or above it, and back inside the anchor's screen where
// it would cross an edge. The popover's size must be settled first, and it should be frameless:
// a popup has no frame on a desktop, but some platform plugins give any window one.
void placeBelow(QWidget &popover, const QWidget &anchor);
void placeAbove(QWidget &popover, const QWidget &anchor);
// Gives a popover a hairline frame: a popup has none of its own and would merge into the page
// and the status bar beneath it. Called once its layout is set up.
void framePopover(QWidget &popover);

} // namespace narrata
