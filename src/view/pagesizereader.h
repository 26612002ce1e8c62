#pragma once

#include <QObject>
#include <QSizeF>
#include <QTimer>

#include <vector>

namespace narrata {

class PDFDocument;

// A document's page sizes, read in small batches between events so that a long book opens at
// once: until they are known every page has the first page's size. Reading them takes the
// document's lock page after page, so it starts only when asked to (after the first page is
// drawn) and not before.
class PageSizeReader final : public QObject {
    Q_OBJECT
public:
    PageSizeReader();

    // The sizes as far as known: every page the first one's size for a new document.
    const std::vector<QSizeF> &start(const PDFDocument *document);
    // Reads the rest, unless that is done or under way.
    void readRest();

signals:
    // Every size is known and the pages are not all of one size.
    void mixedSizesRead(const std::vector<QSizeF> &sizes);

private:
    void readBatch();

    const PDFDocument *m_document = nullptr;
    std::vector<QSizeF> m_sizes;
    int m_next = 0;
    QTimer m_timer;
};

} // namespace narrata
