#include "custompdfview.h"

#include "documents/pagemarks.h"
#include "documents/pageviewdelegate.h"
#include "dragselection.h"
#include "pagepainter.h"
#include "smoothscroller.h"
#include "speech/pagecontent.h"
#include "text/fonts.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace narrata {

namespace {

// The sentence selected while the mouse was held comes back this long after the release.
constexpr int kReselectDelayMilliseconds = 100;
constexpr double kZoomStep = 1.25;
constexpr double kMinimumScale = 0.25;
// Pages are drawn whole: beyond this a page's image grows past what memory comfortably holds.
constexpr double kMaximumScale = 4.0;
// A spoken sentence is brought to this share of the view's height from the top.
constexpr double kReadingLine = 1.0 / 3.0;

} // namespace

CustomPDFView::CustomPDFView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_scroller(std::make_unique<SmoothScroller>(verticalScrollBar(), this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    connect(&m_renders, &PageRenderCache::pageRendered, viewport(), qOverload<>(&QWidget::update));
    connect(&m_renders, &PageRenderCache::pageRendered, this, &CustomPDFView::pageRendered);
    connect(&m_renders, &PageRenderCache::pageRendered, &m_pageSizes, &PageSizeReader::readRest);
    connect(&m_pageSizes, &PageSizeReader::mixedSizesRead, this, &CustomPDFView::layOutPageSizes);
}

CustomPDFView::~CustomPDFView()
{
    // Renders in flight hold their pages; the cache waits for them before the document goes.
    m_renders.setDocument(nullptr);
    m_renders.waitForIdle();
}

// --- The document ---

void CustomPDFView::setDocument(std::unique_ptr<PDFDocument> document)
{
    m_scroller->stop();
    m_renders.setDocument(nullptr);
    m_selection = {};
    m_dragPage = -1;
    m_document = std::move(document);
    m_renders.setDocument(m_document.get());
    m_autoScales = true;
    m_shownPageIndex = -1;

    // Laid out at once as if every page had the first one's size; the real sizes follow once
    // the first page is drawn, which only matters for documents that mix page sizes.
    m_layout = PageLayout();
    m_layout.setPageSizes(m_pageSizes.start(m_document.get()));
    updateLayout();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    noteCurrentPage();
    emit selectionChanged();
}

void CustomPDFView::layOutPageSizes(const std::vector<QSizeF> &sizes)
{
    // The same place of the same page stays at the top.
    const QPointF offset = contentOffset();
    const int shown = m_layout.pageAt(offset, true);
    const QPointF topOnPage = m_layout.pagePoint(shown, offset);
    m_layout.setPageSizes(sizes);
    updateLayout();
    verticalScrollBar()->setValue(static_cast<int>(m_layout.contentPoint(shown, topOnPage).y()));
    viewport()->update();
}

std::shared_ptr<PDFPage> CustomPDFView::pageAt(qint64 pageIndex) const
{
    if (!m_document || pageIndex < 0 || pageIndex > INT_MAX)
        return nullptr;
    return m_document->pageAtIndex(static_cast<int>(pageIndex));
}

void CustomPDFView::goToPageIndex(int pageIndex, QPointF pointOnPage)
{
    if (pageIndex < 0 || pageIndex >= m_layout.count())
        return;
    const QPointF target = m_layout.contentPoint(pageIndex, pointOnPage);
    m_scroller->stop();
    verticalScrollBar()->setValue(static_cast<int>(std::floor(target.y())));
    noteCurrentPage();
}

qint64 CustomPDFView::currentPageIndex() const
{
    if (!m_document || m_layout.count() == 0)
        return kNotFound;
    const QPointF offset = contentOffset();
    const int page = m_layout.pageAt(
        {offset.x() + viewport()->width() / 2.0, offset.y() + viewport()->height() * kReadingLine}, true);
    return page < 0 ? kNotFound : page;
}

void CustomPDFView::noteCurrentPage()
{
    const qint64 page = currentPageIndex();
    if (page == m_shownPageIndex)
        return;
    m_shownPageIndex = page;
    emit pageChanged();
}

// --- The selection ---

void CustomPDFView::setCurrentSelection(const PDFSelection &selection)
{
    m_selection = selection;
    viewport()->update();
    emit selectionChanged();
}

std::optional<PDFFont> CustomPDFView::currentSelectionFont() const
{
    if (m_selection.isEmpty())
        return std::nullopt;
    return mostPopularFont(m_selection.attributedString());
}

void CustomPDFView::selectSentence(const SentenceRecord &sentence)
{
    if (sentence.range.location == kNotFound)
        return;
    selectSentenceAtRange(sentence.range, sentence.pageIndex);
}

void CustomPDFView::selectSentence(const std::optional<SentenceRecord> &sentence)
{
    if (!sentence)
        setCurrentSelection({});
    else
        selectSentence(*sentence);
}

void CustomPDFView::selectSentenceAtRange(TextRange range, qint64 pageIndex)
{
    const std::shared_ptr<PDFPage> page = pageAt(pageIndex);
    setCurrentSelection(page ? page->selectionForRange(range) : PDFSelection());
    if (isMouseDown) {
        // Pulling the page away from under the user's mouse would spoil their click or drag.
        didSkipUpdateOfSelection = true;
        recoverRange = range;
        recoverPageIndex = pageIndex;
    } else {
        scrollSelectionToVisible();
    }
    viewport()->update();
}

std::optional<SentenceRecord> CustomPDFView::currentSelectionSentenceDict() const
{
    return m_content ? m_content->sentenceAtSelection(m_selection) : std::nullopt;
}

// --- Reading ---

bool CustomPDFView::isOnPage(int pageIndex, QPointF pointOnPage) const
{
    const std::shared_ptr<PDFPage> page = pageAt(pageIndex);
    return page && page->boundsForBox(PDFDisplayBox::CropBox).contains(pointOnPage);
}

void CustomPDFView::handlerOfDoubleClickOnPage(int pageIndex, QPointF pointOnPage)
{
    startReading(
        m_content ? m_content->sentencesFromPointOnPage(pageIndex, pointOnPage) : std::vector<SentenceRecord>{});
}

void CustomPDFView::startReading(const std::vector<SentenceRecord> &sentences)
{
    if (m_delegate && !sentences.empty())
        m_delegate->loadSpeechSet(sentences);
}

void CustomPDFView::speakFromCurrentSelection()
{
    if (m_content)
        startReading(
            m_content->sentencesFromSelection(m_content->selectionToSpeakFrom(m_selection, currentPageIndex())));
}

void CustomPDFView::selectHeaderFooterRange()
{
    if (const PDFSelection found = m_content ? m_content->headerFooterSelection(currentPageIndex()) : PDFSelection();
        !found.isEmpty())
        setCurrentSelection(found);
}

// --- Keys ---

bool CustomPDFView::event(QEvent *event)
{
    // Tab is a reading key here, not a move to the next control.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CustomPDFView::keyPressEvent(QKeyEvent *event)
{
    // Every command acts on release, and holding a key must not scroll the page away from the
    // sentence being read.
    m_keyStrokes.press(*event);
    event->accept();
}

void CustomPDFView::keyReleaseEvent(QKeyEvent *event)
{
    // Holding a key repeats its press and release; the command belongs to the stroke.
    if (event->isAutoRepeat())
        return;
    const KeyStroke stroke = m_keyStrokes.release(*event);
    const ReadingKey command = m_delegate && m_content ? readingKeyFor(stroke) : ReadingKey::None;
    switch (command) {
    case ReadingKey::None:
        return baseKeyUp(event);
    case ReadingKey::TogglePause:
        return m_delegate->togglePauseSpeech();
    case ReadingKey::Stop:
        return m_delegate->stopSpeaking();
    case ReadingKey::ResetSession:
        return m_delegate->resetCurrentSession();
    case ReadingKey::Highlight:
        return addHighlightToCurrentSelection();
    case ReadingKey::Underline:
        return addUnderlineToCurrentSelection();
    case ReadingKey::RemoveMarks:
        return removeAnnotationsOnCurrentSelection();
    case ReadingKey::WalkPrevious:
        return m_delegate->startSentenceWalkJ(currentSelectionSentenceDict());
    case ReadingKey::WalkCurrent:
        return m_delegate->startSentenceWalkK(currentSelectionSentenceDict());
    case ReadingKey::WalkNext:
        return m_delegate->startSentenceWalkL(currentSelectionSentenceDict());
    case ReadingKey::SpeakFromSentence:
        selectSentence(currentSelectionSentenceDict());
        return speakFromCurrentSelection();
    case ReadingKey::SelectSentence:
        return selectSentence(currentSelectionSentenceDict());
    case ReadingKey::SelectPrevious:
        return selectSentence(m_content->previousSentenceFor(currentSelectionSentenceDict()));
    case ReadingKey::SelectNext:
        return selectSentence(m_content->nextSentenceFor(currentSelectionSentenceDict()));
    }
}

void CustomPDFView::changeMarks(std::optional<PDFMarkupType> kind)
{
    const auto pages = m_selection.pages();
    if (!m_document || pages.empty())
        return;
    const bool changed = kind ? PageMarks::addMarks(*m_document, m_selection, *kind)
                              : PageMarks::removeMarks(*m_document, m_selection);
    if (!changed)
        return;
    m_renders.pageChanged(m_document->indexForPage(*pages.front()));
    viewport()->update();
    if (m_delegate)
        m_delegate->savePDF();
}

void CustomPDFView::baseKeyUp(QKeyEvent *event)
{
    // The keys left to the view itself page through the document.
    event->setAccepted(m_scroller->scrollForPagingKey(event->key(), m_smoothScrolling));
}

// --- The mouse ---

void CustomPDFView::mousePressEvent(QMouseEvent *event)
{
    // A press soon after a double-click at the same place is the third click.
    const bool third = m_lastDoubleClick.isValid()
        && m_lastDoubleClick.elapsed() <= QApplication::styleHints()->mouseDoubleClickInterval()
        && (event->position() - m_lastDoubleClickPosition).manhattanLength()
            <= QApplication::styleHints()->startDragDistance();
    m_lastDoubleClick.invalidate();
    mouseDown(event, third ? 3 : 1);
}

void CustomPDFView::mouseDoubleClickEvent(QMouseEvent *event)
{
    m_lastDoubleClick.start();
    m_lastDoubleClickPosition = event->position();
    mouseDown(event, 2);
}

void CustomPDFView::mouseDown(QMouseEvent *event, int clickCount)
{
    isMouseDown = true;
    if (const auto [pageIndex, point] = pagePointForViewportPoint(event->position());
        event->modifiers() == (Qt::ControlModifier | Qt::AltModifier) && m_delegate && isOnPage(pageIndex, point)) {
        event->accept();
        return m_delegate->copyOrvikURLforPageIndex(pageIndex, point);
    }
    if (clickCount == 2 && event->button() == Qt::LeftButton) {
        event->accept();
        if (!m_document) {
            if (m_delegate)
                m_delegate->openExistingDocument();
            return;
        }
        const auto [pageIndex, point] = pagePointForViewportPoint(event->position());
        if (pageIndex < 0 || !isOnPage(pageIndex, point))
            return;
        if (pageAt(pageIndex)->characterIndexAtPoint(point) != kNotFound)
            handlerOfDoubleClickOnPage(pageIndex, point);
        else if (m_delegate)
            m_delegate->stopSpeaking();
        return;
    }
    baseMouseDown(event, clickCount);
}

void CustomPDFView::baseMouseDown(QMouseEvent *event, int clickCount)
{
    if (event->button() != Qt::LeftButton)
        return;
    const auto [pageIndex, point] = pagePointForViewportPoint(event->position());
    const std::shared_ptr<PDFPage> page = pageIndex >= 0 ? pageAt(pageIndex) : nullptr;
    if (clickCount == 3 && page) {
        if (const PDFSelection line = lineSelectionAt(*page, point); !line.isEmpty())
            setCurrentSelection(line);
        return;
    }
    if (!m_selection.isEmpty())
        setCurrentSelection({});
    m_dragPage = page && isOnPage(pageIndex, point) ? pageIndex : -1;
    m_dragAnchor = page ? nearestCharacterIndex(*page, point) : -1;
}

void CustomPDFView::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && m_dragPage >= 0 && m_dragAnchor >= 0)
        extendDragSelection(event->position());
}

void CustomPDFView::extendDragSelection(QPointF viewportPoint)
{
    const auto [pageIndex, point] = pagePointForViewportPoint(viewportPoint);
    if (!m_document || !pageAt(m_dragPage) || pageIndex < 0)
        return;
    const PDFSelection selection = dragSelection(*m_document, m_dragPage, m_dragAnchor, pageIndex, point);
    if (!selection.isEmpty() || pageIndex != m_dragPage)
        setCurrentSelection(selection);
}

void CustomPDFView::mouseReleaseEvent(QMouseEvent *event)
{
    isMouseDown = false;
    event->accept();
    if (didSkipUpdateOfSelection) {
        didSkipUpdateOfSelection = false;
        // The values are read when the task runs: the last sentence selected meanwhile wins.
        QTimer::singleShot(
            kReselectDelayMilliseconds, this, [this] { selectSentenceAtRange(recoverRange, recoverPageIndex); });
    }
}

void CustomPDFView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const double steps = event->angleDelta().y() / 120.0;
        if (steps != 0)
            applyScale(m_layout.scale() * std::pow(kZoomStep, steps), event->position());
        event->accept();
        return;
    }
    const int notches = event->angleDelta().y();
    // Touchpads already scroll pixel by pixel; a mouse wheel's notches glide instead of jumping.
    if (!event->pixelDelta().isNull() || notches == 0) {
        m_scroller->stop();
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    m_scroller->scrollByNotches(notches, m_smoothScrolling);
    event->accept();
}

// --- Scrolling and zoom ---

QPointF CustomPDFView::contentOffset() const
{
    return {static_cast<double>(horizontalScrollBar()->value()), static_cast<double>(verticalScrollBar()->value())};
}

void CustomPDFView::scrollSelectionToVisible()
{
    if (m_selection.isEmpty() || !m_document)
        return;
    const PDFSelection::Piece &piece = m_selection.pieces().front();
    const int pageIndex = m_document->indexForPage(*piece.page);
    if (pageIndex < 0)
        return;
    const std::vector<TextRange> lines = piece.page->textLayer().lineRangesWithin(piece.range);
    const QRectF bounds = piece.page->textLayer().boundsOfRange(lines.empty() ? piece.range : lines.front());
    const QRectF target = m_layout.contentRect(pageIndex, bounds);
    const QPointF offset = contentOffset();
    const double top = offset.y();
    const double bottom = top + viewport()->height();
    if (target.top() < top || target.bottom() > bottom)
        m_scroller->scrollTo(static_cast<int>(target.top() - viewport()->height() * kReadingLine), m_smoothScrolling);
    const double left = offset.x();
    const double right = left + viewport()->width();
    if (target.left() < left || target.right() > right)
        horizontalScrollBar()->setValue(static_cast<int>(target.left() - PageLayout::kGap));
}

void CustomPDFView::zoomBy(int steps)
{
    applyScale(m_layout.scale() * std::pow(kZoomStep, steps), QPointF(viewport()->width(), viewport()->height()) / 2);
}

void CustomPDFView::setAutoScales(bool autoScales)
{
    m_autoScales = autoScales;
    if (autoScales)
        applyScale(m_layout.fitWidthScale(viewport()->width()), QPointF(0, 0));
}

void CustomPDFView::applyScale(double scale, QPointF anchorInViewport)
{
    scale = std::clamp(scale, kMinimumScale, kMaximumScale);
    if (m_layout.count() == 0)
        return;
    if (scale != m_layout.fitWidthScale(viewport()->width()))
        m_autoScales = false;
    // The place under the anchor stays under it.
    const QPointF offset = contentOffset();
    const QPointF anchor = offset + anchorInViewport;
    const int page = m_layout.pageAt(anchor, true);
    const QPointF onPage = m_layout.pagePoint(page, anchor);
    m_layout.setScale(scale);
    updateLayout();
    const QPointF moved = m_layout.contentPoint(page, onPage);
    m_scroller->stop();
    horizontalScrollBar()->setValue(static_cast<int>(moved.x() - anchorInViewport.x()));
    verticalScrollBar()->setValue(static_cast<int>(moved.y() - anchorInViewport.y()));
    viewport()->update();
    noteCurrentPage();
}

void CustomPDFView::updateLayout()
{
    m_layout.setViewportWidth(viewport()->width());
    if (m_autoScales)
        m_layout.setScale(m_layout.fitWidthScale(viewport()->width()));
    const QSizeF content = m_layout.contentSize();
    verticalScrollBar()->setRange(0, std::max(0, static_cast<int>(content.height()) - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    horizontalScrollBar()->setRange(0, std::max(0, static_cast<int>(content.width()) - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void CustomPDFView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (m_layout.count() == 0) {
        updateLayout();
        return;
    }
    // Fitting to the new width keeps the same place of the same page at the top.
    const QPointF offset = contentOffset();
    const int page = m_layout.pageAt({offset.x(), offset.y()}, true);
    const QPointF topOnPage = m_layout.pagePoint(page, {m_layout.pageRect(page).left(), offset.y()});
    updateLayout();
    verticalScrollBar()->setValue(static_cast<int>(m_layout.contentPoint(page, topOnPage).y()));
    noteCurrentPage();
}

void CustomPDFView::scrollContentsBy(int, int)
{
    viewport()->update();
    noteCurrentPage();
}

// --- Geometry ---

QPoint CustomPDFView::viewportPointForPagePoint(int pageIndex, QPointF pointOnPage) const
{
    return (m_layout.contentPoint(pageIndex, pointOnPage) - contentOffset()).toPoint();
}

std::pair<int, QPointF> CustomPDFView::pagePointForViewportPoint(QPointF viewportPoint) const
{
    const QPointF content = viewportPoint + contentOffset();
    const int page = m_layout.pageAt(content, true);
    if (page < 0)
        return {-1, {}};
    return {page, m_layout.pagePoint(page, content)};
}

// --- Drawing ---

void CustomPDFView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Mid));
    const PagePainter pages{m_layout, m_renders, m_document.get(), m_selection,
        palette().color(QPalette::Active, QPalette::Highlight), devicePixelRatioF()};
    pages.paint(painter, contentOffset(), viewport()->height());
}

void CustomPDFView::copy() const
{
    if (!m_selection.isEmpty())
        QApplication::clipboard()->setText(m_selection.string());
}

void CustomPDFView::waitForRenderedPages()
{
    viewport()->repaint();
    m_renders.waitForIdle();
    QCoreApplication::processEvents();
    viewport()->repaint();
}

} // namespace narrata
