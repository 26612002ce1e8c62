// Reading positions per PDF file name: the page score, the furthest-position rule, and what the
// settings file holds and gives back.
#include "speech/readingprogress.h"

#include "platform/settingsstores/memorydefaultsstore.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/registereddefaults.h"

#include "settings/settingstestsupport.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

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

TEST_F(ReadingProgressTest, StoredPagesOutsideTheDocumentAreNotReadBack)
{
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

TEST_F(ReadingProgressTest, PositionsAreKeptPerFileNameWhateverTheFolder)
{
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

TEST_F(ReadingProgressTest, WithoutAFileNameNothingIsStoredOrOffered)
{
    progress.saveSentencesReadProgress(sentence("Unsaved.", 2));
    EXPECT_TRUE(store.values().isEmpty());
    EXPECT_EQ(store.synchronizeCount(), 0);
    EXPECT_FALSE(progress.hasMostRecentSentenceRead());
    EXPECT_FALSE(progress.hasFurthestSentenceRead());

    const ReadingProgress::GoTo mostRecent = progress.goToMostRecentSentenceRead();
    EXPECT_FALSE(mostRecent.select);
    EXPECT_FALSE(mostRecent.beep) << "no document name: no beep either";
    EXPECT_FALSE(progress.goToFurthestSentenceRead().select);
    EXPECT_FALSE(progress.mostRecentSentenceRead(QString()));
}

TEST_F(ReadingProgressTest, MalformedStoredEntriesAreIgnored)
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

} // namespace
} // namespace narrata
