// Reading positions per PDF file name: the page score, the furthest-position rule, and what the
// settings file holds and gives back; and the session statistics line: minutes and words, the
// rate after the first minute, pauses left out, and a reset.
#include "speech/readingprogress.h"
#include "speech/readingsession.h"

#include "platform/settingsstores/memorydefaultsstore.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/registereddefaults.h"

#include "settings/settingstestsupport.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace narrata {
namespace {

const QString kMostRecent(settingskeys::mostRecentSentencesReadByPDF);
const QString kFurthest(settingskeys::furthestSentencesReadByPDF);
constexpr auto kNotFoundLocation = static_cast<quint64>(kNotFound);

SentenceRecord sentence(const QString &text, qint64 page, quint64 location = 0)
{
    return {text, {location, static_cast<quint64>(text.size())}, page};
}

TEST(PageScore, IsThePageIndexPlusTheRangeEndInWholeHundredThousandsAndNeverWraps)
{
    // The end, not the location, counts, truncated; a missing location counts as 0, a missing
    // length leaves the page alone.
    const struct {
        TextRange range;
        qint64 page;
        double score;
    } rows[] = {{{99990, 9}, 7, 7}, {{99999, 0}, 4, 4}, {{99999, 1}, 4, 5}, {{100000, 0}, 4, 5}, {{199999, 0}, 4, 5},
        {{150000, 100000}, 2, 4}, {{kNotFoundLocation, 250000}, 3, 5}, {{300000, kNotFoundLocation}, 3, 3},
        {{kNotFoundLocation, kNotFoundLocation}, 3, 3},
        {{std::numeric_limits<quint64>::max() - 10, 50}, 0, 184467440737095.0}}; // an end beyond 64 bits
    for (const auto &row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.range) + " on page " + std::to_string(row.page));
        EXPECT_DOUBLE_EQ(ReadingProgress::pageScore({"x", row.range, row.page}), row.score);
    }
}

class ReadingProgressTest : public ::testing::Test {
protected:
    MemoryDefaultsStore store;
    ReadingProgress progress{store};
};

TEST_F(ReadingProgressTest, FurthestMovesOnlyToALaterPageAndHoldsItsFirstSentence)
{
    progress.setDocumentFileName(QStringLiteral("book.pdf"));
    const SentenceRecord p3a = sentence("Three a.", 3), p3b = sentence("Three b.", 3, 9);
    const SentenceRecord p5 = sentence("Five.", 5), p5b = sentence("Five b.", 5, 6), p2 = sentence("Two.", 2);

    progress.saveSentencesReadProgress(p3a);
    progress.saveSentencesReadProgress(p3b);
    EXPECT_EQ(progress.furthestSentenceRead("book.pdf"), p3a) << "same page, same score: the first stays";
    EXPECT_EQ(progress.mostRecentSentenceRead("book.pdf"), p3b);

    progress.saveSentencesReadProgress(p5);
    progress.saveSentencesReadProgress(p5b);
    EXPECT_EQ(progress.furthestSentenceRead("book.pdf"), p5);
    EXPECT_EQ(progress.mostRecentSentenceRead("book.pdf"), p5b);

    progress.saveSentencesReadProgress(p2);
    EXPECT_EQ(progress.furthestSentenceRead("book.pdf"), p5) << "going back moves only the most recent";
    EXPECT_EQ(progress.mostRecentSentenceRead("book.pdf"), p2);
    EXPECT_EQ(progress.mostRecentSentence(), p2);
    EXPECT_EQ(progress.furthestSentence(), p5);
    EXPECT_EQ(store.synchronizeCount(), 2 * 5) << "both positions of every completed sentence are written out";
    const QString stored = store.mapForKey(kMostRecent).value(QStringLiteral("book.pdf")).toString();
    EXPECT_EQ(QJsonDocument::fromJson(stored.toUtf8()).object(), p2.toJson()) << "kept as JSON text";
}

TEST_F(ReadingProgressTest, PositionsAreKeptPerFileNameWhateverTheFolderAndNoneWithoutOne)
{
    progress.saveSentencesReadProgress(sentence("Unsaved.", 2));
    EXPECT_TRUE(store.values().isEmpty());
    EXPECT_EQ(store.synchronizeCount(), 0);
    EXPECT_FALSE(progress.hasMostRecentSentenceRead());
    EXPECT_FALSE(progress.hasFurthestSentenceRead());
    EXPECT_FALSE(progress.goToMostRecentSentenceRead().select);
    EXPECT_FALSE(progress.goToMostRecentSentenceRead().beep) << "no document name: no beep either";
    EXPECT_FALSE(progress.goToFurthestSentenceRead().select);
    EXPECT_FALSE(progress.mostRecentSentenceRead(QString()));

    progress.setDocumentFileName(QStringLiteral("a.pdf"));
    progress.saveSentencesReadProgress(sentence("In a.", 4));
    progress.setDocumentFileName(QStringLiteral("b.pdf"));
    EXPECT_FALSE(progress.hasMostRecentSentenceRead());
    EXPECT_FALSE(progress.hasFurthestSentenceRead());
    EXPECT_FALSE(progress.mostRecentSentence()) << "another document starts without this run's positions";
    EXPECT_FALSE(progress.goToMostRecentSentenceRead().select);
    EXPECT_TRUE(progress.goToMostRecentSentenceRead().beep) << "without an entry only the most recent beeps";
    EXPECT_FALSE(progress.goToFurthestSentenceRead().select);
    EXPECT_FALSE(progress.goToFurthestSentenceRead().beep);
    progress.saveSentencesReadProgress(sentence("In b.", 1));

    EXPECT_EQ(progress.furthestSentenceRead("a.pdf"), sentence("In a.", 4)) << "b's page 1 does not touch a";
    EXPECT_EQ(progress.furthestSentenceRead("b.pdf"), sentence("In b.", 1));
    EXPECT_EQ(store.mapForKey(kMostRecent).size(), 2);

    ReadingProgress other(store);
    other.setDocumentFileName(QStringLiteral("a.pdf"));
    EXPECT_TRUE(other.hasMostRecentSentenceRead()) << "a.pdf in another folder shares the positions";
    EXPECT_EQ(other.goToMostRecentSentenceRead().select, sentence("In a.", 4));
    EXPECT_EQ(other.goToFurthestSentenceRead().select, sentence("In a.", 4));
}

TEST_F(ReadingProgressTest, MalformedStoredEntriesAndPagesOutsideTheDocumentAreIgnored)
{
    store.setValue(kMostRecent,
        QVariantMap{
            {"text.pdf", QStringLiteral("not json at all")},
            {"number.pdf", 42},
            {"shape.pdf", QStringLiteral(R"({"sentence": 3, "range": [0], "pageIndex": "x"})")},
            {"array.pdf", QStringLiteral("[1, 2]")},
            {"negative.pdf", QStringLiteral(R"({"sentence": "s", "range": [-1, 2], "pageIndex": 0})")},
        });
    store.setValue(kFurthest, QVariantMap{{"text.pdf", QStringLiteral("{broken")}});

    for (const char *name : {"text.pdf", "number.pdf", "shape.pdf", "array.pdf", "negative.pdf"}) {
        progress.setDocumentFileName(QString::fromLatin1(name));
        EXPECT_FALSE(progress.mostRecentSentenceRead(name)) << name;
        EXPECT_TRUE(progress.hasMostRecentSentenceRead()) << name << ": the menu item stays enabled";
        const ReadingProgress::GoTo goTo = progress.goToMostRecentSentenceRead();
        EXPECT_FALSE(goTo.select) << name;
        EXPECT_TRUE(goTo.beep) << name;
    }

    progress.setDocumentFileName(QStringLiteral("text.pdf"));
    EXPECT_FALSE(progress.goToFurthestSentenceRead().select);
    EXPECT_FALSE(progress.goToFurthestSentenceRead().beep);
    const SentenceRecord first = sentence("First.", 0);
    progress.saveSentencesReadProgress(first);
    EXPECT_EQ(progress.furthestSentenceRead("text.pdf"), first) << "an unreadable furthest entry gives way";
    EXPECT_EQ(progress.mostRecentSentenceRead("text.pdf"), first);
    EXPECT_FALSE(progress.mostRecentSentenceRead("number.pdf")) << "other entries are kept as they were";
    EXPECT_EQ(store.mapForKey(kMostRecent).value("number.pdf"), QVariant(42));

    // Something else where the maps should be is started afresh.
    store.setValue(kMostRecent, QStringLiteral("garbage"));
    store.setValue(kFurthest, 17);
    EXPECT_FALSE(progress.hasMostRecentSentenceRead());
    progress.saveSentencesReadProgress(first);
    EXPECT_EQ(progress.mostRecentSentenceRead("text.pdf"), first);
    EXPECT_EQ(progress.furthestSentenceRead("text.pdf"), first);

    // Records a damaged or hand-edited file may hold, for a document of ten pages.
    progress.setDocumentFileName(QStringLiteral("book.pdf"));
    progress.setDocumentPageCount(10);
    for (const qint64 page : {std::numeric_limits<qint64>::max(), qint64(10), qint64(-1)}) {
        SCOPED_TRACE(page);
        store.setValue(
            kMostRecent, QVariantMap{{QStringLiteral("book.pdf"), ReadingProgress::archived(sentence("X.", page))}});
        store.setValue(kFurthest, store.value(kMostRecent));
        EXPECT_EQ(progress.mostRecentSentenceRead(QStringLiteral("book.pdf")), std::nullopt);
        EXPECT_EQ(progress.goToFurthestSentenceRead().select, std::nullopt);
        // One past the end no longer keeps the furthest position from moving.
        progress.saveSentencesReadProgress(sentence("Two.", 2));
        EXPECT_EQ(progress.furthestSentenceRead(QStringLiteral("book.pdf")), sentence("Two.", 2));
    }
}

TEST(ReadingProgressArchive, RecordsReadBackFromTextOrANestedMapAndTheCounterIsAnInteger)
{
    const SentenceRecord record = sentence("Nested.", 2, 40);
    EXPECT_EQ(ReadingProgress::unarchived(record.toJson().toVariantMap()), record);
    EXPECT_EQ(ReadingProgress::unarchived(ReadingProgress::archived(record)), record);
    EXPECT_FALSE(ReadingProgress::unarchived(QVariant()));
    EXPECT_FALSE(ReadingProgress::unarchived(QVariantList{1, 2}));

    MemoryDefaultsStore memory;
    ReadingProgress(memory).saveNumSentencesCompleted(7);
    EXPECT_EQ(memory.values().value(QString(settingskeys::numSentencesCompleted)).typeId(), QMetaType::LongLong);
    EXPECT_EQ(memory.synchronizeCount(), 1);

    ReadingProgress plain; // without a store: only this run's positions
    plain.setDocumentFileName(QStringLiteral("book.pdf"));
    plain.saveSentencesReadProgress(record);
    EXPECT_EQ(plain.mostRecentSentenceRead("book.pdf"), record);
    EXPECT_EQ(plain.mostRecentSentence(), record);
}

TEST(ReadingProgressFile, RecordsAndTheSentenceCounterReadBackEqualThroughTheSettingsFile)
{
    testing::SettingsFolder folder;
    const SentenceRecord unusual{
        QStringLiteral("Ünïcode “quotes”, a tab\tand\nnewline 🙂."), {kNotFoundLocation, 123456789}, 1234567};
    {
        QSettingsDefaultsStore store(folder.path());
        ReadingProgress progress(store);
        progress.setDocumentFileName(QStringLiteral("odd name [1] = x.pdf"));
        progress.saveSentencesReadProgress(sentence("Just a sentence.", 0, 17));
        progress.saveSentencesReadProgress(unusual);
        progress.saveNumSentencesCompleted(12);
        progress.saveNumSentencesCompleted(3); // a new run counts only itself
    }
    const std::unique_ptr<QSettingsDefaultsStore> reopened = folder.reopenCopy();
    ASSERT_TRUE(reopened->problem().isEmpty()) << reopened->problem().toStdString();
    EXPECT_EQ(reopened->integerForKey(QString(settingskeys::numSentencesCompleted)), 3);
    ReadingProgress progress(*reopened);
    EXPECT_EQ(progress.mostRecentSentenceRead("odd name [1] = x.pdf"), unusual);
    EXPECT_EQ(progress.furthestSentenceRead("odd name [1] = x.pdf"), unusual) << "page 1234567 beats page 0";
}

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
