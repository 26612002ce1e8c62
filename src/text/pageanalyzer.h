#pragma once

#include "fonts.h"
#include "paragraphrecord.h"
#include "sentencerecord.h"

#include <map>
#include <optional>
#include <vector>

namespace narrata {

class PDFDocument;

// How a page is prepared for listening; the reader's preferences decide.
struct ContentPreparationOptions {
    bool useFastSkipMode = false; // only the first two and last two sentences of each paragraph
    bool skipFixedWidthFonts = false; // leave out paragraphs set mostly in a fixed-pitch font
    bool skipHeaderFooterAggressive = false; // also edge paragraphs in fonts learned from heads and feet
};

// Sorted, without repeats.
using RangeSet = std::vector<TextRange>;

// What each rule finds on a page. A paragraph may be found by more than one.
struct PageFindings {
    RangeSet matchingNeighbours; // edge paragraphs that match a page one or two away
    RangeSet steppingPageNumbers; // heads and feet whose numbers count the pages
    RangeSet barePageNumbers; // a lone page number at the top or bottom
    RangeSet romanPageNumbers; // front-matter heads and feet whose Roman numerals count the pages
    RangeSet indexGuideWords; // an index page's head naming its first and last entries
    RangeSet displacedHeads; // heads and feet the text order puts among the body
    RangeSet typicalFonts; // edge paragraphs in learned head and foot fonts
    RangeSet fixedWidth; // paragraphs set mostly in a fixed-pitch font

    // What trimming leaves out under the options: heads, feet and page numbers always,
    // typical fonts and fixed-width paragraphs on request.
    RangeSet skipped(const ContentPreparationOptions &options) const;
};

// Finds what a listener is spared on a page: running heads, feet and page numbers, by
// comparing the page's first and last paragraphs with those of nearby pages once numerals
// are taken out, and paragraphs set in fixed-pitch fonts. It learns the fonts of the heads
// and feet it finds. The page view owns one, for as long as it lives.
class PageAnalyzer {
public:
    explicit PageAnalyzer(const PDFDocument &document);

    // Edge paragraphs of page p that match the paragraph in the same place on page p - d or
    // p + d; learns their fonts. Nothing for a page past the end.
    RangeSet headerFooterRangesOnPageIndex(qint64 pageIndex, qint64 pagesOffset);
    // The first four and last four paragraphs of the page whose main font was learned.
    RangeSet headerFooterRangesByTypicalFontsOnPageIndex(qint64 pageIndex);
    // The first or last paragraph of the page when it is nothing but one page number ("24",
    // "- xii -"): caught even where no neighbour has a number in the same place, as on the
    // opening page of a chapter.
    RangeSet barePageNumberRangesOnPageIndex(qint64 pageIndex) const;
    // The first or last paragraph of the page when it is short and holds a number that steps
    // with the page on at least two of the four nearby pages: "SELECTING FONTS 10" on one page,
    // "MICRO FINE TUNING 11" on top of the next. Running heads that name the current section
    // differ in their words from page to page, but their numbers still count the pages.
    // Learns their fonts.
    RangeSet steppingPageNumberRangesOnPageIndex(qint64 pageIndex);
    // The same for the lower-case Roman numerals of front matter: "LIST OF TABLES xxi" over
    // a page, "xxii PREFACE" over the next. The number of a nearby page counts in its head or
    // its foot, as the opening page of each part has it at the bottom. Learns their fonts.
    RangeSet romanPageNumberRangesOnPageIndex(qint64 pageIndex);
    // The first paragraph of an index page when it names the page's first (and last) entry.
    RangeSet indexGuideWordRangesOnPageIndex(qint64 pageIndex) const;
    // Short paragraphs anywhere on the page that have the words of one on a page two away and
    // a number that counts the pages between, numbered as the pages around are: a journal's
    // alternating heads, which a two-column layout puts among the body, where the comparison
    // of edges cannot see them.
    RangeSet displacedHeadRangesOnPageIndex(qint64 pageIndex);
    // The paragraphs at the top and bottom of the page where heads, feet and page numbers are
    // looked for, and the short numbered ones elsewhere that may be displaced heads. Every rule
    // but the fixed-width one finds only among them, so a sentence that touches none of them
    // is kept or left out whatever the nearby pages hold.
    RangeSet headerFooterBandOnPageIndex(qint64 pageIndex) const;
    // Paragraphs whose main font is fixed-pitch.
    RangeSet fixedWidthFontParagraphRangesOnPageIndex(qint64 pageIndex) const;
    // What every rule finds on the page, learning fonts as trimming does; fixed-width
    // paragraphs are looked for only when asked.
    PageFindings findingsOnPageIndex(qint64 pageIndex, bool withFixedWidth = true);
    // Everything detection finds on the page, typical fonts included whatever the options
    // say: what the check-headers command shows.
    RangeSet allHeaderFooterRangesOnPageIndex(qint64 pageIndex);

    // The sentences that touch no head, foot or (on request) fixed-pitch paragraph.
    std::vector<SentenceRecord> trimSentencesArray(
        const std::vector<SentenceRecord> &sentences, qint64 pageIndex, const ContentPreparationOptions &options);
    // The page's sentences from its start, trimmed.
    std::vector<SentenceRecord> prepareContentOnPageIndex(qint64 pageIndex, const ContentPreparationOptions &options);
    // The sentences of the first page after the sentence's page that has something left to
    // read once trimmed; empty at the end of the document.
    std::vector<SentenceRecord> prepareContentAfter(
        const SentenceRecord &sentence, const ContentPreparationOptions &options);

    // The first of the pages that could not be loaded where the last search for the next page
    // gave up; nothing when it found one or ran to the end.
    std::optional<qint64> unloadablePage() const { return m_unloadablePage; }

    const FontSet &smallFontsSet() const { return m_smallFontsSet; }
    void setSmallFontsSet(FontSet fonts) { m_smallFontsSet = std::move(fonts); }

private:
    struct Candidate {
        ParagraphRecord paragraph;
        // Its letters other than those of Roman numerals: two paragraphs whose signatures
        // differ cannot be equal once numerals are taken out, so most pairs are told apart
        // without cutting them into words.
        QString signature;
        mutable std::optional<QString> cleaned; // without numerals, as heads and feet are compared
        std::vector<qint64> numbers; // decimal numbers at either end, in short ones
        std::vector<qint64> romanNumbers; // lower-case Roman numerals at either end, in short ones

        bool matches(const Candidate &other) const;
    };
    // Edge candidates by page, kept for the length of one preparation: a page is compared
    // with up to four neighbours, and each neighbour with the page, and cleaning is the cost.
    using CandidateCache = std::map<qint64, std::vector<Candidate>>;

    const std::vector<Candidate> &candidatesOf(qint64 pageIndex, CandidateCache &cache) const;
    RangeSet neighbourRanges(qint64 pageIndex, qint64 pagesOffset, CandidateCache &cache);
    RangeSet steppingNumberRanges(
        qint64 pageIndex, CandidateCache &cache, std::vector<qint64> Candidate::*numbers, bool anySide);
    RangeSet displacedHeadRanges(qint64 pageIndex, CandidateCache &cache);
    void learnFonts(qint64 pageIndex, const RangeSet &ranges);
    bool isPage(qint64 pageIndex) const;
    QString pageText(qint64 pageIndex) const;

    const PDFDocument &m_document;
    FontSet m_smallFontsSet;
    std::optional<qint64> m_unloadablePage;
};

// True when the ranges share at least one character.
bool rangesIntersect(const TextRange &a, const TextRange &b);
// True when the range shares a character with one of the set.
bool intersectsAny(const TextRange &range, const RangeSet &set);

} // namespace narrata
