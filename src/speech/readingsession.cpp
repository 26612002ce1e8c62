#include "readingsession.h"

namespace narrata {

void ReadingSession::updateCurrentSessionDidFinishSpeaking(quint64 wordCount, const QDateTime &now)
{
    if (!shouldTrackCurrentSession)
        return;
    if (!sessionStartTime)
        sessionStartTime = now;
    sessionWordCount += wordCount;
}

void ReadingSession::accountPauseEndingAt(const QDateTime &now)
{
    // A pause toggled before any was begun (a reset in between) adds nothing.
    if (sessionPauseBeginTime)
        sessionPauseDurationSeconds += static_cast<double>(sessionPauseBeginTime->msecsTo(now)) / 1000.0;
}

void ReadingSession::reset()
{
    sessionWordCount = 0;
    sessionStartTime.reset();
    sessionPauseDurationSeconds = 0;
    sessionPauseBeginTime.reset();
}

} // namespace narrata
