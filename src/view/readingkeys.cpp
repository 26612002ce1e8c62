#include "readingkeys.h"

namespace narrata {

namespace {

quint32 physicalKey(const QKeyEvent &event)
{
    return event.nativeScanCode() ? event.nativeScanCode() : quint32(event.key());
}

} // namespace

void KeyStrokes::press(const QKeyEvent &event)
{
    if (!event.isAutoRepeat())
        m_held[physicalKey(event)] = {event.key(), event.text(), event.modifiers()};
}

KeyStroke KeyStrokes::release(const QKeyEvent &event)
{
    const auto held = m_held.extract(physicalKey(event));
    return held ? held.mapped() : KeyStroke{};
}

ReadingKey readingKeyFor(const KeyStroke &stroke)
{
    if (stroke.modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return ReadingKey::None;
    const bool shifted = stroke.modifiers & Qt::ShiftModifier;
    const auto is = [&stroke](const char *text) { return stroke.text == QLatin1String(text); };
    const auto keyIs = [&stroke, shifted](Qt::Key key) { return !shifted && stroke.key == key; };
    if (is(" ") || is("p") || keyIs(Qt::Key_Tab))
        return ReadingKey::TogglePause;
    if (is("s"))
        return ReadingKey::Stop;
    if (is("0"))
        return ReadingKey::ResetSession;
    if (is("h"))
        return ReadingKey::Highlight;
    if (is("u"))
        return ReadingKey::Underline;
    if (is("x"))
        return ReadingKey::RemoveMarks;
    if (is("j"))
        return ReadingKey::WalkPrevious;
    if (is("k"))
        return ReadingKey::WalkCurrent;
    if (is("l"))
        return ReadingKey::WalkNext;
    if (is("/"))
        return ReadingKey::SpeakFromSentence;
    if (keyIs(Qt::Key_Up) || keyIs(Qt::Key_Down))
        return ReadingKey::SelectSentence;
    if (is("<") || is(",") || keyIs(Qt::Key_Left))
        return ReadingKey::SelectPrevious;
    if (is(">") || is(".") || keyIs(Qt::Key_Right))
        return ReadingKey::SelectNext;
    return ReadingKey::None;
}

} // namespace narrata
