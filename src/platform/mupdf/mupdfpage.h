#pragma once

#include "mupdfdocumentcore.h"
#include "platform/pdf/pdfpage.h"

#include <mupdf/fitz.h>

namespace narrata {

class MuPDFPage final : public PDFPage {
public:
    // Takes over the page reference. The caller holds the core's lock.
    MuPDFPage(std::shared_ptr<MuPDFDocumentCore> core, fz_page *page);
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
    fz_display_list *keptDisplayList() const;
    void dropDisplayList();

    std::shared_ptr<MuPDFDocumentCore> m_core;
    fz_page *m_page;
    fz_rect m_bounds;
    mutable std::once_flag m_textOnce;
    mutable TextLayer m_text;
    mutable fz_display_list *m_displayList = nullptr;
};

} // namespace narrata
