#pragma once

#include "attributedstring.h"
#include "textrange.h"

#include <QRectF>

#include <memory>
#include <vector>

namespace narrata {

class PDFPage;

// Characters of one or more pages: a list of (page, range) pieces in order. A value:
// copies are independent, and the pages are kept alive while a selection refers to them.
class PDFSelection {
public:
    struct Piece {
        std::shared_ptr<const PDFPage> page;
        TextRange range;
    };

    PDFSelection() = default;
    PDFSelection(std::shared_ptr<const PDFPage> page, TextRange range);

    bool isEmpty() const { return m_pieces.empty(); }
    const std::vector<Piece> &pieces() const { return m_pieces; }

    // The text of the pieces; pieces on different pages are joined by a line feed.
    QString string() const;
    AttributedString attributedString() const;
    // The distinct pages, in order of first appearance.
    std::vector<std::shared_ptr<const PDFPage>> pages() const;
    // The union of the boxes of the selected characters on a page.
    QRectF boundsForPage(const PDFPage &page) const;
    // The index-th range on a page, or an empty range at kNotFound.
    TextRange rangeAtIndex(int index, const PDFPage &page) const;
    int numberOfTextRangesOnPage(const PDFPage &page) const;
    // One selection per text line, in reading order.
    std::vector<PDFSelection> selectionsByLine() const;
    // The union: ranges on the same page that touch or overlap become one.
    void addSelection(const PDFSelection &other);

private:
    std::vector<Piece> m_pieces;
};

} // namespace narrata
