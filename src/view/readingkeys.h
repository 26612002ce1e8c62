#pragma once

#include <QKeyEvent>
#include <QString>
#include <Qt>

#include <map>

namespace narrata {

// The reading commands of single keys.
enum class ReadingKey {
    None, // the base view's: paging keys, upper-case letters, anything with Ctrl, Alt or Meta
    TogglePause,
    Stop,
    ResetSession,
    Highlight,
    Underline,
    RemoveMarks,
    WalkPrevious,
    WalkCurrent,
    WalkNext,
    SpeakFromSentence,
    SelectSentence,
    SelectPrevious,
    SelectNext,
};

// A key as it was pressed: commands act on release, but X11 delivers the release's text without
// Shift applied, so the text and modifiers are the press's.
struct KeyStroke {
    int key = 0;
    QString text; // with Shift applied: "P" and "<" are not "p" and ","
    Qt::KeyboardModifiers modifiers;
};

// The keys held down, so that each release finds the press it ends: matched by the physical
// key, since the release may carry other text than the press.
class KeyStrokes {
public:
    // Remembers a press; an auto-repeat starts nothing new.
    void press(const QKeyEvent &event);
    // The stroke a release ends; an empty one for a key pressed elsewhere. An auto-repeat's
    // release ends no stroke and is not to be passed here.
    KeyStroke release(const QKeyEvent &event);

private:
    std::map<quint32, KeyStroke> m_held;
};

// Which command a stroke gives. A stroke with Ctrl, Alt or Meta is never a reading key (those
// are the menus' shortcuts), and Shift reaches the reading keys only through the text it
// produces, so Shift with Tab or an arrow goes to the base view.
ReadingKey readingKeyFor(const KeyStroke &stroke);

} // namespace narrata
