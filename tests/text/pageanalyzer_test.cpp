// Finding running heads, feet, page numbers and code on synthetic pages, preparing the pages
// for listening, and reading a whole generated book through the page analyzer as the speaking
// loop does.
#include "text/pageanalyzer.h"

#include "platform/mupdf/mupdfservice.h"
#include "printers.h"
#include "support/fakedocument.h"
#include "support/pdffixture.h"
#include "text/sentencesegmentation.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

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
    const FakeDocument document = documentOf({bookPage(0, "Chapter 3: Methods 23", {}), bookPage(1, "24", {}),
        bookPage(2, "Appendix A: Copying 25", "- xxv -"), bookPage(3, "Notes", "Table 4 lists 12 13 14 15 16 17")});
    PageAnalyzer analyzer(document);
    EXPECT_TRUE(analyzer.headerFooterRangesOnPageIndex(1, 1).empty()) << "no neighbour has it in that place";
    EXPECT_EQ(textsOf(document, 1, analyzer.barePageNumberRangesOnPageIndex(1)), QStringList{"24"});
    EXPECT_EQ(textsOf(document, 2, analyzer.barePageNumberRangesOnPageIndex(2)), QStringList{"- xxv -"});
    EXPECT_TRUE(analyzer.barePageNumberRangesOnPageIndex(3).empty()) << "words, or a long row of numbers";
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
