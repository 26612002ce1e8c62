#include "mupdfdocumentcore.h"

#include <mupdf/pdf.h>

namespace narrata {

MuPDFDocumentCore::MuPDFDocumentCore(
    std::shared_ptr<MuPDFContextFamily> family_, fz_context *ctx_, pdf_document *document_)
    : family(std::move(family_))
    , ctx(ctx_)
    , document(document_)
{
}

MuPDFDocumentCore::~MuPDFDocumentCore()
{
    pdf_drop_document(ctx, document);
    fz_drop_context(ctx);
}

} // namespace narrata
