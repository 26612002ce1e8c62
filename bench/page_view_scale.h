#pragma once

#include <QRectF>

// The page view fits a page to the width of its viewport, less a margin on either side; a
// viewport of a thousand pixels is the view's typical size.
constexpr double kViewportWidth = 1000;
constexpr double kViewMargins = 24;

// Pixels per point for a page of this crop box.
inline double fitToWidthScale(const QRectF &cropBox)
{
    return cropBox.width() > 0 ? (kViewportWidth - kViewMargins) / cropBox.width() : 0;
}
