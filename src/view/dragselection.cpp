#include "dragselection.h"

#include <algorithm>

namespace narrata {

namespace {

// The characters from `from` to `to`, both included.
TextRange rangeBetween(qint64 from, qint64 to)
{
    return {static_cast<quint64>(from), static_cast<quint64>(to - from + 1)};
}

} // namespace

qint64 nearestCharacterIndex(const PDFPage &page, QPointF pointOnPage)
{
    const qint64 hit = page.characterIndexAtPoint(pointOnPage);
    if (hit != kNotFound)
        return hit;
    qint64 best = -1;
    double bestDistance = 0;
    for (const TextLine &line : page.textLayer().lines()) {
        if (line.range.length == 0)
            continue;
        const double dy = pointOnPage.y() < line.bounds.top() ? line.bounds.top() - pointOnPage.y()
            : pointOnPage.y() > line.bounds.bottom()          ? pointOnPage.y() - line.bounds.bottom()
                                                              : 0;
        const double dx = pointOnPage.x() < line.bounds.left() ? line.bounds.left() - pointOnPage.x()
            : pointOnPage.x() > line.bounds.right()            ? pointOnPage.x() - line.bounds.right()
                                                               : 0;
        const double distance = dy * 4 + dx; // being on the line's height matters most
        if (best < 0 || distance < bestDistance) {
            bestDistance = distance;
            const bool before = pointOnPage.x() < line.bounds.center().x();
            best = before ? line.range.location : line.range.location + line.range.length - 1;
            if (dy == 0 && dx == 0)
                break;
        }
    }
    return best;
}

PDFSelection lineSelectionAt(const PDFPage &page, QPointF pointOnPage)
{
    const qint64 hit = page.characterIndexAtPoint(pointOnPage);
    if (hit == kNotFound)
        return {};
    const auto index = static_cast<quint64>(hit);
    for (const TextLine &line : page.textLayer().lines()) {
        if (index >= line.range.location && index < line.range.location + line.range.length)
            return page.selectionForRange(line.range);
    }
    return {};
}

PDFSelection dragSelection(
    const PDFDocument &document, int anchorPageIndex, qint64 anchorIndex, int pageIndex, QPointF pointOnPage)
{
    if (pageIndex == anchorPageIndex) {
        const std::shared_ptr<PDFPage> page = document.pageAtIndex(pageIndex);
        const qint64 index = page ? nearestCharacterIndex(*page, pointOnPage) : -1;
        if (index < 0)
            return {};
        return page->selectionForRange(rangeBetween(std::min(index, anchorIndex), std::max(index, anchorIndex)));
    }
    const int first = std::min(pageIndex, anchorPageIndex);
    const int last = std::max(pageIndex, anchorPageIndex);
    PDFSelection selection;
    for (int i = first; i <= last; ++i) {
        const std::shared_ptr<PDFPage> page = document.pageAtIndex(i);
        if (!page)
            continue;
        const qint64 length = page->string().size();
        qint64 from = 0;
        qint64 to = length - 1;
        if (i == anchorPageIndex)
            (anchorPageIndex == first ? from : to) = anchorIndex;
        if (i == pageIndex) {
            const qint64 index = nearestCharacterIndex(*page, pointOnPage);
            if (index >= 0)
                (pageIndex == first ? from : to) = index;
        }
        if (to >= from && length > 0)
            selection.addSelection(page->selectionForRange(rangeBetween(from, to)));
    }
    return selection;
}

} // namespace narrata
