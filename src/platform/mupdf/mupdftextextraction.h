#pragma once

#include "platform/pdf/rawpagetext.h"

struct fz_context;
struct pdf_document;
struct pdf_obj;

namespace narrata {

// The glyphs of a page's content (annotations left out) in page space, with their fonts, read
// from the page's object: the page need not be loaded, which would resolve its links.
// Empty when MuPDF fails. The caller holds the document's lock.
// `aborted` says whether the page ran past its time or memory budget, or everything was asked
// to stop; its text is then empty.
RawPageText extractRawPageText(fz_context *ctx, pdf_document *document, pdf_obj *pageObject, bool *aborted);

} // namespace narrata
