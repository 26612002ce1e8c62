#pragma once

#include "platform/pdf/attributedstring.h"

namespace narrata {

class PDFDocument;

// Where a range of a page stands and how it is set: its bounding box in page space (y up, so
// Y is the top edge and originY the bottom one) and its text with fonts.
struct SelectionCode {
    qint64 pageIndex = 0;
    double originX = 0;
    double originY = 0;
    double sizeW = 0;
    double sizeH = 0;
    double X = 0;
    double Y = 0;
    AttributedString richText;

    friend bool operator==(const SelectionCode &, const SelectionCode &) = default;
};

// The code of a range of a page; zero bounds and no text when the range selects nothing.
SelectionCode selectionCodeForRange(const PDFDocument &document, TextRange range, qint64 pageIndex);

} // namespace narrata
