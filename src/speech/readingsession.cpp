#include "readingsession.h"

#include <array>
#include <cstdio>

namespace narrata {

void ReadingSession::updateCurrentSessionDidFinishSpeaking(quint64 wordCount, const QDateTime &now)
{
    if (!shouldTrackCurrentSession)
        return;
    if (!sessionStartTime)
        sessionStartTime = now;
    sessionWordCount += wordCount;
    updateDisplayOfCurrentSessionStats(now);
}

void ReadingSession::updateDisplayOfCurrentSessionStats(const QDateTime &now)
{
    if (!shouldTrackCurrentSession || !sessionStartTime)
        return;
    double elapsed = static_cast<double>(sessionStartTime->msecsTo(now)) / 1000.0 - sessionPauseDurationSeconds;
    // A pause accounted before the clock started (reset while paused, clock started by the
    // next sentence) can leave more pause than session; such a session has lasted no time.
    if (elapsed < 0)
        elapsed = 0;
    const double minutes = elapsed / 60.0;
    const double wordsPerMinute = elapsed > 0 ? static_cast<double>(sessionWordCount) / minutes : 0;
    setLabel(statsText(minutes, sessionWordCount, wordsPerMinute));
}

QString ReadingSession::statsText(double minutes, quint64 words, double wordsPerMinute)
{
    // C formatting, so that rounding is the C library's and not the locale's.
    std::array<char, 128> buffer{};
    const auto count = static_cast<unsigned long long>(words);
    if (minutes > 1.0 && wordsPerMinute > 0)
        std::snprintf(
            buffer.data(), buffer.size(), "%3.3f min for %llu words (%0.0f WPM)", minutes, count, wordsPerMinute);
    else
        std::snprintf(buffer.data(), buffer.size(), "%3.3f min for %llu words", minutes, count);
    return QString::fromLatin1(buffer.data());
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
    setLabel(resetLabelText());
    sessionPauseDurationSeconds = 0;
    sessionPauseBeginTime.reset();
}

void ReadingSession::setLabel(const QString &text)
{
    labelCurrentSessionStats = text;
    if (labelChanged)
        labelChanged(labelCurrentSessionStats);
}

} // namespace narrata
