#pragma once

#include <QRectF>

#include <optional>
#include <vector>

namespace narrata {

enum class PDFMarkupType { Highlight, Underline };

// A mark's colour, each channel from 0 to 255; alpha is the mark's opacity, 255 opaque.
struct AnnotationColor {
    int red = 0;
    int green = 0;
    int blue = 0;
    int alpha = 255;

    friend bool operator==(const AnnotationColor &, const AnnotationColor &) = default;
};

// A highlight or underline mark on a page. The quads are the marked lines; bounds is
// their union. Both are in page space.
struct PDFAnnotation {
    PDFMarkupType markupType = PDFMarkupType::Highlight;
    QRectF bounds;
    std::vector<QRectF> lineBoxes;
    std::optional<AnnotationColor> color; // none when the file gives the mark none
    int id = -1; // assigned by the page that holds the mark; -1 until it is added

    static PDFAnnotation markup(
        PDFMarkupType type, std::vector<QRectF> lineBoxes, std::optional<AnnotationColor> color);

    friend bool operator==(const PDFAnnotation &, const PDFAnnotation &) = default;
};

} // namespace narrata
