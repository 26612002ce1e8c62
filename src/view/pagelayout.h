#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <utility>
#include <vector>

namespace narrata {

// Where the pages of a document stand in the page view: one under another, each centred
// across the view's width, with a gap around them. Content coordinates are pixels from the
// top-left corner of the whole column, y down; page space is in points from a page's
// lower-left corner, y up.
class PageLayout {
public:
    static constexpr double kGap = 12; // pixels between pages and around the column

    // The pages' displayed sizes, in points.
    void setPageSizes(std::vector<QSizeF> sizes);
    // Pixels per point.
    void setScale(double scale);
    void setViewportWidth(double width);

    int count() const { return static_cast<int>(m_sizes.size()); }
    double scale() const { return m_scale; }
    // The scale at which the widest page fills the width, gaps aside; 1 without pages.
    double fitWidthScale(double viewportWidth) const;

    QSizeF contentSize() const;
    QRectF pageRect(int index) const;
    // The page holding the point; with `nearest`, the closest page when the point falls in
    // a gap or beyond the column. -1 when there is none.
    int pageAt(QPointF contentPoint, bool nearest) const;
    // The first and last page that reach into the band [top, bottom]; (0, -1) when none does.
    std::pair<int, int> pagesBetween(double top, double bottom) const;

    QPointF pagePoint(int index, QPointF contentPoint) const;
    QPointF contentPoint(int index, QPointF pagePoint) const;
    QRectF contentRect(int index, const QRectF &pageRect) const;

private:
    void relayout();

    std::vector<QSizeF> m_sizes;
    std::vector<double> m_tops; // content y of each page's top edge
    double m_widest = 0; // pixels, at the current scale
    double m_scale = 1;
    double m_viewportWidth = 0;
};

} // namespace narrata
