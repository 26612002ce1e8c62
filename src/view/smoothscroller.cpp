#include "smoothscroller.h"

#include <QApplication>
#include <QScrollBar>

#include <algorithm>

namespace narrata {

namespace {

constexpr int kScrollAnimationMilliseconds = 180;

} // namespace

SmoothScroller::SmoothScroller(QScrollBar *bar, const QWidget *scrolled)
    : m_bar(bar)
    , m_scrolled(scrolled)
{
    m_animation.setDuration(kScrollAnimationMilliseconds);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    QObject::connect(&m_animation, &QVariantAnimation::valueChanged, m_bar,
        [this](const QVariant &value) { m_bar->setValue(value.toInt()); });
}

void SmoothScroller::scrollTo(int value, bool smooth)
{
    value = std::clamp(value, m_bar->minimum(), m_bar->maximum());
    m_animation.stop();
    if (!smooth || !m_scrolled->isVisible()) {
        m_bar->setValue(value);
        return;
    }
    m_animation.setStartValue(m_bar->value());
    m_animation.setEndValue(value);
    m_animation.start();
}

void SmoothScroller::scrollByNotches(int angleDelta, bool smooth)
{
    const int from
        = m_animation.state() == QAbstractAnimation::Running ? m_animation.endValue().toInt() : m_bar->value();
    scrollTo(from - angleDelta * QApplication::wheelScrollLines() * m_bar->singleStep() / 120, smooth);
}

bool SmoothScroller::scrollForPagingKey(int key, bool smooth)
{
    switch (key) {
    case Qt::Key_PageDown:
        scrollTo(m_bar->value() + m_bar->pageStep(), smooth);
        return true;
    case Qt::Key_PageUp:
        scrollTo(m_bar->value() - m_bar->pageStep(), smooth);
        return true;
    case Qt::Key_Home:
        scrollTo(m_bar->minimum(), false);
        return true;
    case Qt::Key_End:
        scrollTo(m_bar->maximum(), false);
        return true;
    default:
        return false;
    }
}

} // namespace narrata
