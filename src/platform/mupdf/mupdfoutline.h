#pragma once

#include "platform/pdf/pdfoutline.h"

#include <optional>

struct fz_context;
struct pdf_document;

namespace narrata {

// Reads the document's outline with destinations in page space; nothing when it has none.
// The caller holds the document's lock.
std::optional<PDFOutline> readOutline(fz_context *ctx, pdf_document *document);

// Replaces the document's outline; a root without children removes it.
bool writeOutline(fz_context *ctx, pdf_document *document, const PDFOutline &root);

} // namespace narrata
