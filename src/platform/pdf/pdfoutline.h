#pragma once

#include <QPointF>
#include <QString>

#include <algorithm>
#include <vector>

namespace narrata {

// A place in a document: a page and a point on it in page space.
struct PDFDestination {
    int pageIndex = -1;
    QPointF point;

    bool isValid() const { return pageIndex >= 0; }
    friend bool operator==(const PDFDestination &, const PDFDestination &) = default;
};

// A table-of-contents tree. The root carries no label of its own; its children are the
// top-level entries.
struct PDFOutline {
    QString label;
    PDFDestination destination;
    std::vector<PDFOutline> children;

    int numberOfChildren() const { return static_cast<int>(children.size()); }
    const PDFOutline *childAtIndex(int index) const
    {
        return index >= 0 && index < numberOfChildren() ? &children[static_cast<size_t>(index)] : nullptr;
    }
    void insertChild(PDFOutline child, int index)
    {
        index = std::clamp(index, 0, numberOfChildren());
        children.insert(children.begin() + index, std::move(child));
    }

    friend bool operator==(const PDFOutline &, const PDFOutline &) = default;
};

} // namespace narrata
