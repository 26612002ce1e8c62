#include "pagelayout.h"

#include <algorithm>
#include <cmath>

namespace narrata {

void PageLayout::setPageSizes(std::vector<QSizeF> sizes)
{
    m_sizes = std::move(sizes);
    relayout();
}

void PageLayout::setScale(double scale)
{
    m_scale = scale > 0 && std::isfinite(scale) ? scale : 1;
    relayout();
}

void PageLayout::setViewportWidth(double width)
{
    m_viewportWidth = std::max(0.0, width);
}

double PageLayout::fitWidthScale(double viewportWidth) const
{
    double widest = 0;
    for (const QSizeF &size : m_sizes)
        widest = std::max(widest, size.width());
    const double room = viewportWidth - 2 * kGap;
    return widest > 0 && room > 0 ? room / widest : 1;
}

void PageLayout::relayout()
{
    m_tops.resize(m_sizes.size());
    m_widest = 0;
    for (const QSizeF &size : m_sizes)
        m_widest = std::max(m_widest, std::round(size.width() * m_scale));
    double y = kGap;
    for (std::size_t i = 0; i < m_sizes.size(); ++i) {
        m_tops[i] = y;
        y += std::round(m_sizes[i].height() * m_scale) + kGap;
    }
}

QSizeF PageLayout::contentSize() const
{
    const double height = m_sizes.empty() ? 0 : pageRect(count() - 1).bottom() + kGap;
    return {std::max(m_viewportWidth, m_widest + 2 * kGap), height};
}

QRectF PageLayout::pageRect(int index) const
{
    if (index < 0 || index >= count())
        return {};
    const double width = std::round(m_sizes[index].width() * m_scale);
    const double height = std::round(m_sizes[index].height() * m_scale);
    const double columnWidth = std::max(m_viewportWidth, m_widest + 2 * kGap);
    return {std::round((columnWidth - width) / 2), m_tops[index], width, height};
}

int PageLayout::pageAt(QPointF contentPoint, bool nearest) const
{
    if (m_sizes.empty())
        return -1;
    // The last page whose top edge is at or above the point.
    auto below = std::upper_bound(m_tops.begin(), m_tops.end(), contentPoint.y());
    int candidate = static_cast<int>(below - m_tops.begin()) - 1;
    candidate = std::clamp(candidate, 0, count() - 1);
    if (pageRect(candidate).contains(contentPoint))
        return candidate;
    if (!nearest)
        return -1;
    // In a gap: whichever of the two pages around it is closer.
    const int next = std::min(candidate + 1, count() - 1);
    const double toCandidate = std::abs(contentPoint.y() - pageRect(candidate).bottom());
    const double toNext = std::abs(pageRect(next).top() - contentPoint.y());
    return contentPoint.y() > pageRect(candidate).bottom() && toNext < toCandidate ? next : candidate;
}

std::pair<int, int> PageLayout::pagesBetween(double top, double bottom) const
{
    if (m_sizes.empty() || bottom < top)
        return {0, -1};
    int first = pageAt({0, top}, true);
    if (pageRect(first).bottom() < top && first + 1 < count())
        ++first;
    int last = first;
    while (last + 1 < count() && pageRect(last + 1).top() <= bottom)
        ++last;
    if (pageRect(first).top() > bottom || pageRect(last).bottom() < top)
        return {0, -1};
    return {first, last};
}

QPointF PageLayout::pagePoint(int index, QPointF contentPoint) const
{
    const QRectF rect = pageRect(index);
    return {(contentPoint.x() - rect.left()) / m_scale, (rect.bottom() - contentPoint.y()) / m_scale};
}

QPointF PageLayout::contentPoint(int index, QPointF pagePoint) const
{
    const QRectF rect = pageRect(index);
    return {rect.left() + pagePoint.x() * m_scale, rect.bottom() - pagePoint.y() * m_scale};
}

QRectF PageLayout::contentRect(int index, const QRectF &pageRect) const
{
    const QPointF topLeft = contentPoint(index, {pageRect.left(), pageRect.top() + pageRect.height()});
    return {topLeft, QSizeF(pageRect.width() * m_scale, pageRect.height() * m_scale)};
}

} // namespace narrata
