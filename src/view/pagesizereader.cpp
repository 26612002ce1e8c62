#include "pagesizereader.h"

#include "platform/pdf/pdfdocument.h"

#include <algorithm>

namespace narrata {

namespace {

constexpr int kPageSizesPerBatch = 32;

QSizeF cropSize(const PDFDocument &document, int pageIndex, QSizeF fallback)
{
    const std::shared_ptr<PDFPage> page = document.pageAtIndex(pageIndex);
    return page ? page->boundsForBox(PDFDisplayBox::CropBox).size() : fallback;
}

} // namespace

PageSizeReader::PageSizeReader()
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &PageSizeReader::readBatch);
}

const std::vector<QSizeF> &PageSizeReader::start(const PDFDocument *document)
{
    m_timer.stop();
    m_document = document;
    const QSizeF first = document ? cropSize(*document, 0, QSizeF(612, 792)) : QSizeF();
    m_sizes.assign(document ? static_cast<std::size_t>(document->pageCount()) : 0, first);
    m_next = 1;
    return m_sizes;
}

void PageSizeReader::readRest()
{
    if (!m_timer.isActive() && m_next < static_cast<int>(m_sizes.size()))
        m_timer.start();
}

void PageSizeReader::readBatch()
{
    const int count = static_cast<int>(m_sizes.size());
    const int end = std::min(m_next + kPageSizesPerBatch, count);
    for (; m_next < end; ++m_next)
        m_sizes[static_cast<std::size_t>(m_next)] = cropSize(*m_document, m_next, m_sizes.front());
    if (m_next < count)
        return;
    m_timer.stop();
    if (!std::all_of(m_sizes.begin(), m_sizes.end(), [this](const QSizeF &size) { return size == m_sizes.front(); }))
        emit mixedSizesRead(m_sizes);
}

} // namespace narrata
