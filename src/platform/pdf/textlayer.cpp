#include "textlayer.h"

#include <algorithm>
#include <cmath>

namespace narrata {

TextLayer::TextLayer(QString text, std::vector<Unit> units, std::vector<PDFFont> fonts, std::vector<TextLine> lines,
    std::vector<TextRange> blocks)
    : m_text(std::move(text))
    , m_units(std::move(units))
    , m_fonts(std::move(fonts))
    , m_lines(std::move(lines))
    , m_blocks(std::move(blocks))
{
    Q_ASSERT(m_units.size() == static_cast<size_t>(m_text.size()));
    const auto fontAt = [this](size_t i) {
        const int index = m_units[i].font;
        return index >= 0 && static_cast<size_t>(index) < m_fonts.size() ? m_fonts[static_cast<size_t>(index)]
                                                                         : PDFFont{};
    };
    for (size_t i = 0; i < m_units.size(); ++i) {
        // Comparing font indices first spares comparing names for most characters.
        const bool sameRun = i > 0 && (m_units[i].font == m_units[i - 1].font || m_runs.back().font == fontAt(i));
        if (sameRun)
            ++m_runs.back().range.length;
        else
            m_runs.push_back({{i, 1}, fontAt(i)});
    }
}

AttributedString TextLayer::attributedSubstring(TextRange range) const
{
    range = range.intersected({0, static_cast<quint64>(m_text.size())});
    AttributedString result;
    if (range.isEmpty())
        return result;
    result.string = m_text.mid(static_cast<qsizetype>(range.location), static_cast<qsizetype>(range.length));
    auto run = std::upper_bound(m_runs.begin(), m_runs.end(), range.location,
        [](quint64 location, const FontRun &r) { return location < r.range.end(); });
    for (; run != m_runs.end() && run->range.location < range.end(); ++run) {
        const TextRange cut = run->range.intersected(range);
        result.runs.push_back({{cut.location - range.location, cut.length}, run->font});
    }
    return result;
}

qint64 TextLayer::characterIndexAtPoint(QPointF point) const
{
    qint64 best = kNotFound;
    double bestDistance = 0;
    for (size_t i = 0; i < m_units.size(); ++i) {
        const QRectF &box = m_units[i].box;
        if (box.width() <= 0 || box.height() <= 0)
            continue;
        if (point.x() < box.left() || point.x() > box.right() || point.y() < box.top() || point.y() > box.bottom())
            continue;
        // Boxes of neighbouring lines can overlap a little: the nearest centre wins.
        const QPointF d = box.center() - point;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (best == kNotFound || distance < bestDistance) {
            best = static_cast<qint64>(i);
            bestDistance = distance;
        }
    }
    return best;
}

QRectF TextLayer::characterBoundsAtIndex(qint64 index) const
{
    if (index < 0 || static_cast<quint64>(index) >= m_units.size())
        return {};
    return m_units[static_cast<size_t>(index)].box;
}

QRectF TextLayer::boundsOfRange(TextRange range) const
{
    double left = HUGE_VAL, bottom = HUGE_VAL, right = -HUGE_VAL, top = -HUGE_VAL;
    const quint64 stop = std::min<quint64>(range.end(), m_units.size());
    for (quint64 i = range.location; i < stop; ++i) {
        const QRectF &box = m_units[i].box;
        if (box.width() <= 0 || box.height() <= 0)
            continue;
        left = std::min(left, box.x());
        bottom = std::min(bottom, box.y());
        right = std::max(right, box.x() + box.width());
        top = std::max(top, box.y() + box.height());
    }
    return left <= right ? QRectF(left, bottom, right - left, top - bottom) : QRectF();
}

std::vector<TextRange> TextLayer::lineRangesWithin(TextRange range) const
{
    std::vector<TextRange> result;
    for (const TextLine &line : m_lines) {
        const TextRange part = line.range.intersected(range);
        if (!part.isEmpty())
            result.push_back(part);
    }
    return result;
}

std::vector<TextRange> TextLayer::rangesInRect(const QRectF &rect) const
{
    std::vector<TextRange> result;
    qint64 pendingSeparatorStart = -1;
    for (size_t i = 0; i < m_units.size(); ++i) {
        const QRectF &box = m_units[i].box;
        const bool separator = box.width() <= 0;
        if (separator) {
            if (!result.empty() && result.back().end() == i && pendingSeparatorStart < 0)
                pendingSeparatorStart = static_cast<qint64>(i);
            continue;
        }
        if (!rect.contains(box.center())) {
            pendingSeparatorStart = -1;
            continue;
        }
        if (pendingSeparatorStart >= 0 || (!result.empty() && result.back().end() == i))
            result.back().length = i + 1 - result.back().location;
        else
            result.push_back({i, 1});
        pendingSeparatorStart = -1;
    }
    return result;
}

} // namespace narrata
