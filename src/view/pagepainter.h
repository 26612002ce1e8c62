#pragma once

#include "pagelayout.h"
#include "platform/pdf/pdfselection.h"

#include <QColor>
#include <QPainter>

namespace narrata {

class PDFDocument;
class PageRenderCache;

// Draws the pages that stand between two heights of the content, each from its rendering with
// the selection multiplied over it, and asks for the page after them ahead of time.
struct PagePainter {
    const PageLayout &layout;
    PageRenderCache &renders;
    const PDFDocument *document;
    const PDFSelection &selection;
    QColor selectionColor;
    double devicePixelRatio = 1;

    void paint(QPainter &painter, QPointF contentOffset, double viewportHeight) const;

private:
    void paintSelection(QPainter &painter, int pageIndex, QPointF contentOffset) const;
};

} // namespace narrata
