#include "statuslabels.h"

#include "documentview.h"
#include "pageinfolabel.h"
#include "readerwindow.h"

namespace narrata {

StatusLabels::StatusLabels(DocumentView &view, ReaderWindow &window, std::function<bool()> hasDocument)
    : m_view(view)
    , m_window(window)
    , m_hasDocument(std::move(hasDocument))
{
}

void StatusLabels::updateLabelTextPDFInfo()
{
    const PDFDocument *shown = m_view.document();
    if (!m_hasDocument() || !shown) {
        m_window.setLabelTextPDFInfo(pageinfolabel::noDocumentText());
        return;
    }
    m_window.setLabelTextPDFInfo(pageinfolabel::textForPage(m_view.currentPageIndex(), shown->pageCount()));
}

void StatusLabels::updateLabelTextPDFInfoWithSelection()
{
    const PDFDocument *shown = m_view.document();
    const qint64 pageIndex = m_view.currentPageIndex();
    const std::shared_ptr<PDFPage> page
        = m_hasDocument() && shown && pageIndex >= 0 ? shown->pageAtIndex(static_cast<int>(pageIndex)) : nullptr;
    if (!page) {
        updateLabelTextPDFInfo();
        return;
    }
    std::optional<double> centre;
    const QRectF bounds = m_view.currentSelection().boundsForPage(*page);
    if (!bounds.isNull())
        centre = bounds.y() + bounds.height() / 2;
    const QRectF media = page->boundsForBox(PDFDisplayBox::MediaBox);
    m_window.setLabelTextPDFInfo(
        pageinfolabel::textForSelection(pageIndex, shown->pageCount(), centre, media.y() + media.height()));
}

void StatusLabels::pdfViewPageChanged()
{
    if (m_observesPageView)
        updateLabelTextPDFInfo();
}

void StatusLabels::pdfViewSelectionChanged()
{
    if (!m_observesPageView)
        return;
    if (m_view.currentSelection().isEmpty())
        updateLabelTextPDFInfo();
    else
        updateLabelTextPDFInfoWithSelection();
}

} // namespace narrata
