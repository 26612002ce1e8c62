#pragma once

#include "pdffont.h"

#include <QRectF>

#include <vector>

namespace narrata {

// Text as the PDF library hands it over, before the text layer is built: blocks of
// lines of glyphs with their boxes in page space (origin lower-left, y up).
struct Glyph {
    char32_t c = 0;
    QRectF box;
    int font = -1; // index into RawPageText::fonts
};

struct GlyphLine {
    std::vector<Glyph> glyphs;

    QRectF bounds() const;
    // The size most of the line's glyphs are set in.
    double dominantSize(const std::vector<PDFFont> &fonts) const;
};

struct GlyphBlock {
    std::vector<GlyphLine> lines;

    QRectF bounds() const;
};

struct RawPageText {
    std::vector<GlyphBlock> blocks;
    std::vector<PDFFont> fonts;
};

// Page space has y growing upward; these name the edges by what they are on the page.
inline double upperEdge(const QRectF &r)
{
    return r.y() + r.height();
}
inline double lowerEdge(const QRectF &r)
{
    return r.y();
}

} // namespace narrata
