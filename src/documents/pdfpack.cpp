#include "pdfpack.h"

#include "tableofcontents.h"

#include <QFileInfo>

namespace narrata {

QString PDFPack::filenameFor(const QUrl &url)
{
    return QFileInfo(url.toLocalFile()).completeBaseName();
}

void PDFPack::beginWith(std::unique_ptr<PDFDocument> document, const QString &filename, const QUrl &url)
{
    m_entries.clear();
    ++m_generation;
    m_document = std::move(document);
    if (m_document)
        m_entries.push_back({filename, url, 0, m_document->copy()});
}

bool PDFPack::append(const PDFDocument &document, const QString &filename, const QUrl &url)
{
    if (!m_document) {
        beginWith(document.copy(), filename, url);
        return m_document != nullptr;
    }
    const int pageCount = m_document->pageCount();
    std::shared_ptr<const PDFDocument> arrived = document.copy();
    if (!arrived || !m_document->insertPages(document, pageCount))
        return false;
    ++m_generation;
    m_entries.push_back({filename, url, static_cast<quint64>(pageCount), std::move(arrived)});
    return true;
}

void PDFPack::clear()
{
    m_entries.clear();
    m_document.reset();
    ++m_generation;
}

std::unique_ptr<PDFDocument> PDFPack::copyForWriting(const QString &fileName, bool withTableOfContents) const
{
    std::unique_ptr<PDFDocument> copy = m_document ? m_document->copy() : nullptr;
    if (copy && withTableOfContents)
        addTableOfContents(*copy, fileName);
    return copy;
}

void PDFPack::addTableOfContents(PDFDocument &copy, const QString &fileName) const
{
    copy.setOutlineRoot(TableOfContents::packOutline(copy, m_entries, fileName));
}

void PDFPack::replaceDocument(std::shared_ptr<PDFDocument> document)
{
    // The same pages, saved: work begun on the pack before still applies.
    m_document = std::move(document);
}

} // namespace narrata
