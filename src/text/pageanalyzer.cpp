#include "pageanalyzer.h"

#include "paragraphsets.h"
#include "readablepages.h"
#include "runningheadrules.h"
#include "sentencesegmentation.h"

#include "platform/pdf/pdfdocument.h"

#include <algorithm>

namespace narrata {

namespace {

constexpr qint64 kEdgeParagraphs = 3;
constexpr qint64 kTypicalFontParagraphs = 4;
// Longer paragraphs of numerals alone are tables or lists, not page numbers.
constexpr qsizetype kPageNumberLength = 12;
// A section number or a footnote mark steps with the page now and then, by chance; a page
// number does so on every page around it.
constexpr int kSteppingNeighbours = 2;

QString letterSignature(const QString &paragraph)
{
    QString signature;
    for (const QChar c : paragraph)
        if (c.isLetter() && !QStringView(u"ixvIXV").contains(c))
            signature += c;
    return signature;
}

void insertRange(RangeSet &set, const TextRange &range)
{
    const auto less = [](const TextRange &a, const TextRange &b) {
        return std::tie(a.location, a.length) < std::tie(b.location, b.length);
    };
    const auto it = std::lower_bound(set.begin(), set.end(), range, less);
    if (it == set.end() || !(*it == range))
        set.insert(it, range);
}

void insertRanges(RangeSet &set, const RangeSet &more)
{
    for (const TextRange &range : more)
        insertRange(set, range);
}

// The first three paragraphs followed by the last three: on short pages the two halves
// overlap, and positions are compared as they stand.
std::vector<ParagraphRecord> edgeCandidates(const QString &text, qint64 pageIndex)
{
    std::vector<ParagraphRecord> candidates = setOfInitialParagraphsUpto(text, kEdgeParagraphs, pageIndex);
    const std::vector<ParagraphRecord> last = setOfLastParagraphsUpto(text, kEdgeParagraphs, pageIndex);
    candidates.insert(candidates.end(), last.begin(), last.end());
    return candidates;
}

// The font most of a range of a page is set in, read from the page's text layer in place.
std::optional<PDFFont> mainFontIn(const TextLayer &layer, const TextRange &range)
{
    return mostPopularFont(layer.attributedSubstring(range));
}

} // namespace

bool rangesIntersect(const TextRange &a, const TextRange &b)
{
    return !a.intersected(b).isEmpty();
}

bool intersectsAny(const TextRange &range, const RangeSet &set)
{
    return std::any_of(set.begin(), set.end(), [&range](const TextRange &r) { return rangesIntersect(range, r); });
}

PageAnalyzer::PageAnalyzer(const PDFDocument &document)
    : m_document(document)
{
}

bool PageAnalyzer::isPage(qint64 pageIndex) const
{
    return pageIndex >= 0 && pageIndex < m_document.pageCount();
}

QString PageAnalyzer::pageText(qint64 pageIndex) const
{
    const auto page = isPage(pageIndex) ? m_document.pageAtIndex(static_cast<int>(pageIndex)) : nullptr;
    return page ? page->string() : QString();
}

const std::vector<PageAnalyzer::Candidate> &PageAnalyzer::candidatesOf(qint64 pageIndex, CandidateCache &cache) const
{
    auto it = cache.find(pageIndex);
    if (it != cache.end())
        return it->second;
    std::vector<Candidate> candidates;
    for (ParagraphRecord &paragraph : edgeCandidates(pageText(pageIndex), pageIndex)) {
        QString signature = letterSignature(paragraph.paragraph);
        OuterNumbers numbers = outerNumbersIn(paragraph.paragraph);
        candidates.push_back({std::move(paragraph), std::move(signature), std::nullopt, std::move(numbers.decimal),
            std::move(numbers.roman)});
    }
    return cache.emplace(pageIndex, std::move(candidates)).first->second;
}

bool PageAnalyzer::Candidate::matches(const Candidate &other) const
{
    if (signature != other.signature)
        return false;
    for (const Candidate *candidate : {this, &other})
        if (!candidate->cleaned)
            candidate->cleaned = cleanedStringForHeaderFooterNumerals(candidate->paragraph.paragraph);
    return *cleaned == *other.cleaned;
}

RangeSet PageAnalyzer::headerFooterRangesOnPageIndex(qint64 pageIndex, qint64 pagesOffset)
{
    CandidateCache cache;
    return neighbourRanges(pageIndex, pagesOffset, cache);
}

RangeSet PageAnalyzer::neighbourRanges(qint64 pageIndex, qint64 pagesOffset, CandidateCache &cache)
{
    if (!isPage(pageIndex))
        return {};
    const std::vector<Candidate> &candidates = candidatesOf(pageIndex, cache);
    RangeSet found;
    for (const qint64 neighbourIndex : {pageIndex - pagesOffset, pageIndex + pagesOffset}) {
        if (!isPage(neighbourIndex) || neighbourIndex == pageIndex)
            continue;
        const std::vector<Candidate> &neighbour = candidatesOf(neighbourIndex, cache);
        for (size_t i = 0; i < candidates.size() && i < neighbour.size(); ++i)
            if (candidates[i].matches(neighbour[i]))
                insertRange(found, candidates[i].paragraph.range);
    }

    learnFonts(pageIndex, found);
    return found;
}

void PageAnalyzer::learnFonts(qint64 pageIndex, const RangeSet &ranges)
{
    if (ranges.empty())
        return;
    const auto page = m_document.pageAtIndex(static_cast<int>(pageIndex));
    if (!page)
        return;
    for (const TextRange &range : ranges)
        if (const auto font = mainFontIn(page->textLayer(), range))
            m_smallFontsSet.insert(FontIdentity(*font));
}

RangeSet PageAnalyzer::steppingPageNumberRangesOnPageIndex(qint64 pageIndex)
{
    CandidateCache cache;
    return steppingNumberRanges(pageIndex, cache, &Candidate::numbers, false);
}

RangeSet PageAnalyzer::romanPageNumberRangesOnPageIndex(qint64 pageIndex)
{
    CandidateCache cache;
    return steppingNumberRanges(pageIndex, cache, &Candidate::romanNumbers, true);
}

RangeSet PageAnalyzer::indexGuideWordRangesOnPageIndex(qint64 pageIndex) const
{
    const auto found = indexGuideWordsRange(setOfAllParagraphsonPageIndex(pageText(pageIndex), pageIndex));
    return found ? RangeSet{*found} : RangeSet{};
}

RangeSet PageAnalyzer::displacedHeadRangesOnPageIndex(qint64 pageIndex)
{
    CandidateCache cache;
    return displacedHeadRanges(pageIndex, cache);
}

RangeSet PageAnalyzer::displacedHeadRanges(qint64 pageIndex, CandidateCache &cache)
{
    if (!isPage(pageIndex))
        return {};
    // Numbered as the pages around are: two of the pages up to three away hold the number
    // that would be theirs in their first or last paragraph. A caption or a code line numbered
    // in step with the pages by chance ("Example D.3" two pages after "Example D.1") is not,
    // and one stray number at the edge of one page is no numbering.
    const auto isPageNumber = [&](qint64 number) {
        int pages = 0;
        for (const qint64 offset : {-3, -2, -1, 1, 2, 3}) {
            const std::vector<Candidate> &near = candidatesOf(pageIndex + offset, cache);
            const auto holds = [&](const Candidate &edge) {
                return std::find(edge.numbers.begin(), edge.numbers.end(), number + offset) != edge.numbers.end();
            };
            pages += !near.empty() && (holds(near.front()) || holds(near.back())) ? 1 : 0;
        }
        return pages >= kSteppingNeighbours;
    };
    const std::vector<ParagraphRecord> page = setOfAllParagraphsonPageIndex(pageText(pageIndex), pageIndex);
    RangeSet found;
    for (const qint64 offset : {-2, 2})
        if (isPage(pageIndex + offset))
            for (const TextRange &range : narrata::displacedHeadRanges(page,
                     setOfAllParagraphsonPageIndex(pageText(pageIndex + offset), pageIndex + offset), offset,
                     isPageNumber))
                insertRange(found, range);
    return found;
}

RangeSet PageAnalyzer::steppingNumberRanges(
    qint64 pageIndex, CandidateCache &cache, std::vector<qint64> Candidate::*numbers, bool anySide)
{
    if (!isPage(pageIndex) || candidatesOf(pageIndex, cache).empty())
        return {};
    // Only the paragraph above or below all the others, compared with the same one on the
    // nearby pages: a head or foot stands there, whereas section headings, list items and
    // footnotes that open or close a page are body text. Front matter, numbered in Roman
    // numerals that no heading or list item shares, moves its number from the head to the
    // foot on the opening page of each part: there either side of a nearby page counts.
    const auto outermost = [&](qint64 page, bool last) -> const Candidate * {
        const std::vector<Candidate> &candidates = candidatesOf(page, cache);
        return candidates.empty() ? nullptr : last ? &candidates.back() : &candidates.front();
    };
    RangeSet found;
    for (const bool last : {false, true}) {
        const Candidate &edge = *outermost(pageIndex, last);
        const auto countsThePages = [&](qint64 number) {
            int stepping = 0;
            for (const qint64 offset : {-2, -1, 1, 2}) {
                const auto holds = [&](bool side) {
                    const Candidate *neighbour = outermost(pageIndex + offset, side);
                    return neighbour
                        && std::find((neighbour->*numbers).begin(), (neighbour->*numbers).end(), number + offset)
                        != (neighbour->*numbers).end();
                };
                if (holds(last) || (anySide && holds(!last)))
                    ++stepping;
            }
            return stepping >= kSteppingNeighbours;
        };
        if (std::any_of((edge.*numbers).begin(), (edge.*numbers).end(), countsThePages))
            insertRange(found, edge.paragraph.range);
    }
    learnFonts(pageIndex, found);
    return found;
}

RangeSet PageAnalyzer::headerFooterRangesByTypicalFontsOnPageIndex(qint64 pageIndex)
{
    if (!isPage(pageIndex) || m_smallFontsSet.empty())
        return {};
    const auto page = m_document.pageAtIndex(static_cast<int>(pageIndex));
    if (!page)
        return {};
    const std::vector<ParagraphRecord> paragraphs = setOfAllParagraphsonPageIndex(page->string(), pageIndex);
    const size_t k = paragraphs.size();
    const size_t n = std::min<size_t>(k, kTypicalFontParagraphs);
    RangeSet found;
    const auto test = [&](const ParagraphRecord &paragraph) {
        const auto font = mainFontIn(page->textLayer(), paragraph.range);
        if (font && m_smallFontsSet.contains(FontIdentity(*font)))
            insertRange(found, paragraph.range);
    };
    for (size_t i = 0; i < n; ++i)
        test(paragraphs[i]);
    for (size_t i = 0; i < n; ++i)
        test(paragraphs[k - 1 - i]);
    return found;
}

RangeSet PageAnalyzer::barePageNumberRangesOnPageIndex(qint64 pageIndex) const
{
    const std::vector<ParagraphRecord> paragraphs = setOfAllParagraphsonPageIndex(pageText(pageIndex), pageIndex);
    RangeSet found;
    for (const ParagraphRecord *edge :
        {paragraphs.empty() ? nullptr : &paragraphs.front(), paragraphs.size() < 2 ? nullptr : &paragraphs.back()}) {
        if (!edge || edge->paragraph.size() > kPageNumberLength || !hasReadableText(edge->paragraph))
            continue;
        // One numeral and nothing else: a row of figures ("12 13 14") or a formula ("x = 1")
        // that ends a table or a proof is body text.
        if (wordsOf(edge->paragraph).size() == 1 && cleanedStringForHeaderFooterNumerals(edge->paragraph).isEmpty())
            insertRange(found, edge->range);
    }
    return found;
}

RangeSet PageAnalyzer::headerFooterBandOnPageIndex(qint64 pageIndex) const
{
    const std::vector<ParagraphRecord> paragraphs = setOfAllParagraphsonPageIndex(pageText(pageIndex), pageIndex);
    const size_t edge
        = std::min(paragraphs.size(), static_cast<size_t>(std::max(kEdgeParagraphs, kTypicalFontParagraphs)));
    RangeSet band;
    for (size_t i = 0; i < edge; ++i) {
        insertRange(band, paragraphs[i].range);
        insertRange(band, paragraphs[paragraphs.size() - 1 - i].range);
    }
    // A displaced head may stand anywhere, but it is a short paragraph with a number at an end.
    for (const ParagraphRecord &paragraph : paragraphs)
        if (!outerNumbersIn(paragraph.paragraph).decimal.empty())
            insertRange(band, paragraph.range);
    return band;
}

RangeSet PageAnalyzer::fixedWidthFontParagraphRangesOnPageIndex(qint64 pageIndex) const
{
    if (!isPage(pageIndex))
        return {};
    const auto page = m_document.pageAtIndex(static_cast<int>(pageIndex));
    if (!page)
        return {};
    RangeSet found;
    for (const ParagraphRecord &paragraph : setOfAllParagraphsonPageIndex(page->string(), pageIndex))
        if (const auto font = mainFontIn(page->textLayer(), paragraph.range); font && font->fixedPitch)
            insertRange(found, paragraph.range);
    return found;
}

PageFindings PageAnalyzer::findingsOnPageIndex(qint64 pageIndex, bool withFixedWidth)
{
    // Both neighbour comparisons run before the typical fonts are asked for, so fonts
    // learned from this page's own neighbours already count.
    CandidateCache cache;
    PageFindings findings;
    findings.matchingNeighbours = neighbourRanges(pageIndex, 1, cache);
    insertRanges(findings.matchingNeighbours, neighbourRanges(pageIndex, 2, cache));
    findings.steppingPageNumbers = steppingNumberRanges(pageIndex, cache, &Candidate::numbers, false);
    findings.romanPageNumbers = steppingNumberRanges(pageIndex, cache, &Candidate::romanNumbers, true);
    findings.indexGuideWords = indexGuideWordRangesOnPageIndex(pageIndex);
    findings.displacedHeads = displacedHeadRanges(pageIndex, cache);
    findings.barePageNumbers = barePageNumberRangesOnPageIndex(pageIndex);
    findings.typicalFonts = headerFooterRangesByTypicalFontsOnPageIndex(pageIndex);
    if (withFixedWidth)
        findings.fixedWidth = fixedWidthFontParagraphRangesOnPageIndex(pageIndex);
    return findings;
}

RangeSet PageFindings::skipped(const ContentPreparationOptions &options) const
{
    RangeSet skip = matchingNeighbours;
    insertRanges(skip, steppingPageNumbers);
    insertRanges(skip, barePageNumbers);
    insertRanges(skip, romanPageNumbers);
    insertRanges(skip, indexGuideWords);
    insertRanges(skip, displacedHeads);
    if (options.skipHeaderFooterAggressive)
        insertRanges(skip, typicalFonts);
    if (options.skipFixedWidthFonts)
        insertRanges(skip, fixedWidth);
    return skip;
}

RangeSet PageAnalyzer::allHeaderFooterRangesOnPageIndex(qint64 pageIndex)
{
    return findingsOnPageIndex(pageIndex, false).skipped({false, false, true});
}

std::vector<SentenceRecord> PageAnalyzer::trimSentencesArray(
    const std::vector<SentenceRecord> &sentences, qint64 pageIndex, const ContentPreparationOptions &options)
{
    const RangeSet skip = findingsOnPageIndex(pageIndex, options.skipFixedWidthFonts).skipped(options);
    std::vector<SentenceRecord> kept;
    std::copy_if(sentences.begin(), sentences.end(), std::back_inserter(kept),
        [&skip](const SentenceRecord &s) { return !intersectsAny(s.range, skip); });
    return kept;
}

std::vector<SentenceRecord> PageAnalyzer::prepareContentOnPageIndex(
    qint64 pageIndex, const ContentPreparationOptions &options)
{
    if (!isPage(pageIndex))
        return {};
    const QString text = pageText(pageIndex);
    const std::vector<SentenceRecord> sentences = options.useFastSkipMode
        ? setOfEdgeSentencesFromIndex(text, 0, pageIndex)
        : setOfSentencesFromIndex(text, 0, pageIndex);
    return trimSentencesArray(sentences, pageIndex, options);
}

std::vector<SentenceRecord> PageAnalyzer::prepareContentAfter(
    const SentenceRecord &sentence, const ContentPreparationOptions &options)
{
    // A page with nothing left to read once trimmed (a figure with only its running head, a
    // blank page with a number) is passed over like an empty one: reading goes on to the
    // next page with text instead of ending in the middle of the document.
    for (qint64 pageIndex = sentence.pageIndex + 1; isPage(pageIndex); ++pageIndex) {
        const ReadablePageSearch search
            = firstReadablePage(m_document, static_cast<int>(pageIndex), m_document.pageCount() - 1);
        if (!search.readable) {
            m_unloadablePage = search.unloadable;
            return {};
        }
        pageIndex = *search.readable;
        std::vector<SentenceRecord> sentences = prepareContentOnPageIndex(pageIndex, options);
        if (!sentences.empty())
            return sentences;
    }
    return {};
}

} // namespace narrata
