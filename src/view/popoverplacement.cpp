#include "popoverplacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace narrata {

namespace {

void placeWithin(QWidget &popover, const QWidget &anchor, QPoint topLeft)
{
    const QScreen *screen = anchor.screen();
    if (screen) {
        const QRect available = screen->availableGeometry();
        const QSize size = popover.frameGeometry().size();
        // On a screen smaller than the popover its top left corner wins.
        topLeft.setX(std::max(available.left(), std::min(topLeft.x(), available.right() + 1 - size.width())));
        topLeft.setY(std::max(available.top(), std::min(topLeft.y(), available.bottom() + 1 - size.height())));
    }
    popover.move(topLeft);
}

} // namespace

void framePopover(QWidget &popover)
{
    popover.setAttribute(Qt::WA_StyledBackground);
    // Only the popover itself: its controls keep their own look.
    popover.setStyleSheet(QStringLiteral("#%1 { background: palette(window); border: 1px solid palette(dark); }")
                              .arg(popover.objectName()));
}

void placeBelow(QWidget &popover, const QWidget &anchor)
{
    placeWithin(popover, anchor, anchor.mapToGlobal(QPoint(0, anchor.height())));
}

void placeAbove(QWidget &popover, const QWidget &anchor)
{
    placeWithin(popover, anchor, anchor.mapToGlobal(QPoint(0, -popover.frameGeometry().height())));
}

} // namespace narrata
