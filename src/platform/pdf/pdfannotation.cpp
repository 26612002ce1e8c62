#include "pdfannotation.h"

namespace narrata {

PDFAnnotation PDFAnnotation::markup(
    PDFMarkupType type, std::vector<QRectF> lineBoxes, std::optional<AnnotationColor> color)
{
    PDFAnnotation annotation;
    annotation.markupType = type;
    for (const QRectF &box : lineBoxes)
        annotation.bounds = annotation.bounds.isNull() ? box : annotation.bounds.united(box);
    annotation.lineBoxes = std::move(lineBoxes);
    annotation.color = color;
    return annotation;
}

} // namespace narrata
