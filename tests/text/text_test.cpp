// Sentences, paragraphs and words as ICU finds them in awkward texts; the sentences of a page and
// where they start, from its text or from the document; sentence and paragraph records and their
// JSON; the paragraph lists of a page, edge sentences and the numeral-free form of a head; and
// the page analyzer finding running heads, feet, page numbers and code, on synthetic pages and
// through a whole generated book, and preparing the pages for listening.
#include "text/documentsentences.h"
#include "text/pageanalyzer.h"
#include "text/paragraphrecord.h"
#include "text/paragraphsets.h"
#include "text/runningheadrules.h"
#include "text/sentencerecord.h"
#include "text/sentencesegmentation.h"
#include "text/textsegmenter.h"

#include "platform/mupdf/mupdfservice.h"

#include "support/fakedocument.h"
#include "support/pdffixture.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>

#include <ostream>
#include <vector>

namespace narrata {

// Readable failure messages for the records the tests compare.
inline void PrintTo(const SentenceRecord &record, std::ostream *os)
{
    *os << '"' << record.sentence.toStdString() << "\" [" << record.range.location << ", +" << record.range.length
        << "] page " << record.pageIndex;
}

inline void PrintTo(const ParagraphRecord &record, std::ostream *os)
{
    PrintTo(SentenceRecord{record.paragraph, record.range, record.pageIndex}, os);
}

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

using testing::FakeDocument;
using testing::FakePage;
using Paragraphs = std::vector<std::pair<QString, PDFFont>>;

const PDFFont kBody{QStringLiteral("Times-Roman"), 10, false};
const PDFFont kHead{QStringLiteral("Times-Italic"), 8, false};
const PDFFont kCode{QStringLiteral("Courier"), 9, true};

QString bodyParagraph(int page, int i)
{
    // Words that differ between paragraphs even once numerals are taken out.
    return QStringLiteral("Body text p%2x%1 goes on. It has two sentences.").arg(i).arg(page + 1);
}

// A page of `count` body paragraphs between an optional head and foot.
Paragraphs bookPage(int page, const QString &head, const QString &foot, int count = 8)
{
    Paragraphs paragraphs;
    if (!head.isEmpty())
        paragraphs.emplace_back(head, kHead);
    for (int i = 0; i < count; ++i)
        paragraphs.emplace_back(bodyParagraph(page, i), kBody);
    if (!foot.isEmpty())
        paragraphs.emplace_back(foot, kHead);
    return paragraphs;
}

FakeDocument documentOf(const std::vector<Paragraphs> &pages)
{
    std::vector<std::shared_ptr<PDFPage>> fakes;
    for (const Paragraphs &page : pages)
        fakes.push_back(std::make_shared<FakePage>(page));
    return FakeDocument(fakes);
}

QStringList textsOf(const FakeDocument &document, qint64 page, const RangeSet &ranges)
{
    const QString text = document.pageAtIndex(static_cast<int>(page))->string();
    QStringList result;
    for (const TextRange &r : ranges)
        result << text.mid(static_cast<qsizetype>(r.location), static_cast<qsizetype>(r.length));
    return result;
}

// How many of the page's sentences trimming leaves out.
size_t trimmedAway(
    PageAnalyzer &analyzer, const FakeDocument &document, int page, ContentPreparationOptions options = {})
{
    const std::vector<SentenceRecord> all = setOfSentencesFromIndex(document.pageAtIndex(page)->string(), 0, page);
    return all.size() - analyzer.trimSentencesArray(all, page, options).size();
}

TEST(PageAnalyzer, APageThatCannotBeLoadedIsPassedOver)
{
    // MuPDF gives no page for a damaged page object; analysis used to take it as given.
    std::vector<std::shared_ptr<PDFPage>> pages;
    for (int p = 0; p < 5; ++p)
        pages.push_back(p == 2 ? nullptr : std::make_shared<FakePage>(bookPage(p, "Head", QString::number(p + 1))));
    const FakeDocument holed(pages);
    PageAnalyzer analyzer(holed);
    analyzer.setSmallFontsSet({FontIdentity(kHead)});
    const ContentPreparationOptions all{false, true, true};
    for (int page = 0; page < holed.pageCount(); ++page) {
        (void)analyzer.allHeaderFooterRangesOnPageIndex(page);
        (void)analyzer.prepareContentOnPageIndex(page, all);
    }
    const std::vector<SentenceRecord> next = analyzer.prepareContentAfter({QStringLiteral("x"), {0, 1}, 1}, all);
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next.front().pageIndex, 3);
    EXPECT_EQ(analyzer.unloadablePage(), std::nullopt) << "one missing page is no end";
}

TEST(PageAnalyzer, HeadsMatchTheirNeighboursWithChangingNumbersOrTwoPagesAwayButNotOtherWords)
{
    const FakeDocument document = documentOf({bookPage(0, "Chapter 4 Results 17", {}),
        bookPage(1, "Chapter 4 Results 18", {}), bookPage(2, "Chapter 5 Methods 19", {})});
    PageAnalyzer analyzer(document);
    EXPECT_EQ(textsOf(document, 0, analyzer.headerFooterRangesOnPageIndex(0, 1)), QStringList{"Chapter 4 Results 17"});
    EXPECT_TRUE(analyzer.headerFooterRangesOnPageIndex(2, 2).empty()) << "Results is not Methods";
    EXPECT_TRUE(analyzer.headerFooterRangesOnPageIndex(0, 2).empty());
    const FakeDocument single = documentOf({bookPage(0, "Chapter 1", "1")});
    EXPECT_TRUE(PageAnalyzer(single).headerFooterRangesOnPageIndex(0, 1).empty());

    // Heads that alternate between even and odd pages.
    std::vector<Paragraphs> pages;
    for (int p = 0; p < 5; ++p)
        pages.push_back(bookPage(
            p, p % 2 ? QStringLiteral("A Short Book") : QStringLiteral("Chapter Two"), QString::number(p + 1)));
    const FakeDocument alternating = documentOf(pages);
    PageAnalyzer twoAway(alternating);
    EXPECT_EQ(textsOf(alternating, 2, twoAway.headerFooterRangesOnPageIndex(2, 1)), QStringList{"3"});
    EXPECT_EQ(textsOf(alternating, 2, twoAway.headerFooterRangesOnPageIndex(2, 2)), QStringList({"Chapter Two", "3"}));

    // On short pages, two paragraphs give the candidates p0 p1 p0 p1; the neighbour's first four
    // are compared by position.
    const FakeDocument shortPages
        = documentOf({{{"Running title", kHead}, {"Alpha.", kBody}}, {{"Running title", kHead}, {"Beta.", kBody}}});
    EXPECT_EQ(textsOf(shortPages, 1, PageAnalyzer(shortPages).headerFooterRangesOnPageIndex(1, 1)),
        QStringList{"Running title"});
}

TEST(PageAnalyzer, ALonePageNumberAtTheTopOrBottomIsNeverRead)
{
    // A chapter's opening page: its number stands where the other pages have a running head.
    const FakeDocument document = documentOf(
        {bookPage(0, "Chapter 3: Methods 23", {}), bookPage(1, "24", {}), bookPage(2, "Appendix A: Copying", "- xxv -"),
            bookPage(3, "Notes", "Table 4 lists 12 13 14 15 16 17"), bookPage(4, "v = 2", "12 13 14")});
    PageAnalyzer analyzer(document);
    EXPECT_TRUE(analyzer.headerFooterRangesOnPageIndex(1, 1).empty()) << "no neighbour has it in that place";
    EXPECT_EQ(textsOf(document, 1, analyzer.barePageNumberRangesOnPageIndex(1)), QStringList{"24"});
    EXPECT_EQ(textsOf(document, 2, analyzer.barePageNumberRangesOnPageIndex(2)), QStringList{"- xxv -"});
    for (const int page : {3, 4})
        EXPECT_TRUE(analyzer.barePageNumberRangesOnPageIndex(page).empty()) << "words, a formula or a row of numbers";
    EXPECT_EQ(trimmedAway(analyzer, document, 1), 1u);
}

TEST(PageAnalyzer, HeadsThatNameTheSectionAreFoundByTheirSteppingPageNumbers)
{
    const FakeDocument document = documentOf({bookPage(0, "SELECTING FONTS 10", {}),
        bookPage(1, "MICRO FINE TUNING 11", {}), bookPage(2, "MICRO FINE TUNING : Character protrusion 12", {}),
        bookPage(3, "Table 7 lists the 20 sizes", {})});
    PageAnalyzer analyzer(document);
    EXPECT_TRUE(analyzer.headerFooterRangesOnPageIndex(1, 1).empty()) << "their words differ";
    EXPECT_EQ(
        textsOf(document, 1, analyzer.steppingPageNumberRangesOnPageIndex(1)), QStringList{"MICRO FINE TUNING 11"});
    EXPECT_EQ(textsOf(document, 2, analyzer.steppingPageNumberRangesOnPageIndex(2)),
        QStringList{"MICRO FINE TUNING : Character protrusion 12"});
    EXPECT_TRUE(analyzer.steppingPageNumberRangesOnPageIndex(3).empty()) << "numbers that do not count pages";
    EXPECT_TRUE(analyzer.smallFontsSet().contains(FontIdentity(kHead)));
    EXPECT_EQ(trimmedAway(analyzer, document, 2), 1u);
}

TEST(PageAnalyzer, NumbersThatStepWithThePageOnlyByChanceAreRead)
{
    // Feet that count the pages, around headings that open two pages in a row, a list item
    // inside every page, and a formula whose inner number happens to be the page's.
    std::vector<Paragraphs> pages;
    for (int p = 0; p < 4; ++p) {
        pages.push_back(bookPage(p, {}, QString::number(p + 1)));
        pages.back()[1].first = QStringLiteral("%1 Steps in the same place").arg(p + 1);
    }
    pages[0].front().first = QStringLiteral("1 Using this package");
    pages[1].front().first = QStringLiteral("2 Options");
    pages[0].emplace_back(QStringLiteral("4 Thus q + 1 is also prime."), kBody);
    const FakeDocument document = documentOf(pages);
    PageAnalyzer analyzer(document);
    for (int page = 0; page < 4; ++page)
        EXPECT_EQ(textsOf(document, page, analyzer.steppingPageNumberRangesOnPageIndex(page)),
            page == 0 ? QStringList{} : QStringList{QString::number(page + 1)})
            << page;
}

TEST(PageAnalyzer, FrontMatterHeadsAreFoundByTheirSteppingRomanNumerals)
{
    const std::pair<QString, std::optional<qint64>> numerals[]
        = {{"xiv", 14}, {"xl", 40}, {"liv", 54}, {"iiii", {}}, {"vx", {}}, {"I", {}}, {"mix", {}}, {"XIV", {}}};
    for (const auto &[word, value] : numerals)
        EXPECT_EQ(romanNumeralValue(word), value) << qPrintable(word);
    const FakeDocument document = documentOf({bookPage(0, "List of Tables", "xxi"), bookPage(1, "xxii PREFACE", {}),
        bookPage(2, "CAPTIONS xxiii", {}), bookPage(3, "Section iv: the last", {})});
    PageAnalyzer analyzer(document);
    EXPECT_TRUE(analyzer.steppingPageNumberRangesOnPageIndex(1).empty()) << "no decimal numbers";
    EXPECT_EQ(textsOf(document, 1, analyzer.romanPageNumberRangesOnPageIndex(1)), QStringList{"xxii PREFACE"})
        << "the number in the foot of an opening page counts";
    EXPECT_TRUE(analyzer.romanPageNumberRangesOnPageIndex(3).empty()) << "a numeral that does not count pages";
    EXPECT_EQ(trimmedAway(analyzer, document, 2), 1u);
}

TEST(PageAnalyzer, AnIndexPageHeadNamingItsFirstAndLastEntriesIsFound)
{
    const std::pair<Paragraphs, bool> pages[] = {
        {{{"qframe (env) \\restorepagenumber", kHead}, {"qframe (env), 283, 284 \\qitem, 257", kBody},
             {"\\restorepagenumber, 107, 108", kBody}},
            true},
        {{{"quad", kHead}, {"quad, xxxvii \\quarkmarks, 328", kBody}}, true},
        {{{"\\addto arrow", kHead}, {"vervi, 92", kBody}, {"\\addto, 148 arrow, see vector", kBody}}, true},
        {{{"Results", kBody}, {"Results vary with the font, 12 of them.", kBody}}, false},
        {{{"Options", kBody}, {"Options, as shown, change it.", kBody}}, false},
        {{{"alpha beta", kHead}, {"alpha, 12", kBody}, {"gamma beta.", kBody}}, false}, // no later entry
    };
    for (const auto &[paragraphs, isHead] : pages) {
        const FakeDocument document = documentOf({paragraphs});
        EXPECT_EQ(textsOf(document, 0, PageAnalyzer(document).indexGuideWordRangesOnPageIndex(0)),
            isHead ? QStringList{paragraphs.front().first} : QStringList{})
            << qPrintable(paragraphs.front().first);
    }
}

TEST(PageAnalyzer, AlternatingHeadsAmongTheBodyAreFoundByTheirPageNumbers)
{
    // Two-column pages whose text order puts the head after the first column.
    std::vector<Paragraphs> pages;
    for (int p = 0; p < 3; ++p) {
        pages.push_back(bookPage(p, {}, QString::number(p + 1), 4));
        pages.back().insert(pages.back().begin() + 1 + p,
            {{p % 2 ? QStringLiteral("K. T. Smith") : QStringLiteral("Guide for authors %1").arg(p + 1), kHead},
                {QStringLiteral("Step %1 of the recipe").arg(3 * p + 1), kBody}, // counts, but not pages
                {QStringLiteral("Example D.%1").arg(p + 5), kBody}, // counts pages, numbered otherwise
                {QStringLiteral("%1 %2").arg(10 + p).arg(20 + p), kBody}, {"Star Mass Luminosity", kBody}});
    }
    const FakeDocument document = documentOf(pages);
    PageAnalyzer analyzer(document);
    EXPECT_EQ(textsOf(document, 2, analyzer.headerFooterRangesOnPageIndex(2, 2)), QStringList{"3"})
        << "the head is not in the same place";
    EXPECT_EQ(textsOf(document, 2, analyzer.displacedHeadRangesOnPageIndex(2)), QStringList{"Guide for authors 3"});
    EXPECT_TRUE(analyzer.displacedHeadRangesOnPageIndex(1).empty());
    EXPECT_EQ(trimmedAway(analyzer, document, 0), 2u) << "the head and the page number";
}

TEST(PageAnalyzer, PageNumbersTeachTheirFontWhichMakesEdgeParagraphsHeadsOnlyInTheAggressiveMode)
{
    std::vector<Paragraphs> pages{bookPage(0, {}, "1", 10), bookPage(1, {}, "2", 10), bookPage(2, {}, "3", 10)};
    Paragraphs lonely = bookPage(3, "An unmatched head", {}, 10);
    lonely[5] = {QStringLiteral("A middle paragraph in the head font."), kHead};
    pages.push_back(lonely);
    const FakeDocument document = documentOf(pages);
    PageAnalyzer analyzer(document);
    // A bare page number matches its neighbours' and teaches the analyzer its font.
    EXPECT_EQ(textsOf(document, 1, analyzer.headerFooterRangesOnPageIndex(1, 1)), QStringList{"2"});
    EXPECT_TRUE(analyzer.smallFontsSet().contains(FontIdentity(kHead)));
    EXPECT_FALSE(analyzer.smallFontsSet().contains(FontIdentity(kBody)));
    EXPECT_TRUE(analyzer.headerFooterRangesOnPageIndex(4, 1).empty()) << "past the end";

    EXPECT_EQ(
        textsOf(document, 3, analyzer.headerFooterRangesByTypicalFontsOnPageIndex(3)), QStringList{"An unmatched head"})
        << "only the first four and last four paragraphs are tested";
    EXPECT_EQ(trimmedAway(analyzer, document, 3), 0u);
    EXPECT_EQ(trimmedAway(analyzer, document, 3, {false, false, true}), 1u);
}

TEST(PageAnalyzer, TrimmingDropsEverySentenceThatTouchesAHeadFootOrCode)
{
    std::vector<Paragraphs> pages;
    for (int p = 0; p < 3; ++p) {
        Paragraphs page = bookPage(p, QStringLiteral("Running head"), QString::number(p + 1));
        page.insert(page.begin() + 3, {QStringLiteral("int main() { return 0; }"), kCode});
        pages.push_back(page);
    }
    const FakeDocument document = documentOf(pages);
    PageAnalyzer analyzer(document);
    const QString text = document.pageAtIndex(1)->string();
    const std::vector<SentenceRecord> sentences = setOfSentencesFromIndex(text, 0, 1);

    const std::vector<SentenceRecord> plain = analyzer.trimSentencesArray(sentences, 1, {});
    ASSERT_EQ(plain.size(), sentences.size() - 2);
    EXPECT_EQ(plain.front().sentence, QStringLiteral("Body text p2x0 goes on."));
    EXPECT_EQ(plain.back().sentence, QStringLiteral("It has two sentences."));
    const std::vector<SentenceRecord> noCode = analyzer.trimSentencesArray(sentences, 1, {false, true, false});
    EXPECT_EQ(noCode.size(), sentences.size() - 3);

    // A sentence that runs on into the page number is dropped whole.
    const SentenceRecord runOn{QStringLiteral("sentences.\n2"), {static_cast<quint64>(text.size() - 12), 12}, 1};
    EXPECT_TRUE(analyzer.trimSentencesArray({runOn}, 1, {}).empty());
}

TEST(PageAnalyzer, PreparationPassesOverPagesWithNothingLeftToRead)
{
    const FakeDocument document = documentOf({
        bookPage(0, "Running head", "1"),
        {{"Running head", kHead}, {". . . .", kBody}, {"2", kHead}}, // only full stops
        {{"Running head", kHead}, {"3", kHead}}, // only head and number
        bookPage(3, "Running head", "4"),
    });
    PageAnalyzer analyzer(document);
    const SentenceRecord lastOfFirst{QStringLiteral("x"), {0, 1}, 0};
    const std::vector<SentenceRecord> next = analyzer.prepareContentAfter(lastOfFirst, {});
    ASSERT_FALSE(next.empty());
    EXPECT_EQ(next.front().pageIndex, 3);
    EXPECT_EQ(next.front().sentence, QStringLiteral("Body text p4x0 goes on."));
    EXPECT_TRUE(analyzer.prepareContentAfter({QStringLiteral("x"), {0, 1}, 3}, {}).empty()) << "the last page";

    const std::vector<SentenceRecord> fast = analyzer.prepareContentOnPageIndex(3, {true, false, false});
    EXPECT_EQ(fast.size(), 16u) << "two sentences from each of eight paragraphs";
}

TEST(Fonts, MostPopularFontCountsCharactersAndLabelsLookTheSame)
{
    AttributedString text{QString(50, u'x'), {{{0, 10}, kHead}, {{10, 30}, kBody}, {{40, 10}, kHead}}};
    EXPECT_EQ(mostPopularFont(text), kBody);
    EXPECT_FALSE(mostPopularFont(AttributedString{}).has_value());
    EXPECT_EQ(prettyFontString(PDFFont{QStringLiteral("Helvetica"), 12, false}), QStringLiteral("Helvetica 12.0 pt"));
    EXPECT_EQ(prettyFontString(PDFFont{QStringLiteral("CMR10"), 9.9626, false}), QStringLiteral("CMR10 10.0 pt"));
}

// Every page taken anew from the file on every request: no text layer is ever reused.
class UncachedDocument final : public testing::FakeDocument {
public:
    explicit UncachedDocument(QByteArray bytes)
        : FakeDocument({})
        , m_bytes(std::move(bytes))
        , m_pageCount(MuPDFService().openData(m_bytes)->pageCount())
    {
    }
    int pageCount() const override { return m_pageCount; }
    std::shared_ptr<PDFPage> pageAtIndex(int index) const override
    {
        return MuPDFService().openData(m_bytes)->pageAtIndex(index);
    }

private:
    QByteArray m_bytes;
    int m_pageCount;
};

// What a listener hears from the first page on, one prepared page after the other.
std::vector<SentenceRecord> readThrough(const PDFDocument &document, const ContentPreparationOptions &options)
{
    PageAnalyzer analyzer(document);
    std::vector<SentenceRecord> heard;
    SentenceRecord last{QString(), {}, -1};
    for (std::vector<SentenceRecord> page; !(page = analyzer.prepareContentAfter(last, options)).empty();) {
        heard.insert(heard.end(), page.begin(), page.end());
        last = page.back();
    }
    return heard;
}

TEST(PageAnalyzerOnABook, EveryBodySentenceIsHeardAndNoHeadFootOrNumber)
{
    const auto document = MuPDFService().openData(testing::sampleBook().bytes());
    QString heard;
    for (const SentenceRecord &sentence : readThrough(*document, {}))
        heard += sentence.sentence + u' ';
    heard.replace(QStringLiteral("- "), QString());

    QString book = testing::sampleBookParagraphs().join(u' ') + u' ';
    EXPECT_EQ(heard, book);
    EXPECT_FALSE(heard.contains(QLatin1String(testing::sampleBookChapterHead)));
    EXPECT_FALSE(heard.contains(QLatin1String(testing::sampleBookTitleHead)));
}

TEST(PageAnalyzerOnABook, KeepingTextLayersChangesNothingThatIsFound)
{
    const QByteArray bytes = testing::sampleBook().bytes();
    const auto cached = MuPDFService().openData(bytes);
    const UncachedDocument uncached(bytes);
    for (const ContentPreparationOptions options :
        {ContentPreparationOptions{}, ContentPreparationOptions{true, true, true}})
        EXPECT_EQ(readThrough(*cached, options), readThrough(uncached, options));
}

} // namespace
} // namespace narrata
