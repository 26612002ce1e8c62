#include "pagepainter.h"

#include "pagerendercache.h"
#include "platform/pdf/pdfdocument.h"

namespace narrata {

void PagePainter::paint(QPainter &painter, QPointF offset, double viewportHeight) const
{
    const auto [first, last] = layout.pagesBetween(offset.y(), offset.y() + viewportHeight);
    const double deviceScale = layout.scale() * devicePixelRatio;
    renders.keepOnlyPagesBetween(first - 1, last + 1);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = first; i <= last; ++i) {
        const QRectF rect = layout.pageRect(i).translated(-offset);
        painter.fillRect(rect.translated(2, 2), QColor(0, 0, 0, 60));
        painter.fillRect(rect, Qt::white);
        const QImage image = renders.image(i, deviceScale);
        if (!image.isNull())
            painter.drawImage(rect, image);
        paintSelection(painter, i, offset);
    }
    // The next page is drawn before it scrolls into view.
    if (last + 1 < layout.count())
        renders.image(last + 1, deviceScale);
}

void PagePainter::paintSelection(QPainter &painter, int pageIndex, QPointF offset) const
{
    if (selection.isEmpty() || !document)
        return;
    QColor highlight = selectionColor;
    highlight.setAlpha(255);
    painter.save();
    // Multiplied over the page, the desktop's selection colour tints the paper and leaves the
    // ink readable.
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    for (const PDFSelection::Piece &piece : selection.pieces()) {
        if (document->indexForPage(*piece.page) != pageIndex)
            continue;
        const TextLayer &layer = piece.page->textLayer();
        for (const TextRange &line : layer.lineRangesWithin(piece.range)) {
            const QRectF bounds = layer.boundsOfRange(line);
            if (!bounds.isEmpty())
                painter.fillRect(layout.contentRect(pageIndex, bounds).translated(-offset), highlight.lighter(150));
        }
    }
    painter.restore();
}

} // namespace narrata
