#pragma once

#include "rawpagetext.h"
#include "textlayer.h"

namespace narrata {

// Builds a page's text layer from what the PDF library extracted: lines cleaned up,
// blocks cut and put into reading order, lines of a block joined by one space and
// blocks by one line feed.
TextLayer buildTextLayer(RawPageText raw);

} // namespace narrata
