#pragma once

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <QPointF>
#include <QRectF>

namespace narrata {

// MuPDF's page space has its origin at the top-left of the displayed page and y growing
// downward; ours has it at the lower-left with y growing upward. `bounds` is the page's
// fz_bound_page rectangle, which already accounts for the crop box and rotation.
// A page's transformation from its user space, and its bounds after it (what fz_bound_page
// gives), read from the page's object without loading the page. Throws as MuPDF does.
struct PageObjectSpace {
    fz_matrix ctm = fz_identity;
    fz_rect bounds = fz_empty_rect;
};

inline PageObjectSpace pageObjectSpace(fz_context *ctx, pdf_obj *pageObject)
{
    PageObjectSpace space;
    fz_rect mediabox = fz_empty_rect;
    pdf_page_obj_transform(ctx, pageObject, &mediabox, &space.ctm);
    space.bounds = fz_transform_rect(mediabox, space.ctm);
    return space;
}

inline QRectF toPageSpace(const fz_rect &r, const fz_rect &bounds)
{
    return QRectF(r.x0 - bounds.x0, bounds.y1 - r.y1, r.x1 - r.x0, r.y1 - r.y0);
}

inline QPointF toPageSpace(const fz_point &p, const fz_rect &bounds)
{
    return QPointF(p.x - bounds.x0, bounds.y1 - p.y);
}

inline fz_point fromPageSpace(const QPointF &p, const fz_rect &bounds)
{
    return fz_make_point(static_cast<float>(p.x() + bounds.x0), static_cast<float>(bounds.y1 - p.y()));
}

inline fz_rect fromPageSpace(const QRectF &r, const fz_rect &bounds)
{
    return fz_make_rect(static_cast<float>(r.left() + bounds.x0), static_cast<float>(bounds.y1 - (r.y() + r.height())),
        static_cast<float>(r.right() + bounds.x0), static_cast<float>(bounds.y1 - r.y()));
}

inline fz_quad quadFromPageSpace(const QRectF &r, const fz_rect &bounds)
{
    return fz_quad_from_rect(fromPageSpace(r, bounds));
}

} // namespace narrata
