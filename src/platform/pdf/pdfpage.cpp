#include "pdfpage.h"

#include "pdfselection.h"

namespace narrata {

PDFSelection PDFPage::selectionForRange(TextRange range) const
{
    return PDFSelection(shared_from_this(), range);
}

PDFSelection PDFPage::selectionForRect(const QRectF &rect) const
{
    PDFSelection selection;
    for (const TextRange &range : textLayer().rangesInRect(rect.normalized()))
        selection.addSelection(PDFSelection(shared_from_this(), range));
    return selection;
}

} // namespace narrata
