#pragma once

#include "mupdfcontext.h"

#include <memory>
#include <mutex>

struct pdf_document;

namespace narrata {

// What a document and its pages share: the MuPDF document, the context it is used with, and
// the lock that every use of either takes. Pages keep the core alive, so a page stays
// usable after its document object is gone.
struct MuPDFDocumentCore {
    MuPDFDocumentCore(std::shared_ptr<MuPDFContextFamily> family, fz_context *ctx, pdf_document *document);
    ~MuPDFDocumentCore();
    MuPDFDocumentCore(const MuPDFDocumentCore &) = delete;
    MuPDFDocumentCore &operator=(const MuPDFDocumentCore &) = delete;

    std::shared_ptr<MuPDFContextFamily> family;
    fz_context *ctx;
    pdf_document *document;
    mutable std::recursive_mutex mutex;
};

} // namespace narrata
