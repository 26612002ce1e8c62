// The session statistics line: minutes and words, the rate after the first minute, pauses left
// out, and a reset.
#include "speech/readingsession.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace narrata {
namespace {

const QString kStart = QStringLiteral("Double-click a word to start reading.");

class SessionStatisticsTest : public ::testing::Test {
protected:
    SessionStatisticsTest()
    {
        session.clock = [this] { return now; };
        session.labelChanged = [this](const QString &text) { shown << text; };
    }

    void advance(qint64 seconds) { now = now.addSecs(seconds); }
    void pauseFor(qint64 seconds)
    {
        session.sessionPauseBeginTime = now;
        advance(seconds);
        session.accountPauseEndingAt(now);
    }
    QString finish(quint64 words)
    {
        session.updateCurrentSessionDidFinishSpeaking(words);
        return session.labelCurrentSessionStats;
    }

    const QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(20, 0), Qt::UTC);
    QDateTime now = start;
    ReadingSession session;
    QStringList shown;
};

TEST_F(SessionStatisticsTest, FirstMinuteShowsTheShortFormAndTheLineOnlyChangesWhenUpdated)
{
    EXPECT_EQ(finish(5), QStringLiteral("0.000 min for 5 words")) << "no time, no rate";
    EXPECT_EQ(session.sessionStartTime, start) << "the first sentence starts the clock";
    advance(30);
    EXPECT_EQ(finish(7), QStringLiteral("0.500 min for 12 words"));
    advance(30);
    EXPECT_EQ(finish(8), QStringLiteral("1.000 min for 20 words")) << "exactly a minute";
    EXPECT_EQ(shown.size(), 3);

    advance(240);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("1.000 min for 20 words")) << "it does not tick";
    session.updateDisplayOfCurrentSessionStats();
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("5.000 min for 20 words (4 WPM)"));
}

TEST_F(SessionStatisticsTest, AfterAMinuteTheRateIsShownWhenThereAreWords)
{
    session.sessionStartTime = start; // a loaded set started the clock
    advance(90);
    EXPECT_EQ(finish(100), QStringLiteral("1.500 min for 100 words (67 WPM)"));
    EXPECT_EQ(session.sessionStartTime, start) << "a started clock is kept";
    advance(61);
    EXPECT_EQ(finish(0), QStringLiteral("2.517 min for 100 words (40 WPM)"));
    advance(125 * 60 + 30 - 151);
    EXPECT_EQ(finish(19900), QStringLiteral("125.500 min for 20000 words (159 WPM)")) << "all the digits";

    ReadingSession silent;
    silent.sessionStartTime = start;
    silent.updateCurrentSessionDidFinishSpeaking(0, start.addSecs(120));
    EXPECT_EQ(silent.labelCurrentSessionStats, QStringLiteral("2.000 min for 0 words")) << "no words, no rate";
}

TEST_F(SessionStatisticsTest, EndedPausesAreLeftOutButOneStillRunningCounts)
{
    finish(10);
    advance(10);
    pauseFor(600);
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 600);
    advance(30);
    EXPECT_EQ(finish(80), QStringLiteral("0.667 min for 90 words")) << "40 seconds of reading in 640 on the clock";
    pauseFor(60);
    advance(50);
    EXPECT_EQ(finish(0), QStringLiteral("1.500 min for 90 words (60 WPM)"));

    session.sessionPauseBeginTime = now;
    advance(120);
    EXPECT_EQ(finish(30), QStringLiteral("3.500 min for 120 words (34 WPM)")) << "a pause still running counts";
}

TEST_F(SessionStatisticsTest, NothingIsShownBeforeTheFirstSentenceOrForAnUntrackedSession)
{
    session.updateDisplayOfCurrentSessionStats();
    EXPECT_EQ(session.labelCurrentSessionStats, kStart);
    session.shouldTrackCurrentSession = false;
    finish(9);
    EXPECT_FALSE(session.sessionStartTime);
    EXPECT_EQ(session.sessionWordCount, 0u);
    session.sessionStartTime = start;
    advance(100);
    session.updateDisplayOfCurrentSessionStats();
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(SessionStatisticsTest, ResetStartsANewSessionWhoseClockStartsWithTheNextSentenceAndNeverRunsBack)
{
    finish(50);
    advance(30);
    pauseFor(30);

    session.resetCurrentSession();
    EXPECT_EQ(session.sessionWordCount, 0u);
    EXPECT_FALSE(session.sessionStartTime);
    EXPECT_FALSE(session.sessionPauseBeginTime);
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 0);
    EXPECT_EQ(session.labelCurrentSessionStats, kStart);
    EXPECT_EQ(shown.last(), kStart);

    advance(500);
    session.accountPauseEndingAt(now); // resuming a pause the reset forgot adds nothing
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 0);
    EXPECT_EQ(finish(4), QStringLiteral("0.000 min for 4 words"));
    EXPECT_EQ(session.sessionStartTime, now);

    // Reset while reading, a pause toggled on and off, then the first sentence starts the
    // clock: more pause than session shows no time rather than a negative one.
    session.reset();
    pauseFor(120);
    EXPECT_EQ(finish(6), QStringLiteral("0.000 min for 6 words"));
}

TEST(SessionStatisticsText, RoundsTheRateAndKeepsHugeCounts)
{
    EXPECT_EQ(ReadingSession::statsText(0.25, 3, 12), QStringLiteral("0.250 min for 3 words"));
    EXPECT_EQ(ReadingSession::statsText(1.0001, 3, 2.9997), QStringLiteral("1.000 min for 3 words (3 WPM)"));
    EXPECT_EQ(ReadingSession::statsText(12.3456, 18446744073709551615ULL, 1e6),
        QStringLiteral("12.346 min for 18446744073709551615 words (1000000 WPM)"));
}

} // namespace
} // namespace narrata
