#pragma once

#include "rawpagetext.h"

namespace narrata {

// Puts a page's blocks into reading order: a running head first and a running foot last,
// and on pages set in columns, one column's blocks before the next column's. Blocks that
// no gap separates keep the order the PDF library gave them.
std::vector<GlyphBlock> orderBlocksForReading(std::vector<GlyphBlock> blocks);

} // namespace narrata
