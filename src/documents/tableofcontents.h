#pragma once

#include "packentry.h"
#include "platform/pdf/pdfoutline.h"

#include <QPointF>
#include <QString>

#include <optional>
#include <vector>

namespace narrata {

class PDFDocument;

// One outline item, flattened: its depth (0 only for the item that stands for a whole PDF,
// 1 for the outline's top level), its page and point, and its label.
struct OutlineEntry {
    quint64 level = 0;
    quint64 pageIndex = 0;
    QPointF locationOnPage;
    QString tocText;

    friend bool operator==(const OutlineEntry &, const OutlineEntry &) = default;
};
// Items in pre-order: an item, all its descendants, then its next sibling.
using OutlineEntries = std::vector<OutlineEntry>;

// A line of the outline menu: one that jumps to its entry, or one that opens a submenu.
struct OutlineMenuItem {
    QString title;
    std::optional<OutlineEntry> entry;
    std::vector<OutlineMenuItem> submenu;

    friend bool operator==(const OutlineMenuItem &, const OutlineMenuItem &) = default;
};

template<typename Item> using LevelBuckets = std::vector<std::vector<Item>>;

// Turning outlines into flat lists and building outlines and menus back from them. Each
// works on the document it is given: the one whose outline is read, or in whose pages the
// rebuilt destinations lie.
namespace TableOfContents {

// Appends an item and, below it, its descendants.
void addOutlineChildren(const PDFOutline &item, OutlineEntries &list, quint64 level);
// The whole outline, led by an item for the whole PDF named `filename` when asked.
OutlineEntries arrayFromOutlineWithFalseRoot(const PDFDocument &document, bool falseRoot, const QString &filename);

// Outline items for a list whose pages stand `pageOffset` pages into the document, in
// buckets by level: bucket 1 holds the top-level items with their descendants below them.
LevelBuckets<PDFOutline> pdfOutlineItemsArrayFromAbstractArray(
    const PDFDocument &document, const OutlineEntries &list, quint64 pageOffset);
// One item leading to the top of the PDF's first page, with the PDF's outline below it.
PDFOutline pdfOutlineFromArray(
    const PDFDocument &document, const OutlineEntries &list, const QString &name, quint64 pageOffset);
// The whole outline of a pack about to be written as `fileName`: a root named after the file
// whose children, the top level, are one item per PDF, each holding that PDF's own outline at
// its place in the pack.
PDFOutline packOutline(const PDFDocument &document, const std::vector<PackEntry> &entries, const QString &fileName);

// Menu lines for a list, in buckets by level; the entries' page indexes are shifted by
// `pageOffset` on the way.
LevelBuckets<OutlineMenuItem> menuItemsArrayFromOutlineArray(OutlineEntries &list, quint64 pageOffset);
// The one line that stands for a PDF of the pack in the outline menu.
OutlineMenuItem menuItemForOutlineWithPageOffset(
    const PDFDocument &document, quint64 pageOffset, const QString &filename);
// The menu's lines, one per PDF of the pack.
std::vector<OutlineMenuItem> outlineMenu(const std::vector<PackEntry> &entries);

// The top centre of a page's media box: where a PDF, or an entry without a point, begins.
QPointF topCentreOfPage(const PDFDocument &document, int pageIndex);

} // namespace TableOfContents

} // namespace narrata
