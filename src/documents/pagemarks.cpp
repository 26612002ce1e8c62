#include "pagemarks.h"

#include "platform/pdf/pdfdocument.h"
#include "platform/pdf/pdfselection.h"

#include <cmath>

namespace narrata::PageMarks {

namespace {

constexpr AnnotationColor kHighlightColor{255, 255, 102, 255}; // pale yellow
constexpr AnnotationColor kUnderlineColor{255, 0, 0, 255};

struct MarkedPage {
    std::shared_ptr<PDFPage> page;
    std::vector<QRectF> lines;
};

// The selection's first page, writable, with the boxes of the selection's lines on it.
MarkedPage markedPage(PDFDocument &document, const PDFSelection &selection)
{
    const auto pages = selection.pages();
    if (pages.empty())
        return {};
    MarkedPage marked{document.pageAtIndex(document.indexForPage(*pages.front())), {}};
    if (!marked.page)
        return {};
    for (const PDFSelection &line : selection.selectionsByLine())
        marked.lines.push_back(lineRectangle(line.boundsForPage(*pages.front())));
    return marked;
}

} // namespace

QRectF lineRectangle(const QRectF &bounds)
{
    return {std::floor(bounds.x()), std::floor(bounds.y()), std::floor(bounds.width()), std::floor(bounds.height())};
}

bool covers(const QRectF &mark, const QRectF &line)
{
    return line.width() > 0 && line.height() > 0 && mark.left() <= line.left() && mark.top() <= line.top()
        && mark.right() >= line.right() && mark.bottom() >= line.bottom();
}

bool addMarks(PDFDocument &document, const PDFSelection &selection, PDFMarkupType type)
{
    const MarkedPage marked = markedPage(document, selection);
    bool changed = false;
    for (const QRectF &line : marked.lines) {
        // Marks added for the lines before count: a line inside one of them is marked already.
        bool isMarked = false;
        for (const PDFAnnotation &mark : marked.page->annotations())
            isMarked = isMarked || (mark.markupType == type && covers(lineRectangle(mark.bounds), line));
        if (isMarked)
            continue;
        const AnnotationColor color = type == PDFMarkupType::Highlight ? kHighlightColor : kUnderlineColor;
        changed = marked.page->addAnnotation(PDFAnnotation::markup(type, {line}, color)).has_value() || changed;
    }
    return changed;
}

bool removeMarks(PDFDocument &document, const PDFSelection &selection)
{
    const MarkedPage marked = markedPage(document, selection);
    bool changed = false;
    for (const QRectF &line : marked.lines) {
        std::optional<PDFAnnotation> last;
        for (const PDFAnnotation &mark : marked.page->annotations()) {
            if (covers(lineRectangle(mark.bounds), line))
                last = mark;
        }
        changed = (last && marked.page->removeAnnotation(*last)) || changed;
    }
    return changed;
}

} // namespace narrata::PageMarks
