#pragma once

#include "rawpagetext.h"

namespace narrata {

// Cuts blocks where the PDF library merged text that a reader sees as apart: a running
// head or a page number set close to the body, or a heading above its paragraph. A block
// is cut before a line that stands well below the one before it, that jumps back up the
// page, whose type size differs clearly from the line before it, or that opens with a bullet.
std::vector<GlyphBlock> splitBlocks(std::vector<GlyphBlock> blocks, const std::vector<PDFFont> &fonts);

} // namespace narrata
