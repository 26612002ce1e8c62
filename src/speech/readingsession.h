#pragma once

#include <QDateTime>

#include <functional>
#include <optional>

namespace narrata {

// The clock of the current listening session and what was heard in it.
struct ReadingSession {
    bool shouldTrackCurrentSession = true;
    std::optional<QDateTime> sessionStartTime;
    std::optional<QDateTime> sessionPauseBeginTime;
    double sessionPauseDurationSeconds = 0;
    quint64 sessionWordCount = 0;

    // Counts a sentence that ran to its end; the clock starts with the first one if no set
    // started it.
    void updateCurrentSessionDidFinishSpeaking(quint64 wordCount, const QDateTime &now);
    // Adds the pause that began at sessionPauseBeginTime and ends now.
    void accountPauseEndingAt(const QDateTime &now);
    // A new session: no words, no clock, no pause.
    void reset();
};

} // namespace narrata
