#pragma once

#include <functional>

namespace narrata {

class DocumentView;
class ReaderWindow;

// The page label under the document: the page shown and the share of the document up to it,
// or up to the middle of the selection, kept up to date as the view moves.
class StatusLabels {
public:
    StatusLabels(DocumentView &view, ReaderWindow &window, std::function<bool()> hasDocument);

    void updateLabelTextPDFInfo();
    void updateLabelTextPDFInfoWithSelection();
    // The view's page or selection changed; heard only once launch has set everything up.
    void pdfViewPageChanged();
    void pdfViewSelectionChanged();
    void setObservesPageView(bool observes) { m_observesPageView = observes; }

private:
    DocumentView &m_view;
    ReaderWindow &m_window;
    std::function<bool()> m_hasDocument;
    bool m_observesPageView = false;
};

} // namespace narrata
