#pragma once

#include "attributedstring.h"
#include "pageimage.h"
#include "pdfannotation.h"
#include "textlayer.h"

#include <QRectF>

#include <memory>
#include <optional>

namespace narrata {

class PDFSelection;

enum class PDFDisplayBox { MediaBox, CropBox };

// One page of a document. All geometry is in page space: points, origin at the lower-left
// corner of the page as displayed (crop box, after rotation), y growing upward.
class PDFPage : public std::enable_shared_from_this<PDFPage> {
public:
    virtual ~PDFPage() = default;

    // The page's text layer, extracted once and kept.
    virtual const TextLayer &textLayer() const = 0;

    QString string() const { return textLayer().string(); }
    AttributedString attributedString() const { return textLayer().attributedString(); }
    qint64 characterIndexAtPoint(QPointF point) const { return textLayer().characterIndexAtPoint(point); }
    QRectF characterBoundsAtIndex(qint64 index) const { return textLayer().characterBoundsAtIndex(index); }

    // The rectangle of a box of the page: the crop box is the displayed page, at (0, 0).
    virtual QRectF boundsForBox(PDFDisplayBox box) const = 0;

    PDFSelection selectionForRange(TextRange range) const;
    PDFSelection selectionForRect(const QRectF &rect) const;

    virtual std::vector<PDFAnnotation> annotations() const = 0;
    // Adds a highlight or underline mark; returns it with its id, or nothing on failure.
    virtual std::optional<PDFAnnotation> addAnnotation(const PDFAnnotation &annotation) = 0;
    virtual bool removeAnnotation(const PDFAnnotation &annotation) = 0;

    // Renders a region of the page at a scale (pixels per point). Safe to call from
    // several threads at once. A null image when the page cannot be drawn.
    virtual PageImage renderRegion(const QRectF &region, double scale) const = 0;
};

} // namespace narrata
