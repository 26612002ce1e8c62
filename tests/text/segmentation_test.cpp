// Sentences, paragraphs and words as ICU finds them in awkward texts; the sentences of a page and
// where they start, from its text or from the document; sentence and paragraph records and their
// JSON; the paragraph lists of a page, edge sentences for fast skipping, and the numeral-free form
// of a head.
#include "text/documentsentences.h"
#include "text/paragraphrecord.h"
#include "text/paragraphsets.h"
#include "text/sentencerecord.h"
#include "text/sentencesegmentation.h"
#include "text/textsegmenter.h"

#include "printers.h"
#include "support/fakedocument.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include <vector>

namespace narrata {
namespace {

using Enumerator = void (*)(const QString &, const SegmentVisitor &);

std::vector<Segment> segmentsOf(Enumerator enumerate, const QString &text)
{
    std::vector<Segment> segments;
    enumerate(text, [&](const Segment &segment) {
        segments.push_back(segment);
        return true;
    });
    return segments;
}

std::vector<QString> substringsOf(Enumerator enumerate, const QString &text)
{
    std::vector<QString> result;
    for (const Segment &segment : segmentsOf(enumerate, text))
        result.push_back(textIn(text, segment.substringRange));
    return result;
}

// The enclosing ranges tile the whole text in order, and each substring sits in its own.
::testing::AssertionResult coversText(const QString &text, const std::vector<Segment> &segments)
{
    quint64 next = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        const TextRange enclosing = segments[i].enclosingRange, substring = segments[i].substringRange;
        if (enclosing.location != next || enclosing.isEmpty() || substring.location < enclosing.location
            || substring.end() > enclosing.end())
            return ::testing::AssertionFailure() << "segment " << i << " does not follow on from " << next;
        next = enclosing.end();
    }
    if (!segments.empty() && next != static_cast<quint64>(text.size()))
        return ::testing::AssertionFailure() << "covered " << next << " of " << text.size();
    return ::testing::AssertionSuccess();
}

// Texts that have tripped up segmentation: odd spacing, line ends of every kind, no final
// punctuation, abbreviations, characters outside the BMP.
const QString kAwkwardTexts[] = {
    QString(),
    QStringLiteral("   \n \t  "),
    QStringLiteral("A"),
    QStringLiteral("  Leading spaces. Then more."),
    QStringLiteral("No final punctuation"),
    QStringLiteral("Trailing spaces.    "),
    QStringLiteral("See e.g. the cat. Dr. Smith came home."),
    QStringLiteral("Two.   Spaces  inside.  Done"),
    QStringLiteral("First paragraph.\n\nSecond after a blank line."),
    QStringLiteral("\n\nLeading blank lines. More"),
    QStringLiteral("Windows line.\r\nNext line.\r\n"),
    QStringLiteral("Lone CR\rthen text"),
    QStringLiteral("Para one\u2029Para two\u2029\u2029"),
    QStringLiteral("Next line\u0085char. Line\u2028separator."),
    QStringLiteral("Bold \U0001D400 letter. Emoji \U0001F600 too! \U0001F44D\U0001F3FD End"),
    QStringLiteral("\U0001F600"),
    QStringLiteral("An exam- ple joined across lines. Next."),
    QStringLiteral("Hello.\n World"),
    QStringLiteral("(Quoted.) \"Yes,\" she said... 3.14 is pi!"),
    QStringLiteral("日本語の文。次の文。"),
};

TEST(SegmenterContract, SentencesParagraphsAndWordsCoverAwkwardTexts)
{
    for (const QString &text : kAwkwardTexts) {
        SCOPED_TRACE(text.toStdString());
        const std::vector<Segment> sentences = segmentsOf(enumerateSentences, text);
        EXPECT_TRUE(coversText(text, sentences));
        EXPECT_EQ(sentences.empty(), text.trimmed().isEmpty());
        // Only white space is left out of the sentences, and none is kept at their edges.
        quint64 previousEnd = 0;
        for (const Segment &segment : sentences) {
            const QString sentence = textIn(text, segment.substringRange);
            EXPECT_FALSE(sentence.isEmpty());
            EXPECT_EQ(sentence, sentence.trimmed());
            const TextRange gap{previousEnd, segment.substringRange.location - previousEnd};
            EXPECT_TRUE(textIn(text, gap).trimmed().isEmpty()) << "dropped: " << qPrintable(textIn(text, gap));
            previousEnd = segment.substringRange.end();
        }
        EXPECT_TRUE(text.mid(static_cast<qsizetype>(previousEnd)).trimmed().isEmpty());

        const std::vector<Segment> paragraphs = segmentsOf(enumerateParagraphs, text);
        EXPECT_TRUE(coversText(text, paragraphs));
        EXPECT_EQ(paragraphs.empty(), text.isEmpty());
        for (const Segment &segment : paragraphs) {
            EXPECT_EQ(segment.substringRange.location, segment.enclosingRange.location);
            const QString paragraph = textIn(text, segment.substringRange);
            EXPECT_FALSE(paragraph.contains(u'\n') || paragraph.contains(u'\r')
                || paragraph.contains(QChar::ParagraphSeparator));
        }

        const std::vector<Segment> words = segmentsOf(enumerateWords, text);
        EXPECT_TRUE(coversText(text, words));
        for (const Segment &segment : words) {
            const QString word = textIn(text, segment.substringRange);
            EXPECT_FALSE(word.isEmpty());
            EXPECT_FALSE(word.contains(u' '));
        }
    }
}

using Segments = std::vector<Segment>;

TEST(SentenceSegmenterTest, SentencesEndAtFullStopsAndLineEndsAndTakeTheWhiteSpaceAfterThem)
{
    const std::pair<QString, Segments> rows[] = {
        {"Hi there. Bye now.", {{{0, 9}, {0, 10}}, {{10, 8}, {10, 8}}}},
        // Leading white space goes to the first sentence. ICU starts a segment right after a
        // line feed, so spaces after one open the next segment, yet they follow this sentence.
        {" \n Hello.\n  World", {{{3, 6}, {0, 12}}, {{12, 5}, {12, 5}}}},
        {"One.\r\nTwo.", {{{0, 4}, {0, 6}}, {{6, 4}, {6, 4}}}}, // CR LF stays in one sentence
        // Indices count UTF-16 units: the bold A and the emoji take two each.
        {"\U0001D400 is bold. \U0001F600 Smile.", {{{0, 11}, {0, 12}}, {{12, 9}, {12, 9}}}},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(segmentsOf(enumerateSentences, text), expected) << "for " << qPrintable(text);
}

TEST(SentenceSegmenterTest, WhereSentencesSplit)
{
    const std::pair<QString, std::vector<QString>> rows[] = {
        // Blocks of a page are joined by a line feed, and no sentence may run across one, even
        // without a full stop before it.
        {"Hello.\nWorld", {"Hello.", "World"}},
        {"A heading\nthe body goes on.", {"A heading", "the body goes on."}},
        {"Para\u2029next\u0085last", {"Para", "next", "last"}},
        // The root rules know no abbreviations: a full stop, a space and a capital end a
        // sentence, a lower-case word after it does not.
        {"See e.g. the cat. Dr. Smith came.", {"See e.g. the cat.", "Dr.", "Smith came."}},
        {"It is 3.14 or so. Yes", {"It is 3.14 or so.", "Yes"}},
        {"An exam- ple joined. Next.", {"An exam- ple joined.", "Next."}},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(substringsOf(enumerateSentences, text), expected) << "for " << qPrintable(text);
}

TEST(ParagraphSegmenterTest, EachLineEndSplitsAndTwoInARowMakeAnEmptyParagraph)
{
    const std::pair<QString, Segments> rows[] = {
        {"One\nTwo", {{{0, 3}, {0, 4}}, {{4, 3}, {4, 3}}}}, {"One\rTwo", {{{0, 3}, {0, 4}}, {{4, 3}, {4, 3}}}},
        {"One\r\nTwo", {{{0, 3}, {0, 5}}, {{5, 3}, {5, 3}}}}, {"One\u2029Two", {{{0, 3}, {0, 4}}, {{4, 3}, {4, 3}}}},
        {"One\u0085Two", {{{0, 3}, {0, 4}}, {{4, 3}, {4, 3}}}},
        {"A\n\nB", {{{0, 1}, {0, 2}}, {{2, 0}, {2, 1}}, {{3, 1}, {3, 1}}}},
        {"A\n\rB", {{{0, 1}, {0, 2}}, {{2, 0}, {2, 1}}, {{3, 1}, {3, 1}}}}, // LF CR is two, unlike CR LF
        {"\nA\n", {{{0, 0}, {0, 1}}, {{1, 1}, {1, 2}}}}, {"\r\n", {{{0, 0}, {0, 2}}}}, {"", {}},
        {"Line\u2028same  paragraph \t", {{{0, 22}, {0, 22}}}}, // nor a line separator nor spaces
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(segmentsOf(enumerateParagraphs, text), expected) << "for " << qPrintable(text);
}

TEST(WordSegmenterTest, WordsLeaveOutPunctuationAndSpaces)
{
    const std::pair<QString, std::vector<QString>> rows[] = {
        {"Hello, world! Don't  stop -- 3.14.", {"Hello", "world", "Don't", "stop", "3.14"}},
        {"An exam- ple", {"An", "exam", "ple"}},
        {"  It's 4 o'clock, \U0001D400lice!\nGo.", {"It's", "4", "o'clock", QStringLiteral("\U0001D400lice"), "Go"}},
        {" ... !? \U0001F600 - , ", {}},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(wordsOf(text), expected) << "for " << qPrintable(text);
}

TEST(WordSegmenterTest, EnclosingRangeTakesTheFollowingNonWordsAndAVisitorCanStopAnySegmenter)
{
    const std::vector<Segment> expected{
        {{1, 2}, {0, 6}}, // "(Hi), " with the opening parenthesis before it
        {{6, 5}, {6, 7}}, // "there! "
        {{13, 4}, {13, 4}}, // the bold A takes two units
    };
    EXPECT_EQ(segmentsOf(enumerateWords, QStringLiteral("(Hi), there! \U0001D400bc")), expected);

    for (Enumerator enumerate : {enumerateSentences, enumerateParagraphs, enumerateWords}) {
        int calls = 0;
        enumerate(QStringLiteral("One.\nTwo.\nThree."), [&](const Segment &) { return ++calls < 2; });
        EXPECT_EQ(calls, 2) << "false from the visitor stops";
    }
}

const QString kTwoShort = QStringLiteral("Hi there. Bye now.");

TEST(SentencesOnPageTest, RecordsCarryTextUtf16RangeAndPageTrimmedOfWhiteSpace)
{
    EXPECT_EQ(sentencesOnPageIndex(kTwoShort, 4),
        (std::vector<SentenceRecord>{
            {QStringLiteral("Hi there."), {0, 9}, 4}, {QStringLiteral("Bye now."), {10, 8}, 4}}));
    EXPECT_EQ(sentencesOnPageIndex(QStringLiteral("  \U0001F600 Hi.\n\U0001D400 next "), 0),
        (std::vector<SentenceRecord>{
            {QStringLiteral("\U0001F600 Hi."), {2, 6}, 0}, {QStringLiteral("\U0001D400 next"), {9, 7}, 0}}));
}

TEST(StartLocationTest, TheSentenceHoldingAnIndexStartsAfterTheWhiteSpaceBeforeIt)
{
    const struct {
        QString text;
        qint64 index;
        qint64 start;
    } rows[] = {
        {kTwoShort, 0, 0},
        {kTwoShort, 8, 0},
        {kTwoShort, 9, 0}, // the space after a sentence belongs to it
        {kTwoShort, 10, 10},
        {kTwoShort, 17, 10},
        {"\n  First. Second", 0, 3}, // leading white space belongs to the first sentence
        {kTwoShort, kTwoShort.size(), -1},
        {kTwoShort, kTwoShort.size() + 5, -1},
        {kTwoShort, -1, -1},
        {kTwoShort, kNotFound, -1},
        {"   ", 1, -1},
        {"", 0, -1},
    };
    for (const auto &[text, index, start] : rows)
        EXPECT_EQ(startLocationOfSentenceAtIndex(text, index), start) << qPrintable(text) << " at " << index;
}

TEST(SentencesFromIndexTest, StartsAtTheSentenceHoldingTheIndexAndOutsideTheTextGivesNothing)
{
    for (const QString &text : {kTwoShort, QStringLiteral("  One. Two.\nThree"), QStringLiteral("Single")})
        EXPECT_EQ(setOfSentencesFromIndex(text, 0, 2), sentencesOnPageIndex(text, 2)) << qPrintable(text);
    const QString text = QStringLiteral("One. Two. Three.   ");
    const std::vector<SentenceRecord> all = sentencesOnPageIndex(text, 1);
    ASSERT_EQ(all.size(), 3u);
    const auto from
        = [&all](std::ptrdiff_t first) { return std::vector<SentenceRecord>(all.begin() + first, all.end()); };
    EXPECT_EQ(setOfSentencesFromIndex(text, 4, 1), all) << "the space after a sentence belongs to it";
    EXPECT_EQ(setOfSentencesFromIndex(text, 5, 1), from(1));
    EXPECT_EQ(setOfSentencesFromIndex(text, 12, 1), from(2));
    EXPECT_EQ(setOfSentencesFromIndex(text, text.size() - 1, 1), from(2)) << "and trailing space to the last";
    for (const qint64 outside : {text.size(), qint64(-1), kNotFound})
        EXPECT_TRUE(setOfSentencesFromIndex(text, outside, 0).empty()) << outside;
    EXPECT_TRUE(setOfSentencesFromIndex(QStringLiteral("  \n "), 1, 0).empty());
}

TEST(DocumentSentences, ArePageSentencesOfTheSelectedPageAndNothingWithoutAPageOrText)
{
    const QString text = QStringLiteral("A heading\nFirst sentence. Second one.");
    const testing::FakeDocument document{{std::make_shared<testing::FakePage>(QStringLiteral("Cover page")),
        std::make_shared<testing::FakePage>(text), std::make_shared<testing::FakePage>(QString()), nullptr}};
    EXPECT_EQ(sentencesOnPageIndex(document, 1), sentencesOnPageIndex(text, 1));
    for (int page : {-1, 2, 3, 4})
        EXPECT_TRUE(sentencesOnPageIndex(document, page).empty()) << page;
    EXPECT_TRUE(sentencesOnPageIndex(testing::FakeDocument({}), 0).empty());

    // Only the page index of the selection matters, not its text or range.
    const SentenceRecord selection{QStringLiteral("unrelated"), {500, 3}, 1};
    EXPECT_EQ(sentencesOnPageWithSelection(document, selection), sentencesOnPageIndex(text, 1));
    for (qint64 page : {qint64(-1), qint64(4), qint64(1) << 32 | 1, kNotFound})
        EXPECT_TRUE(sentencesOnPageWithSelection(document, {QString(), {}, page}).empty()) << page;
}

// Both record types share one JSON shape; only the key of their text differs.
template<typename Record> QString textKey();
template<> QString textKey<SentenceRecord>()
{
    return QStringLiteral("sentence");
}
template<> QString textKey<ParagraphRecord>()
{
    return QStringLiteral("paragraph");
}

template<typename Record> class RecordTest : public ::testing::Test {
};

using RecordTypes = ::testing::Types<SentenceRecord, ParagraphRecord>;
TYPED_TEST_SUITE(RecordTest, RecordTypes);

TYPED_TEST(RecordTest, JsonHoldsExactlyTheThreeKeysAndRoundTripsThroughText)
{
    const TypeParam record{QStringLiteral("Caf\u00e9 \U0001F600."), {12, 8}, 3};
    const QJsonObject expected{{textKey<TypeParam>(), QStringLiteral("Caf\u00e9 \U0001F600.")},
        {QStringLiteral("range"), QJsonArray{12, 8}}, {QStringLiteral("pageIndex"), 3}};
    EXPECT_EQ(record.toJson(), expected);
    const QByteArray bytes = QJsonDocument(record.toJson()).toJson();
    EXPECT_EQ(TypeParam::fromJson(QJsonDocument::fromJson(bytes).object()), record);
    const TypeParam large{QString(), {4'000'000'000ull, 0}, 0};
    EXPECT_EQ(TypeParam::fromJson(large.toJson()), large);
}

TYPED_TEST(RecordTest, RejectsAMissingKeyOrAWrongType)
{
    const QString text = textKey<TypeParam>(), range = QStringLiteral("range"), page = QStringLiteral("pageIndex");
    const QJsonObject valid{{text, QStringLiteral("Text")}, {range, QJsonArray{1, 4}}, {page, 2}};
    EXPECT_EQ(TypeParam::fromJson(valid), (TypeParam{QStringLiteral("Text"), {1, 4}, 2}));
    for (const QString &key : {text, range, page}) {
        QJsonObject object = valid;
        object.remove(key); // the other record kind lacks the text key this way
        EXPECT_FALSE(TypeParam::fromJson(object).has_value()) << qPrintable(key);
    }
    const std::pair<QString, QJsonValue> faults[] = {
        {text, 7},
        {text, QJsonValue::Null},
        {range, QStringLiteral("[1, 4]")},
        {range, QJsonArray{1}},
        {range, QJsonArray{1, 4, 5}},
        {range, QJsonArray{1, QStringLiteral("4")}},
        {range, QJsonArray{-1, 4}},
        {range, QJsonArray{1, 4.5}},
        {range, QJsonObject{{QStringLiteral("location"), 1}, {QStringLiteral("length"), 4}}},
        {page, QStringLiteral("2")},
        {page, 2.5},
        {page, true},
        {page, QJsonArray{2}},
    };
    for (const auto &[key, value] : faults) {
        QJsonObject object = valid;
        object.insert(key, value);
        EXPECT_FALSE(TypeParam::fromJson(object).has_value())
            << qPrintable(key) << " = " << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).data();
    }
}

template<typename Record> QStringList texts(const std::vector<Record> &records)
{
    QStringList result;
    for (const Record &record : records)
        result << record.toJson().value(textKey<Record>()).toString();
    return result;
}

const QString kFive = QStringLiteral("P1\nP2\nP3\nP4\nP5");

TEST(ParagraphSets, InitialAndLastParagraphsKeepTextOrder)
{
    EXPECT_EQ(texts(setOfInitialParagraphsUpto(kFive, 3, 0)), QStringList({"P1", "P2", "P3"}));
    EXPECT_EQ(texts(setOfInitialParagraphsUpto(QStringLiteral("A\nB"), 3, 0)), QStringList({"A", "B"}));
    EXPECT_TRUE(setOfInitialParagraphsUpto(kFive, 0, 0).empty());
    EXPECT_TRUE(setOfInitialParagraphsUpto(kFive, -2, 0).empty());
    EXPECT_EQ(texts(setOfLastParagraphsUpto(kFive, 3, 0)), QStringList({"P3", "P4", "P5"}));
    EXPECT_EQ(texts(setOfLastParagraphsUpto(kFive, 9, 0)).size(), 5);
    EXPECT_TRUE(setOfLastParagraphsUpto(kFive, 0, 0).empty());
    const std::vector<ParagraphRecord> all = setOfAllParagraphsonPageIndex(kFive, 7);
    ASSERT_EQ(all.size(), 5u);
    EXPECT_EQ(all[4], (ParagraphRecord{QStringLiteral("P5"), {12, 2}, 7}));
}

TEST(ParagraphSets, EdgeSentencesAreTheFirstTwoAndLastTwoOfEachParagraph)
{
    const QString text = QStringLiteral("Head line\n"
                                        "One. Two. Three. Four. Five.\n"
                                        "Uno. Dos. Tres. Cuatro.\n"
                                        "Ein. Zwei. Drei.");
    const std::vector<SentenceRecord> edges = setOfEdgeSentencesFromIndex(text, 0, 2);
    EXPECT_EQ(texts(edges),
        QStringList({"Head line", "One.", "Two.", "Four.", "Five.", "Uno.", "Dos.", "Tres.", "Cuatro.", "Ein.", "Zwei.",
            "Drei."}));
    for (const SentenceRecord &s : edges) {
        EXPECT_EQ(
            text.mid(static_cast<qsizetype>(s.range.location), static_cast<qsizetype>(s.range.length)), s.sentence)
            << "ranges are page-text ranges";
        EXPECT_EQ(s.pageIndex, 2);
    }
    // From inside the second paragraph: that paragraph from its first sentence on.
    EXPECT_EQ(texts(setOfEdgeSentencesFromIndex(text, text.indexOf(QStringLiteral("Four")), 2)).first(),
        QStringLiteral("One."));
    EXPECT_TRUE(setOfEdgeSentencesFromIndex(text, text.size(), 2).empty());
    EXPECT_TRUE(setOfEdgeSentencesFromIndex(QStringLiteral("A\n\nB."), 0, 0).size() == 2)
        << "an empty paragraph gives nothing";
}

TEST(ParagraphSets, NumeralsAreTakenOutOfHeadsAndFeet)
{
    const std::pair<QString, QString> rows[] = {{"Chapter 4 Results 17", "ChapterResults"}, {"Chapter IV", "Chapter"},
        {"Page 3 of 10", "Pageof"}, {"- 12 -", ""}, {"xiv", ""}, {"Preface vii", "Preface"}, {"mix", "mix"},
        {"Xiv Mild", "XivMild"}}; // mixed case is a word, not a numeral
    for (const auto &[head, cleaned] : rows)
        EXPECT_EQ(cleanedStringForHeaderFooterNumerals(head), cleaned) << qPrintable(head);
}

} // namespace
} // namespace narrata
