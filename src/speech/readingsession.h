#pragma once

#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

namespace narrata {

// The clock of the current listening session and what was heard in it, with the one-line
// statistics shown for it. The time the user kept reading paused is left out.
struct ReadingSession {
    bool shouldTrackCurrentSession = true;
    std::optional<QDateTime> sessionStartTime;
    std::optional<QDateTime> sessionPauseBeginTime;
    double sessionPauseDurationSeconds = 0;
    quint64 sessionWordCount = 0;

    // The statistics line, and who is told when it changes (the label in the window).
    QString labelCurrentSessionStats = resetLabelText();
    std::function<void(const QString &)> labelChanged;
    // Now, for the calls that are not given it.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTimeUtc(); };

    // Counts a sentence that ran to its end; the clock starts with the first one if no set
    // started it. The line is brought up to date.
    void updateCurrentSessionDidFinishSpeaking(quint64 wordCount, const QDateTime &now);
    void updateCurrentSessionDidFinishSpeaking(quint64 wordCount)
    {
        updateCurrentSessionDidFinishSpeaking(wordCount, clock());
    }
    // Shows minutes and words (and words per minute after the first minute) since the start,
    // once the session has one. Does not tick on its own.
    void updateDisplayOfCurrentSessionStats(const QDateTime &now);
    void updateDisplayOfCurrentSessionStats() { updateDisplayOfCurrentSessionStats(clock()); }
    // Adds the pause that began at sessionPauseBeginTime and ends now.
    void accountPauseEndingAt(const QDateTime &now);
    // A new session: no words, no clock, no pause, and the line asks the user to start.
    void reset();
    void resetCurrentSession() { reset(); }

    // The text of the line for the given minutes, words and rate.
    static QString statsText(double minutes, quint64 words, double wordsPerMinute);
    static QString resetLabelText() { return QStringLiteral("Double-click a word to start reading."); }

private:
    void setLabel(const QString &text);
};

} // namespace narrata
