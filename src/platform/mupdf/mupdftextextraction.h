#pragma once

#include "platform/pdf/rawpagetext.h"

struct fz_context;
struct fz_page;

namespace narrata {

// The glyphs of a page's content (annotations left out) in page space, with their fonts.
// Empty when MuPDF fails. The caller holds the document's lock.
RawPageText extractRawPageText(fz_context *ctx, fz_page *page);

} // namespace narrata
