#pragma once

#include "mupdfdocumentcore.h"
#include "platform/pdf/pdfpage.h"

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

namespace narrata {

class MuPDFPage final : public PDFPage {
public:
    // The page whose object is given; the caller holds the core's lock. MuPDF loads the page
    // itself (with its links and annotations) only when it is drawn or marked: reading the
    // text needs no more than the object, and a page's links can cost more than its text.
    MuPDFPage(std::shared_ptr<MuPDFDocumentCore> core, pdf_obj *pageObject);
    ~MuPDFPage() override;

    const TextLayer &textLayer() const override;
    QRectF boundsForBox(PDFDisplayBox box) const override;

    std::vector<PDFAnnotation> annotations() const override;
    std::optional<PDFAnnotation> addAnnotation(const PDFAnnotation &annotation) override;
    bool removeAnnotation(const PDFAnnotation &annotation) override;

    PageImage renderRegion(const QRectF &region, double scale) const override;

    const std::shared_ptr<MuPDFDocumentCore> &core() const { return m_core; }
    // The page's index in its document now (pages move when others are inserted); -1 if gone.
    int currentIndex() const;

private:
    // The loaded page, loaded now if it was not; null when it cannot be. The caller holds the
    // core's lock.
    fz_page *loadedPage() const;
    fz_display_list *keptDisplayList() const;
    void dropDisplayList();

    std::shared_ptr<MuPDFDocumentCore> m_core;
    pdf_obj *m_object;
    mutable fz_page *m_page = nullptr;
    fz_rect m_bounds;
    mutable std::once_flag m_textOnce;
    mutable TextLayer m_text;
    mutable fz_display_list *m_displayList = nullptr;
};

} // namespace narrata
