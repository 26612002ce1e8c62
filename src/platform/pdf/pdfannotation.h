#pragma once

#include <QColor>
#include <QRectF>

#include <vector>

namespace narrata {

enum class PDFMarkupType { Highlight, Underline };

// A highlight or underline mark on a page. The quads are the marked lines; bounds is
// their union. Both are in page space.
struct PDFAnnotation {
    PDFMarkupType markupType = PDFMarkupType::Highlight;
    QRectF bounds;
    std::vector<QRectF> lineBoxes;
    QColor color;
    int id = -1; // assigned by the page that holds the mark; -1 until it is added

    static PDFAnnotation markup(PDFMarkupType type, std::vector<QRectF> lineBoxes, QColor color);

    friend bool operator==(const PDFAnnotation &, const PDFAnnotation &) = default;
};

} // namespace narrata
