#include "readingorder.h"

#include <algorithm>
#include <optional>

namespace narrata {

namespace {

// Narrower gaps between blocks are word or cell spacing, not a column gutter.
constexpr double kMinGutter = 6.0;
// A top or bottom band of at most this many line heights, this many line heights away from
// the rest, is a running head or foot.
constexpr double kEdgeBandLines = 1.5;
constexpr double kEdgeGapLines = 1.0;

using Indices = std::vector<size_t>;

struct Layout {
    std::vector<QRectF> bounds;

    // The widest vertical strip that no block crosses, with blocks on both sides: the
    // x where the set divides into a left and a right part.
    std::optional<double> gutter(const Indices &set) const
    {
        std::vector<std::pair<double, double>> spans;
        for (size_t i : set)
            spans.emplace_back(bounds[i].left(), bounds[i].right());
        std::sort(spans.begin(), spans.end());
        std::optional<double> best;
        double bestWidth = kMinGutter;
        double reach = spans.front().second;
        for (size_t k = 1; k < spans.size(); ++k) {
            const double width = spans[k].first - reach;
            if (width >= bestWidth) {
                bestWidth = width;
                best = (reach + spans[k].first) / 2;
            }
            reach = std::max(reach, spans[k].second);
        }
        return best;
    }

    // Rows of blocks that share no height with the next row, top of the page first.
    std::vector<Indices> bands(Indices set) const
    {
        std::stable_sort(
            set.begin(), set.end(), [&](size_t a, size_t b) { return upperEdge(bounds[a]) > upperEdge(bounds[b]); });
        std::vector<Indices> result;
        double floor = 0;
        for (size_t i : set) {
            if (result.empty() || upperEdge(bounds[i]) < floor) {
                result.emplace_back();
                floor = lowerEdge(bounds[i]);
            }
            result.back().push_back(i);
            floor = std::min(floor, lowerEdge(bounds[i]));
        }
        // Inside a band, the order the library gave.
        for (Indices &band : result)
            std::sort(band.begin(), band.end());
        return result;
    }

    QRectF span(const Indices &set) const
    {
        QRectF result;
        for (size_t i : set)
            result = result.isNull() ? bounds[i] : result.united(bounds[i]);
        return result;
    }

    Indices order(const Indices &set) const
    {
        if (set.size() <= 1)
            return set;
        if (const auto x = gutter(set)) {
            Indices left, right;
            for (size_t i : set)
                (bounds[i].right() <= *x ? left : right).push_back(i);
            return concatenated(order(left), order(right));
        }
        const std::vector<Indices> rows = bands(set);
        if (rows.size() == 1)
            return set;
        // Rows that share a gutter are parts of the same columns: order them together.
        Indices result;
        Indices group;
        for (const Indices &row : rows) {
            Indices merged = concatenated(group, row);
            if (group.empty() || gutter(merged)) {
                group = std::move(merged);
                continue;
            }
            result = concatenated(result, order(group));
            group = row;
        }
        return concatenated(result, order(group));
    }

    static Indices concatenated(Indices a, const Indices &b)
    {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    }
};

double typicalLineHeight(const std::vector<GlyphBlock> &blocks)
{
    std::vector<double> heights;
    for (const GlyphBlock &block : blocks)
        for (const GlyphLine &line : block.lines)
            heights.push_back(line.bounds().height());
    if (heights.empty())
        return 0;
    std::nth_element(heights.begin(), heights.begin() + static_cast<std::ptrdiff_t>(heights.size() / 2), heights.end());
    return heights[heights.size() / 2];
}

} // namespace

std::vector<GlyphBlock> orderBlocksForReading(std::vector<GlyphBlock> blocks)
{
    if (blocks.size() <= 1)
        return blocks;
    Layout layout;
    Indices all;
    for (size_t i = 0; i < blocks.size(); ++i) {
        layout.bounds.push_back(blocks[i].bounds());
        all.push_back(i);
    }

    // A single line standing apart at the top or bottom is a running head or foot: it must
    // not be taken into the columns below it just because its words leave a gap where the
    // gutter is.
    std::vector<Indices> rows = layout.bands(all);
    const double lineHeight = typicalLineHeight(blocks);
    const auto standsApart = [&](const Indices &edge, const Indices &neighbour) {
        const double gap = std::max(lowerEdge(layout.span(edge)) - upperEdge(layout.span(neighbour)),
            lowerEdge(layout.span(neighbour)) - upperEdge(layout.span(edge)));
        return layout.span(edge).height() <= kEdgeBandLines * lineHeight && gap >= kEdgeGapLines * lineHeight;
    };
    Indices head, foot, body;
    if (rows.size() > 2 && standsApart(rows.front(), rows[1]))
        head = rows.front(), rows.erase(rows.begin());
    if (rows.size() > 2 && standsApart(rows.back(), rows[rows.size() - 2]))
        foot = rows.back(), rows.pop_back();
    for (const Indices &row : rows)
        body = Layout::concatenated(body, row);
    std::sort(body.begin(), body.end());

    Indices order = Layout::concatenated(layout.order(head), layout.order(body));
    order = Layout::concatenated(order, layout.order(foot));

    std::vector<GlyphBlock> result;
    result.reserve(blocks.size());
    for (size_t i : order)
        result.push_back(std::move(blocks[i]));
    return result;
}

} // namespace narrata
