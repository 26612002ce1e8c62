#include "tableofcontents.h"

#include "platform/pdf/pdfdocument.h"

#include <algorithm>

namespace narrata::TableOfContents {

namespace {

// Enough buckets for the deepest level and the children one below it, and never fewer than
// five.
size_t bucketCount(const OutlineEntries &list)
{
    quint64 deepest = 0;
    for (const OutlineEntry &entry : list)
        deepest = std::max(deepest, entry.level);
    return static_cast<size_t>(std::max<quint64>(3, deepest) + 2);
}

QString menuTitle(quint64 pageIndex, const QString &text)
{
    return QStringLiteral("\u2022%1\u2022 %2").arg(pageIndex + 1).arg(text);
}

} // namespace

QPointF topCentreOfPage(const PDFDocument &document, int pageIndex)
{
    const std::shared_ptr<PDFPage> page = document.pageAtIndex(pageIndex);
    if (!page)
        return {};
    const QRectF media = page->boundsForBox(PDFDisplayBox::MediaBox);
    return {media.width() / 2, media.y() + media.height()};
}

void addOutlineChildren(const PDFOutline &item, OutlineEntries &list, quint64 level)
{
    // An item that leads nowhere in its PDF (a web link, a broken reference) is sent to the
    // PDF's first page rather than dropped with its children.
    const bool leads = item.destination.isValid();
    list.push_back({level, leads ? static_cast<quint64>(item.destination.pageIndex) : 0,
        leads ? item.destination.point : QPointF(), item.label});
    for (const PDFOutline &child : item.children)
        addOutlineChildren(child, list, level + 1);
}

OutlineEntries arrayFromOutlineWithFalseRoot(const PDFDocument &document, bool falseRoot, const QString &filename)
{
    OutlineEntries list;
    if (falseRoot)
        list.push_back({0, 0, QPointF(), filename});
    if (const std::optional<PDFOutline> root = document.outlineRoot()) {
        for (const PDFOutline &child : root->children)
            addOutlineChildren(child, list, 1);
    }
    return list;
}

LevelBuckets<PDFOutline> pdfOutlineItemsArrayFromAbstractArray(
    const PDFDocument &document, const OutlineEntries &list, quint64 pageOffset)
{
    LevelBuckets<PDFOutline> buckets(bucketCount(list));
    const auto pageCount = static_cast<quint64>(std::max(0, document.pageCount()));
    // Backwards, so that every item finds its children finished in the bucket below, in order.
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry) {
        PDFOutline item;
        item.label = entry->tocText;
        const quint64 index = entry->pageIndex + pageOffset;
        // A place past the end of the pack, or no place at all, is the top of the PDF's first
        // page: the zero point would be its bottom corner.
        if (index < pageCount && !entry->locationOnPage.isNull())
            item.destination = {static_cast<int>(index), entry->locationOnPage};
        else {
            const int page = static_cast<int>(index < pageCount ? index : pageOffset);
            item.destination = {page, topCentreOfPage(document, page)};
        }
        std::vector<PDFOutline> &below = buckets[entry->level + 1];
        item.children = std::move(below);
        below.clear();
        std::vector<PDFOutline> &own = buckets[entry->level];
        own.insert(own.begin(), std::move(item));
    }
    return buckets;
}

PDFOutline pdfOutlineFromArray(
    const PDFDocument &document, const OutlineEntries &list, const QString &name, quint64 pageOffset)
{
    PDFOutline item;
    item.label = name;
    const int first = static_cast<int>(pageOffset);
    item.destination = {first, topCentreOfPage(document, first)};
    item.children = std::move(pdfOutlineItemsArrayFromAbstractArray(document, list, pageOffset)[1]);
    return item;
}

PDFOutline packOutline(const PDFDocument &document, const std::vector<PackEntry> &entries, const QString &fileName)
{
    PDFOutline root;
    root.label = fileName;
    root.destination = {0, topCentreOfPage(document, 0)};
    for (const PackEntry &entry : entries) {
        const OutlineEntries list
            = entry.document ? arrayFromOutlineWithFalseRoot(*entry.document, false, entry.filename) : OutlineEntries();
        root.children.push_back(pdfOutlineFromArray(document, list, entry.filename, entry.pageOffset));
    }
    return root;
}

LevelBuckets<OutlineMenuItem> menuItemsArrayFromOutlineArray(OutlineEntries &list, quint64 pageOffset)
{
    LevelBuckets<OutlineMenuItem> buckets(bucketCount(list));
    for (auto entry = list.rbegin(); entry != list.rend(); ++entry) {
        entry->pageIndex += pageOffset;
        OutlineMenuItem item{menuTitle(entry->pageIndex, entry->tocText), *entry, {}};
        std::vector<OutlineMenuItem> &below = buckets[entry->level + 1];
        if (!below.empty()) {
            // An item with children opens a submenu whose first line is the item itself.
            OutlineMenuItem opener{entry->tocText, std::nullopt, std::move(below)};
            below.clear();
            opener.submenu.insert(opener.submenu.begin(), std::move(item));
            item = std::move(opener);
        }
        std::vector<OutlineMenuItem> &own = buckets[entry->level];
        own.insert(own.begin(), std::move(item));
    }
    return buckets;
}

OutlineMenuItem menuItemForOutlineWithPageOffset(
    const PDFDocument &document, quint64 pageOffset, const QString &filename)
{
    OutlineEntries list = arrayFromOutlineWithFalseRoot(document, true, filename);
    return std::move(menuItemsArrayFromOutlineArray(list, pageOffset)[0].front());
}

std::vector<OutlineMenuItem> outlineMenu(const std::vector<PackEntry> &entries)
{
    std::vector<OutlineMenuItem> menu;
    for (const PackEntry &entry : entries) {
        if (entry.document)
            menu.push_back(menuItemForOutlineWithPageOffset(*entry.document, entry.pageOffset, entry.filename));
    }
    return menu;
}

} // namespace narrata::TableOfContents
