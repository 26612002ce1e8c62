#pragma once

#include "platform/pdf/pdfdocument.h"
#include "platform/pdf/pdfselection.h"

#include <QPointF>

namespace narrata {

// What the mouse selects on pages, worked out from their text layers alone.

// The character under a point or, between characters, the closest end of the closest line, so
// that a drag started in a margin or between lines still selects whole lines; -1 without text.
qint64 nearestCharacterIndex(const PDFPage &page, QPointF pointOnPage);
// The line under a point (the third click); empty where there is no character.
PDFSelection lineSelectionAt(const PDFPage &page, QPointF pointOnPage);
// A drag from a character of one page to a point of the same or another page: across pages,
// from the anchor to the end of its page, the pages between whole, and the last page up to the
// point (or the same backwards). Empty when the point's page has no text to reach.
PDFSelection dragSelection(
    const PDFDocument &document, int anchorPageIndex, qint64 anchorIndex, int pageIndex, QPointF pointOnPage);

} // namespace narrata
