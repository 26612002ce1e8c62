#include "selectioncode.h"

#include "platform/pdf/pdfdocument.h"
#include "platform/pdf/pdfselection.h"

namespace narrata {

SelectionCode selectionCodeForRange(const PDFDocument &document, TextRange range, qint64 pageIndex)
{
    SelectionCode code;
    code.pageIndex = pageIndex;
    const auto page = pageIndex >= 0 && pageIndex < document.pageCount()
        ? document.pageAtIndex(static_cast<int>(pageIndex))
        : nullptr;
    if (!page)
        return code;
    const PDFSelection selection = page->selectionForRange(range);
    if (selection.isEmpty())
        return code;
    const QRectF bounds = selection.boundsForPage(*page);
    code.originX = bounds.x();
    code.originY = bounds.y();
    code.sizeW = bounds.width();
    code.sizeH = bounds.height();
    code.X = code.originX;
    code.Y = code.originY + code.sizeH;
    code.richText = selection.attributedString();
    return code;
}

} // namespace narrata
