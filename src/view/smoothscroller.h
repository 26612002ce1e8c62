#pragma once

#include <QVariantAnimation>

class QScrollBar;
class QWidget;

namespace narrata {

// Moves a scroll bar to a value in a short glide, or at once where gliding is off or the
// widget it scrolls is not shown. A glide under way is the starting point of the next one, so wheel notches in
// quick succession add up.
class SmoothScroller final {
public:
    SmoothScroller(QScrollBar *bar, const QWidget *scrolled);

    void scrollTo(int value, bool smooth);
    // A mouse wheel's notches (in eighths of a degree, as the wheel reports them).
    void scrollByNotches(int angleDelta, bool smooth);
    // Page Down, Page Up, Home and End; false for any other key.
    bool scrollForPagingKey(int key, bool smooth);
    void stop() { m_animation.stop(); }

private:
    QScrollBar *m_bar;
    const QWidget *m_scrolled;
    QVariantAnimation m_animation;
};

} // namespace narrata
