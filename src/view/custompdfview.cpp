#include "custompdfview.h"

#include "documents/pageviewdelegate.h"
#include "speech/pagecontent.h"
#include "text/fonts.h"
#include "text/sentencesegmentation.h"

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
constexpr int kScrollAnimationMilliseconds = 180;
constexpr double kZoomStep = 1.25;
constexpr double kMinimumScale = 0.25;
// Pages are drawn whole: beyond this a page's image grows past what memory comfortably holds.
constexpr double kMaximumScale = 4.0;
// Page sizes are read in batches after a document is shown, so a long book opens at once.
constexpr int kPageSizesPerBatch = 32;
// A spoken sentence is brought to this share of the view's height from the top.
constexpr double kReadingLine = 1.0 / 3.0;

// The characters from `from` to `to`, both included.
TextRange rangeBetween(qint64 from, qint64 to)
{
    return {static_cast<quint64>(from), static_cast<quint64>(to - from + 1)};
}

} // namespace

CustomPDFView::CustomPDFView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    m_scrollAnimation.setDuration(kScrollAnimationMilliseconds);
    m_scrollAnimation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scrollAnimation, &QVariantAnimation::valueChanged, this,
        [this](const QVariant &value) { verticalScrollBar()->setValue(value.toInt()); });
    connect(&m_renders, &PageRenderCache::pageRendered, viewport(), qOverload<>(&QWidget::update));
    connect(&m_renders, &PageRenderCache::pageRendered, this, &CustomPDFView::pageRendered);
    // Reading every page's size takes the document's lock page after page: it waits until the
    // first page is drawn, so as not to hold that up.
    m_pageSizeTimer.setInterval(0);
    connect(&m_renders, &PageRenderCache::pageRendered, this, [this] {
        if (!m_pageSizeTimer.isActive() && m_nextPageSize < static_cast<int>(m_pageSizes.size()))
            m_pageSizeTimer.start();
    });
    connect(&m_pageSizeTimer, &QTimer::timeout, this, &CustomPDFView::readPageSizes);
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
    m_scrollAnimation.stop();
    m_renders.setDocument(nullptr);
    m_selection = {};
    m_dragPage = -1;
    m_document = std::move(document);
    m_renders.setDocument(m_document.get());
    m_autoScales = true;
    m_shownPageIndex = -1;

    // Laid out at once as if every page had the first one's size; the real sizes are read once
    // the first page is drawn, which only matters for documents that mix page sizes.
    m_pageSizeTimer.stop();
    const std::shared_ptr<PDFPage> first = m_document ? m_document->pageAtIndex(0) : nullptr;
    const QSizeF firstSize = first ? first->boundsForBox(PDFDisplayBox::CropBox).size() : QSizeF(612, 792);
    m_pageSizes.assign(m_document ? static_cast<std::size_t>(m_document->pageCount()) : 0, firstSize);
    m_nextPageSize = 1;
    m_layout = PageLayout();
    m_layout.setPageSizes(m_pageSizes);
    updateLayout();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    noteCurrentPage();
    emit selectionChanged();
}

void CustomPDFView::readPageSizes()
{
    const int count = static_cast<int>(m_pageSizes.size());
    const int end = std::min(m_nextPageSize + kPageSizesPerBatch, count);
    for (; m_nextPageSize < end; ++m_nextPageSize) {
        if (const std::shared_ptr<PDFPage> page = pageAt(m_nextPageSize))
            m_pageSizes[static_cast<std::size_t>(m_nextPageSize)] = page->boundsForBox(PDFDisplayBox::CropBox).size();
    }
    if (m_nextPageSize < count)
        return;
    m_pageSizeTimer.stop();
    const bool uniform = std::all_of(
        m_pageSizes.begin(), m_pageSizes.end(), [this](const QSizeF &size) { return size == m_pageSizes.front(); });
    if (uniform)
        return;
    // The same place of the same page stays at the top.
    const QPointF offset = contentOffset();
    const int shown = m_layout.pageAt(offset, true);
    const QPointF topOnPage = m_layout.pagePoint(shown, offset);
    m_layout.setPageSizes(m_pageSizes);
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
    m_scrollAnimation.stop();
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

std::optional<SentenceRecord> CustomPDFView::previousSentenceFor(const std::optional<SentenceRecord> &sentence) const
{
    return m_content ? m_content->previousSentenceFor(sentence) : std::nullopt;
}

std::optional<SentenceRecord> CustomPDFView::nextSentenceFor(const std::optional<SentenceRecord> &sentence) const
{
    return m_content ? m_content->nextSentenceFor(sentence) : std::nullopt;
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
    PDFSelection selection = m_selection;
    if (selection.isEmpty()) {
        const std::shared_ptr<PDFPage> page = pageAt(currentPageIndex());
        if (!page || page->string().isEmpty())
            return;
        selection = page->selectionForRect(page->characterBoundsAtIndex(0));
        if (selection.isEmpty())
            selection = page->selectionForRange({0, 1});
    }
    startReading(m_content ? m_content->sentencesFromSelection(selection) : std::vector<SentenceRecord>{});
}

void CustomPDFView::selectHeaderFooterRange()
{
    const qint64 pageIndex = currentPageIndex();
    const std::shared_ptr<PDFPage> page = pageAt(pageIndex);
    const RangeSet ranges = page && m_content ? m_content->headerFooterRanges(pageIndex) : RangeSet{};
    if (ranges.empty())
        return;
    PDFSelection selection = page->selectionForRange(ranges.front());
    for (std::size_t i = 1; i < ranges.size(); ++i)
        selection.addSelection(page->selectionForRange(ranges[i]));
    setCurrentSelection(selection);
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
    event->accept();
}

void CustomPDFView::keyReleaseEvent(QKeyEvent *event)
{
    // Holding a key repeats its press and release; the command belongs to the stroke.
    if (event->isAutoRepeat() || !m_delegate) {
        if (!m_delegate)
            baseKeyUp(event);
        return;
    }
    const QString characters = event->text();
    const int key = event->key();
    const auto is = [&characters](const char *text) { return characters == QLatin1String(text); };
    if (is(" ") || is("p") || key == Qt::Key_Tab) {
        m_delegate->togglePauseSpeech();
    } else if (is("s")) {
        m_delegate->stopSpeaking();
    } else if (is("0")) {
        m_delegate->resetCurrentSession();
    } else if (is("j")) {
        m_delegate->startSentenceWalkJ(currentSelectionSentenceDict());
    } else if (is("k")) {
        m_delegate->startSentenceWalkK(currentSelectionSentenceDict());
    } else if (is("l")) {
        m_delegate->startSentenceWalkL(currentSelectionSentenceDict());
    } else if (is("/")) {
        selectSentence(currentSelectionSentenceDict());
        speakFromCurrentSelection();
    } else if (key == Qt::Key_Up || key == Qt::Key_Down) {
        selectSentence(currentSelectionSentenceDict());
    } else if (is("<") || is(",") || key == Qt::Key_Left) {
        selectSentence(previousSentenceFor(currentSelectionSentenceDict()));
    } else if (is(">") || is(".") || key == Qt::Key_Right) {
        selectSentence(nextSentenceFor(currentSelectionSentenceDict()));
    } else {
        baseKeyUp(event);
    }
}

void CustomPDFView::baseKeyUp(QKeyEvent *event)
{
    // The keys left to the view itself page through the document.
    QScrollBar *bar = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_PageDown:
        scrollTo(bar->value() + bar->pageStep(), m_smoothScrolling);
        break;
    case Qt::Key_PageUp:
        scrollTo(bar->value() - bar->pageStep(), m_smoothScrolling);
        break;
    case Qt::Key_Home:
        scrollTo(bar->minimum(), false);
        break;
    case Qt::Key_End:
        scrollTo(bar->maximum(), false);
        break;
    default:
        event->ignore();
        return;
    }
    event->accept();
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
        const std::shared_ptr<PDFPage> page = pageAt(pageIndex);
        const qint64 index = page->characterIndexAtPoint(point);
        if (index == kNotFound) {
            if (m_delegate)
                m_delegate->stopSpeaking();
        } else if (startLocationOfSentenceAtIndex(page->string(), index) >= 0) {
            handlerOfDoubleClickOnPage(pageIndex, point);
        }
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
        // The third click selects the line under the pointer.
        const qint64 hit = page->characterIndexAtPoint(point);
        if (hit == kNotFound)
            return;
        const auto index = static_cast<quint64>(hit);
        for (const TextLine &line : page->textLayer().lines()) {
            if (index >= line.range.location && index < line.range.location + line.range.length) {
                setCurrentSelection(page->selectionForRange(line.range));
                return;
            }
        }
        return;
    }
    if (!m_selection.isEmpty())
        setCurrentSelection({});
    m_dragPage = page && isOnPage(pageIndex, point) ? pageIndex : -1;
    m_dragAnchor = page ? nearestCharacterIndex(*page, point) : -1;
}

qint64 CustomPDFView::nearestCharacterIndex(const PDFPage &page, QPointF pointOnPage) const
{
    const qint64 hit = page.characterIndexAtPoint(pointOnPage);
    if (hit != kNotFound)
        return hit;
    // Between characters: the closest end of the closest line, so a drag started in a margin
    // or between lines still selects whole lines.
    const TextLayer &layer = page.textLayer();
    qint64 best = -1;
    double bestDistance = 0;
    for (const TextLine &line : layer.lines()) {
        if (line.range.length == 0)
            continue;
        const double dy = pointOnPage.y() < line.bounds.top() ? line.bounds.top() - pointOnPage.y()
            : pointOnPage.y() > line.bounds.bottom()          ? pointOnPage.y() - line.bounds.bottom()
                                                              : 0;
        const double dx = pointOnPage.x() < line.bounds.left() ? line.bounds.left() - pointOnPage.x()
            : pointOnPage.x() > line.bounds.right()            ? pointOnPage.x() - line.bounds.right()
                                                               : 0;
        const double distance = dy * 4 + dx; // being on the line's height matters most
        if (best < 0 || distance < bestDistance) {
            bestDistance = distance;
            const bool before = pointOnPage.x() < line.bounds.center().x();
            best = before ? line.range.location : line.range.location + line.range.length - 1;
            if (dy == 0 && dx == 0)
                break;
        }
    }
    return best;
}

void CustomPDFView::mouseMoveEvent(QMouseEvent *event)
{
    if ((event->buttons() & Qt::LeftButton) && m_dragPage >= 0 && m_dragAnchor >= 0)
        extendDragSelection(event->position());
}

void CustomPDFView::extendDragSelection(QPointF viewportPoint)
{
    const std::shared_ptr<PDFPage> anchorPage = pageAt(m_dragPage);
    const auto [pageIndex, point] = pagePointForViewportPoint(viewportPoint);
    if (!anchorPage || pageIndex < 0)
        return;
    if (pageIndex == m_dragPage) {
        const qint64 index = nearestCharacterIndex(*anchorPage, point);
        if (index < 0)
            return;
        const qint64 from = std::min(index, m_dragAnchor);
        const qint64 to = std::max(index, m_dragAnchor);
        setCurrentSelection(anchorPage->selectionForRange(rangeBetween(from, to)));
        return;
    }
    // Across pages: from the anchor to the end of its page, the pages between whole, and the
    // last page up to the pointer (or the same backwards).
    const int first = std::min(pageIndex, m_dragPage);
    const int last = std::max(pageIndex, m_dragPage);
    PDFSelection selection;
    for (int i = first; i <= last; ++i) {
        const std::shared_ptr<PDFPage> page = pageAt(i);
        if (!page)
            continue;
        const qint64 length = page->string().size();
        qint64 from = 0;
        qint64 to = length - 1;
        if (i == m_dragPage)
            (m_dragPage == first ? from : to) = m_dragAnchor;
        if (i == pageIndex) {
            const qint64 index = nearestCharacterIndex(*page, point);
            if (index >= 0)
                (pageIndex == first ? from : to) = index;
        }
        if (to >= from && length > 0)
            selection.addSelection(page->selectionForRange(rangeBetween(from, to)));
    }
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
        m_scrollAnimation.stop();
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    const int from = m_scrollAnimation.state() == QAbstractAnimation::Running ? m_scrollAnimation.endValue().toInt()
                                                                              : bar->value();
    scrollTo(from - notches * QApplication::wheelScrollLines() * bar->singleStep() / 120, m_smoothScrolling);
    event->accept();
}

// --- Scrolling and zoom ---

QPointF CustomPDFView::contentOffset() const
{
    return {static_cast<double>(horizontalScrollBar()->value()), static_cast<double>(verticalScrollBar()->value())};
}

void CustomPDFView::scrollTo(int value, bool smooth)
{
    QScrollBar *bar = verticalScrollBar();
    value = std::clamp(value, bar->minimum(), bar->maximum());
    m_scrollAnimation.stop();
    if (!smooth || !isVisible()) {
        bar->setValue(value);
        return;
    }
    m_scrollAnimation.setStartValue(bar->value());
    m_scrollAnimation.setEndValue(value);
    m_scrollAnimation.start();
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
        scrollTo(static_cast<int>(target.top() - viewport()->height() * kReadingLine), m_smoothScrolling);
    const double left = offset.x();
    const double right = left + viewport()->width();
    if (target.left() < left || target.right() > right)
        horizontalScrollBar()->setValue(static_cast<int>(target.left() - PageLayout::kGap));
}

void CustomPDFView::zoomIn()
{
    applyScale(m_layout.scale() * kZoomStep, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
}

void CustomPDFView::zoomOut()
{
    applyScale(m_layout.scale() / kZoomStep, QPointF(viewport()->width() / 2.0, viewport()->height() / 2.0));
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
    m_scrollAnimation.stop();
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
    if (m_layout.count() == 0)
        return;
    const QPointF offset = contentOffset();
    const auto [first, last] = m_layout.pagesBetween(offset.y(), offset.y() + viewport()->height());
    const double deviceScale = m_layout.scale() * devicePixelRatioF();
    m_renders.keepOnlyPagesBetween(first - 1, last + 1);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = first; i <= last; ++i) {
        const QRectF rect = m_layout.pageRect(i).translated(-offset);
        painter.fillRect(rect.translated(2, 2), QColor(0, 0, 0, 60));
        painter.fillRect(rect, Qt::white);
        const QImage image = m_renders.image(i, deviceScale);
        if (!image.isNull())
            painter.drawImage(rect, image);
        paintSelection(painter, i);
    }
    // The next page is drawn before it scrolls into view.
    if (last + 1 < m_layout.count())
        m_renders.image(last + 1, deviceScale);
}

void CustomPDFView::paintSelection(QPainter &painter, int pageIndex)
{
    if (m_selection.isEmpty() || !m_document)
        return;
    QColor highlight = palette().color(QPalette::Active, QPalette::Highlight);
    highlight.setAlpha(255);
    painter.save();
    // Multiplied over the page, the desktop's selection colour tints the paper and leaves the
    // ink readable.
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    const QPointF offset = contentOffset();
    for (const PDFSelection::Piece &piece : m_selection.pieces()) {
        if (m_document->indexForPage(*piece.page) != pageIndex)
            continue;
        const TextLayer &layer = piece.page->textLayer();
        for (const TextRange &line : layer.lineRangesWithin(piece.range)) {
            const QRectF bounds = layer.boundsOfRange(line);
            if (!bounds.isEmpty())
                painter.fillRect(m_layout.contentRect(pageIndex, bounds).translated(-offset), highlight.lighter(150));
        }
    }
    painter.restore();
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
