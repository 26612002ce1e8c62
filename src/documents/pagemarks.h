#pragma once

#include "platform/pdf/pdfannotation.h"

#include <QRectF>

namespace narrata {

class PDFDocument;
class PDFSelection;

// Highlights and underlines on the selected lines. Each line gets its own mark, at its box
// rounded down to whole points; a line counts as marked when a mark of the kind covers its
// rounded box, so marking twice adds nothing and a part of a marked line is marked already.
// Lines are measured and marked on the selection's first page.
namespace PageMarks {

// A line's box on its page, each number rounded down on its own.
QRectF lineRectangle(const QRectF &bounds);
// The line lies wholly inside the mark; an empty line is never covered.
bool covers(const QRectF &mark, const QRectF &line);

// Marks every line of the selection that has no mark of this kind; says whether any was added.
bool addMarks(PDFDocument &document, const PDFSelection &selection, PDFMarkupType type);
// Takes one highlight or underline off every line that has one: the last in the page's order.
bool removeMarks(PDFDocument &document, const PDFSelection &selection);

} // namespace PageMarks

} // namespace narrata
