#pragma once

#include "packentry.h"

#include <QString>
#include <QUrl>

#include <memory>
#include <vector>

namespace narrata {

// The combined document and the PDFs it is made of, in the order in which their pages stand
// in it. Each PDF's first page is at its entry's offset, and the document holds exactly the
// pages of all entries.
class PDFPack {
public:
    // Makes one PDF the whole pack.
    void beginWith(std::unique_ptr<PDFDocument> document, const QString &filename, const QUrl &url = {});
    // Adds copies of the PDF's pages at the end. When they cannot all be added the pack stays
    // as it was and the answer is false.
    bool append(const PDFDocument &document, const QString &filename, const QUrl &url = {});
    void clear();

    PDFDocument *document() const { return m_document.get(); }
    const std::vector<PackEntry> &entries() const { return m_entries; }
    // Counts every change of the combined document, so that work begun on one version can
    // tell whether it still applies.
    quint64 generation() const { return m_generation; }

    // More than one PDF, or one that came without a file: the combined document's own outline
    // is only its first PDF's.
    bool isPack() const { return m_entries.size() > 1 || (m_entries.size() == 1 && m_entries[0].URL.isEmpty()); }
    // An independent copy to write as `fileName`, carrying the pack's table of contents when
    // asked; null when no copy could be made.
    std::unique_ptr<PDFDocument> copyForWriting(const QString &fileName, bool withTableOfContents) const;
    // Gives a copy of the pack about to be written as `fileName` the pack's table of contents.
    void addTableOfContents(PDFDocument &copy, const QString &fileName) const;
    // Takes a document with the same pages in place of the combined one (once it is saved);
    // the generation stays.
    void replaceDocument(std::shared_ptr<PDFDocument> document);

    // A PDF's name in the pack: its file's name without the extension.
    static QString filenameFor(const QUrl &url);

private:
    std::shared_ptr<PDFDocument> m_document;
    std::vector<PackEntry> m_entries;
    quint64 m_generation = 0;
};

} // namespace narrata
