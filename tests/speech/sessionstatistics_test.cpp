// The session statistics line: minutes and words, the rate after the first minute, pauses left
// out, and a reset.
#include "speech/readingsession.h"

#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace narrata {
namespace {

class SessionStatisticsTest : public ::testing::Test {
protected:
    SessionStatisticsTest()
    {
        session.clock = [this] { return now; };
        session.labelChanged = [this](const QString &text) { shown << text; };
    }

    void advance(qint64 seconds) { now = now.addSecs(seconds); }

    const QDateTime start = QDateTime(QDate(2026, 3, 1), QTime(20, 0), Qt::UTC);
    QDateTime now = start;
    ReadingSession session;
    QStringList shown;
};

TEST_F(SessionStatisticsTest, StartsAskingForADoubleClick)
{
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("Double-click a word to start reading."));
    EXPECT_TRUE(session.shouldTrackCurrentSession);
}

TEST_F(SessionStatisticsTest, FirstMinuteShowsTheShortForm)
{
    session.updateCurrentSessionDidFinishSpeaking(5);
    EXPECT_EQ(session.sessionStartTime, start) << "the first sentence starts the clock";
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("0.000 min for 5 words")) << "no time, no rate";

    advance(30);
    session.updateCurrentSessionDidFinishSpeaking(7);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("0.500 min for 12 words"));

    advance(30);
    session.updateCurrentSessionDidFinishSpeaking(8);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("1.000 min for 20 words")) << "exactly a minute";
    EXPECT_EQ(shown.size(), 3);
}

TEST_F(SessionStatisticsTest, AfterAMinuteTheRateIsShown)
{
    session.sessionStartTime = start; // a loaded set started the clock
    advance(90);
    session.updateCurrentSessionDidFinishSpeaking(100);
    EXPECT_EQ(session.sessionStartTime, start) << "a started clock is kept";
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("1.500 min for 100 words (67 WPM)"));

    advance(61);
    session.updateCurrentSessionDidFinishSpeaking(0);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("2.517 min for 100 words (40 WPM)"));
}

TEST_F(SessionStatisticsTest, ALongSessionKeepsAllItsDigits)
{
    session.sessionStartTime = start;
    advance(125 * 60 + 30);
    session.updateCurrentSessionDidFinishSpeaking(20000);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("125.500 min for 20000 words (159 WPM)"));
}

TEST_F(SessionStatisticsTest, OverAMinuteWithoutWordsHasNoRate)
{
    session.sessionStartTime = start;
    advance(120);
    session.updateCurrentSessionDidFinishSpeaking(0);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("2.000 min for 0 words"));
}

TEST_F(SessionStatisticsTest, EndedPausesAreLeftOut)
{
    session.updateCurrentSessionDidFinishSpeaking(10);
    advance(10);
    session.sessionPauseBeginTime = now;
    advance(600);
    session.accountPauseEndingAt(now);
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 600);
    advance(30);
    session.updateCurrentSessionDidFinishSpeaking(80);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("0.667 min for 90 words"))
        << "40 seconds of reading in 640 on the clock";

    session.sessionPauseBeginTime = now;
    advance(60);
    session.accountPauseEndingAt(now);
    advance(50);
    session.updateCurrentSessionDidFinishSpeaking(0);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("1.500 min for 90 words (60 WPM)"));
}

TEST_F(SessionStatisticsTest, APauseStillRunningCounts)
{
    session.updateCurrentSessionDidFinishSpeaking(1);
    advance(20);
    session.sessionPauseBeginTime = now;
    advance(70);
    session.updateCurrentSessionDidFinishSpeaking(89);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("1.500 min for 90 words (60 WPM)"));
}

TEST_F(SessionStatisticsTest, MorePauseThanSessionShowsNoTimeRatherThanANegativeOne)
{
    // Reset while reading, a pause toggled on and off, then the first sentence starts the clock.
    session.reset();
    session.sessionPauseBeginTime = now;
    advance(120);
    session.accountPauseEndingAt(now);
    session.updateCurrentSessionDidFinishSpeaking(6);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("0.000 min for 6 words"));
}

TEST_F(SessionStatisticsTest, NoStartTimeNoDisplay)
{
    session.updateDisplayOfCurrentSessionStats();
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("Double-click a word to start reading."));
}

TEST_F(SessionStatisticsTest, UntrackedSessionsCountNothing)
{
    session.shouldTrackCurrentSession = false;
    session.updateCurrentSessionDidFinishSpeaking(9);
    EXPECT_FALSE(session.sessionStartTime);
    EXPECT_EQ(session.sessionWordCount, 0u);
    session.sessionStartTime = start;
    advance(100);
    session.updateDisplayOfCurrentSessionStats();
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(SessionStatisticsTest, TheLineDoesNotTickOnItsOwn)
{
    session.updateCurrentSessionDidFinishSpeaking(3);
    advance(300);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("0.000 min for 3 words"));
    session.updateDisplayOfCurrentSessionStats();
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("5.000 min for 3 words (1 WPM)"));
}

TEST_F(SessionStatisticsTest, ResetStartsANewSessionWhoseClockStartsWithTheNextSentence)
{
    session.updateCurrentSessionDidFinishSpeaking(50);
    advance(30);
    session.sessionPauseBeginTime = now;
    advance(30);
    session.accountPauseEndingAt(now);

    session.resetCurrentSession();
    EXPECT_EQ(session.sessionWordCount, 0u);
    EXPECT_FALSE(session.sessionStartTime);
    EXPECT_FALSE(session.sessionPauseBeginTime);
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 0);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("Double-click a word to start reading."));
    EXPECT_EQ(shown.last(), QStringLiteral("Double-click a word to start reading."));

    advance(500);
    session.accountPauseEndingAt(now); // resuming a pause the reset forgot adds nothing
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 0);
    session.updateCurrentSessionDidFinishSpeaking(4);
    EXPECT_EQ(session.sessionStartTime, now);
    EXPECT_EQ(session.labelCurrentSessionStats, QStringLiteral("0.000 min for 4 words"));
}

TEST(SessionStatisticsText, Forms)
{
    EXPECT_EQ(ReadingSession::statsText(0.25, 3, 12), QStringLiteral("0.250 min for 3 words"));
    EXPECT_EQ(ReadingSession::statsText(1.0001, 3, 2.9997), QStringLiteral("1.000 min for 3 words (3 WPM)"));
    EXPECT_EQ(ReadingSession::statsText(12.3456, 18446744073709551615ULL, 1e6),
        QStringLiteral("12.346 min for 18446744073709551615 words (1000000 WPM)"));
}

} // namespace
} // namespace narrata
