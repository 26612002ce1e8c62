#pragma once

#include "platform/pdf/rawpagetext.h"

struct fz_context;
struct fz_page;

namespace narrata {

// The glyphs of a page's content (annotations left out) in page space, with their fonts.
// Empty when MuPDF fails. The caller holds the document's lock.
// `aborted` says whether the page ran past its time or memory budget, or everything was asked
// to stop; its text is then empty.
RawPageText extractRawPageText(fz_context *ctx, fz_page *page, bool *aborted);

} // namespace narrata
