#include "pageviewaccessibility.h"

#include "custompdfview.h"
#include "platform/pdf/pdfdocument.h"

#include <QAccessibleWidget>

#include <memory>
#include <utility>

namespace narrata {

namespace {

class PageViewAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PageViewAccessible(CustomPDFView *view)
        : QAccessibleWidget(view, QAccessible::Document)
    {
    }

    using QAccessibleWidget::text; // the name and description, beside the text's characters
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.selectableText = true;
        return state;
    }

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override
    {
        const auto [start, end] = selectedRange();
        const bool has = selectionIndex == 0 && end > start;
        *startOffset = has ? start : 0;
        *endOffset = has ? end : 0;
    }
    int selectionCount() const override { return selectedRange().second > selectedRange().first ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { view().setCurrentSelection({}); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        if (const std::shared_ptr<PDFPage> shown = page(); shown && endOffset > startOffset)
            view().setCurrentSelection(shown->selectionForRange(
                {static_cast<quint64>(startOffset), static_cast<quint64>(endOffset - startOffset)}));
    }
    int cursorPosition() const override { return selectedRange().first; }
    void setCursorPosition(int) override { }
    QString text(int startOffset, int endOffset) const override
    {
        const std::shared_ptr<PDFPage> shown = page();
        return shown ? shown->string().mid(startOffset, endOffset - startOffset) : QString();
    }
    int characterCount() const override
    {
        const std::shared_ptr<PDFPage> shown = page();
        return shown ? static_cast<int>(shown->string().size()) : 0;
    }
    QRect characterRect(int offset) const override
    {
        const std::shared_ptr<PDFPage> shown = page();
        if (!shown)
            return {};
        const QRectF box = shown->characterBoundsAtIndex(offset);
        const int index = pageIndex();
        // Page space has y upwards: the box's top is its larger y.
        const QPoint topLeft = view().viewportPointForPagePoint(index, {box.left(), box.bottom()});
        const QPoint bottomRight = view().viewportPointForPagePoint(index, {box.right(), box.top()});
        return QRect(view().viewport()->mapToGlobal(topLeft), view().viewport()->mapToGlobal(bottomRight));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        const auto [index, pagePoint] = view().pagePointForViewportPoint(view().viewport()->mapFromGlobal(point));
        const std::shared_ptr<PDFPage> shown = page();
        return shown && index == pageIndex() ? static_cast<int>(shown->characterIndexAtPoint(pagePoint)) : -1;
    }
    void scrollToSubstring(int startIndex, int) override
    {
        if (const std::shared_ptr<PDFPage> shown = page())
            view().goToPageIndex(pageIndex(), shown->characterBoundsAtIndex(startIndex).topLeft());
    }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    CustomPDFView &view() const { return *static_cast<CustomPDFView *>(widget()); }
    // The page that holds the selection, or the page shown.
    int pageIndex() const
    {
        const PDFSelection selection = view().currentSelection();
        const PDFDocument *document = view().document();
        if (!selection.isEmpty() && document)
            return document->indexForPage(*selection.pages().front());
        const qint64 shown = view().currentPageIndex();
        return shown == kNotFound ? -1 : static_cast<int>(shown);
    }
    std::shared_ptr<PDFPage> page() const
    {
        const PDFDocument *document = view().document();
        const int index = pageIndex();
        return document && index >= 0 ? document->pageAtIndex(index) : nullptr;
    }
    std::pair<int, int> selectedRange() const
    {
        const PDFSelection selection = view().currentSelection();
        if (selection.isEmpty())
            return {0, 0};
        const TextRange range = selection.rangeAtIndex(0, *selection.pages().front());
        return {static_cast<int>(range.location), static_cast<int>(range.location + range.length)};
    }
};

QAccessibleInterface *pageViewFactory(const QString &, QObject *object)
{
    if (auto *view = qobject_cast<CustomPDFView *>(object))
        return new PageViewAccessible(view);
    return nullptr;
}

} // namespace

void installPageViewAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(pageViewFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void announcePageViewSelection(CustomPDFView &view)
{
    if (!QAccessible::isActive())
        return;
    int start = 0;
    int end = 0;
    if (QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(&view)->textInterface())
        text->selection(0, &start, &end);
    QAccessibleTextSelectionEvent selection(&view, start, end);
    selection.setCursorPosition(start);
    QAccessible::updateAccessibility(&selection);
    QAccessibleTextCursorEvent cursor(&view, start);
    QAccessible::updateAccessibility(&cursor);
}

} // namespace narrata
