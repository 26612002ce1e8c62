#include "blocksplitting.h"

#include <algorithm>
#include <cmath>

namespace narrata {

namespace {

// A gap between line boxes of this many type sizes is more than leading: a new block.
constexpr double kGapInSizes = 0.7;
// Sizes that differ by more than this ratio belong to different kinds of text.
constexpr double kSizeRatio = 1.15;

// A line that opens with a bullet is a new list item, however close it is set to the last.
bool opensWithBullet(const GlyphLine &line)
{
    for (const Glyph &g : line.glyphs) {
        if (g.c == U' ')
            continue;
        return g.c == U'\u2022' || g.c == U'\u25E6' || g.c == U'\u25AA' || g.c == U'\u25CF' || g.c == U'\u2023'
            || g.c == U'\u2043' || g.c == U'\u25A0';
    }
    return false;
}

bool startsNewBlock(const GlyphLine &previous, const GlyphLine &line, const std::vector<PDFFont> &fonts)
{
    if (opensWithBullet(line))
        return true;

    const QRectF before = previous.bounds();
    const QRectF here = line.bounds();
    if (before.isNull() || here.isNull())
        return false;

    const double sizeBefore = previous.dominantSize(fonts);
    const double sizeHere = line.dominantSize(fonts);
    const double size = std::max({sizeBefore, sizeHere, 1.0});

    const double gapBelow = lowerEdge(before) - upperEdge(here);
    if (gapBelow > kGapInSizes * size)
        return true;
    // A line that starts above the previous one's top belongs elsewhere on the page.
    if (upperEdge(here) - upperEdge(before) > 0.5 * size && lowerEdge(here) > upperEdge(before))
        return true;

    if (sizeBefore > 0 && sizeHere > 0) {
        const double ratio = std::max(sizeBefore, sizeHere) / std::min(sizeBefore, sizeHere);
        const bool sameBaselineRow = std::abs(lowerEdge(before) - lowerEdge(here)) < 0.3 * size;
        if (ratio > kSizeRatio && !sameBaselineRow)
            return true;
    }
    return false;
}

} // namespace

std::vector<GlyphBlock> splitBlocks(std::vector<GlyphBlock> blocks, const std::vector<PDFFont> &fonts)
{
    std::vector<GlyphBlock> result;
    result.reserve(blocks.size());
    for (GlyphBlock &block : blocks) {
        GlyphBlock current;
        for (GlyphLine &line : block.lines) {
            if (line.glyphs.empty())
                continue;
            if (!current.lines.empty() && startsNewBlock(current.lines.back(), line, fonts)) {
                result.push_back(std::move(current));
                current = {};
            }
            current.lines.push_back(std::move(line));
        }
        if (!current.lines.empty())
            result.push_back(std::move(current));
    }
    return result;
}

} // namespace narrata
