#pragma once

#include "documents/documentview.h"
#include "pagelayout.h"
#include "pagerendercache.h"
#include "pagesizereader.h"
#include "readingkeys.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>

#include <map>
#include <memory>
#include <optional>

namespace narrata {

class PageContent;
class PageViewDelegate;
class SmoothScroller;

// The page view: the document's pages one under another, scaled to the window's width unless
// zoomed, drawn from renderings made on worker threads. The sentence being read is its
// selection and is kept in view. Double-clicks and single keys become reading commands sent to
// the application (`ad`); every key acts when it is released.
class CustomPDFView final : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT
public:
    explicit CustomPDFView(QWidget *parent = nullptr);
    ~CustomPDFView() override;

    void setAd(PageViewDelegate *ad) override { m_delegate = ad; }
    PageViewDelegate *ad() const { return m_delegate; }
    void setPageContent(PageContent *content) override { m_content = content; }

    // The document.
    void setDocument(std::unique_ptr<PDFDocument> document) override;
    PDFDocument *document() const override { return m_document.get(); }
    void goToPageIndex(int pageIndex, QPointF pointOnPage) override;
    qint64 currentPageIndex() const override;

    // The selection.
    PDFSelection currentSelection() const override { return m_selection; }
    void setCurrentSelection(const PDFSelection &selection) override;
    std::optional<PDFFont> currentSelectionFont() const override;

    // Following the reading.
    void selectSentence(const SentenceRecord &sentence) override;
    // Nothing clears the selection.
    void selectSentence(const std::optional<SentenceRecord> &sentence);
    void selectSentenceAtRange(TextRange range, qint64 pageIndex);

    std::optional<SentenceRecord> currentSelectionSentenceDict() const; // the sentence at the selection

    // Starting to read.
    void handlerOfDoubleClickOnPage(int pageIndex, QPointF pointOnPage);
    void speakFromCurrentSelection() override;
    void selectHeaderFooterRange() override;

    // Marks on the selected lines, saved after every change.
    void addHighlightToCurrentSelection() { changeMarks(PDFMarkupType::Highlight); }
    void addUnderlineToCurrentSelection() { changeMarks(PDFMarkupType::Underline); }
    void removeAnnotationsOnCurrentSelection() { changeMarks(std::nullopt); }

    // Zooms in (steps > 0) or out around the middle; fit-to-width follows the window until then.
    void zoomBy(int steps);
    void setAutoScales(bool autoScales);
    bool autoScales() const { return m_autoScales; }
    double scaleFactor() const { return m_layout.scale(); }
    // Scrolling that glides (off in tests that need to see where it ends at once).
    void setSmoothScrolling(bool smooth) { m_smoothScrolling = smooth; }

    void copy() const; // the selected text to the clipboard

    // The held-button state that keeps the reading from pulling the page away under the mouse.
    bool isMouseDown = false;
    bool didSkipUpdateOfSelection = false;
    TextRange recoverRange{0, 0};
    qint64 recoverPageIndex = 0;

    // Where a point of a page is in the viewport, and back (for tests and hit testing).
    QPoint viewportPointForPagePoint(int pageIndex, QPointF pointOnPage) const;
    // The page under a viewport point (the nearest one) and the point in its space; -1 without pages.
    std::pair<int, QPointF> pagePointForViewportPoint(QPointF viewportPoint) const;
    // Renders are ready for every page in view (for tests).
    void waitForRenderedPages();

signals:
    void pageChanged();
    void selectionChanged();
    // A page's rendering arrived and is being drawn.
    void pageRendered(int pageIndex);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void mouseDown(QMouseEvent *event, int clickCount);
    void baseMouseDown(QMouseEvent *event, int clickCount);
    void baseKeyUp(QKeyEvent *event);
    // Adds marks of a kind to the selected lines, or takes one off each (no kind).
    void changeMarks(std::optional<PDFMarkupType> kind);
    // Hands the sentences a gesture starts from to the application; nothing when there are none.
    void startReading(const std::vector<SentenceRecord> &sentences);
    bool isOnPage(int pageIndex, QPointF pointOnPage) const;
    std::shared_ptr<PDFPage> pageAt(qint64 pageIndex) const;
    void extendDragSelection(QPointF viewportPoint);
    void scrollSelectionToVisible();
    void updateLayout();
    void applyScale(double scale, QPointF anchorInViewport);
    void noteCurrentPage();
    QPointF contentOffset() const;
    // Lays the pages out again at their own sizes, keeping the place at the top.
    void layOutPageSizes(const std::vector<QSizeF> &sizes);

    PageViewDelegate *m_delegate = nullptr;
    PageContent *m_content = nullptr;
    std::unique_ptr<PDFDocument> m_document;
    PageLayout m_layout;
    PageRenderCache m_renders;
    PDFSelection m_selection;
    bool m_autoScales = true;
    bool m_smoothScrolling = true;
    std::unique_ptr<SmoothScroller> m_scroller;
    PageSizeReader m_pageSizes;
    qint64 m_shownPageIndex = -1;

    int m_dragPage = -1; // the drag selection of the base view
    qint64 m_dragAnchor = -1;
    KeyStrokes m_keyStrokes;
    // Clicks after a double-click count on, for the triple-click.
    QElapsedTimer m_lastDoubleClick;
    QPointF m_lastDoubleClickPosition;
};

} // namespace narrata
