#include "rawpagetext.h"

#include <map>

namespace narrata {

QRectF GlyphLine::bounds() const
{
    QRectF bounds;
    for (const Glyph &g : glyphs)
        if (g.box.width() > 0 || g.box.height() > 0)
            bounds = bounds.isNull() ? g.box : bounds.united(g.box);
    return bounds;
}

double GlyphLine::dominantSize(const std::vector<PDFFont> &fonts) const
{
    std::map<int, int> countBySize; // size in tenths of a point
    for (const Glyph &g : glyphs)
        if (g.font >= 0 && static_cast<size_t>(g.font) < fonts.size() && g.c != U' ')
            ++countBySize[qRound(fonts[static_cast<size_t>(g.font)].pointSize * 10)];
    int bestSize = 0, bestCount = 0;
    for (const auto &[size, count] : countBySize)
        if (count > bestCount) {
            bestSize = size;
            bestCount = count;
        }
    return bestSize / 10.0;
}

QRectF GlyphBlock::bounds() const
{
    QRectF bounds;
    for (const GlyphLine &line : lines) {
        const QRectF b = line.bounds();
        if (!b.isNull())
            bounds = bounds.isNull() ? b : bounds.united(b);
    }
    return bounds;
}

} // namespace narrata
