#include "selectioncode.h"

#include "platform/pdf/pdfdocument.h"

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
    // What the page's selection of the range would give, read straight from its text layer.
    const TextLayer &layer = page->textLayer();
    const QRectF bounds = layer.boundsOfRange(range.intersected({0, static_cast<quint64>(layer.string().size())}));
    if (bounds.isNull())
        return code;
    code.originX = bounds.x();
    code.originY = bounds.y();
    code.sizeW = bounds.width();
    code.sizeH = bounds.height();
    code.X = code.originX;
    code.Y = code.originY + code.sizeH;
    code.richText = layer.attributedSubstring(range);
    return code;
}

} // namespace narrata
