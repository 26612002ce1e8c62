#include "pagecontent.h"

#include "platform/pdf/pdfdocument.h"
#include "platform/pdf/pdfselection.h"
#include "text/paragraphsets.h"
#include "text/sentencesegmentation.h"

#include <algorithm>
#include <utility>

namespace narrata {

PageContent::~PageContent() = default;

void PageContent::setDocument(const PDFDocument *document)
{
    if (m_analyzer)
        m_learnedFonts = analyzer().smallFontsSet();
    m_heldBack.reset();
    m_analyzer.reset();
    m_document = document;
    if (m_document) {
        m_analyzer = std::make_unique<PageAnalyzer>(*m_document);
        m_analyzer->setSmallFontsSet(m_learnedFonts);
    }
}

std::vector<SentenceRecord> PageContent::sentencesFromPointOnPage(qint64 pageIndex, QPointF pointOnPage)
{
    if (!m_analyzer || pageIndex < 0 || pageIndex >= m_document->pageCount())
        return {};
    const std::shared_ptr<PDFPage> page = m_document->pageAtIndex(static_cast<int>(pageIndex));
    if (!page || !page->boundsForBox(PDFDisplayBox::CropBox).contains(pointOnPage))
        return {};
    const QString text = page->string();
    const qint64 index = page->characterIndexAtPoint(pointOnPage);
    if (index == kNotFound || startLocationOfSentenceAtIndex(text, index) < 0)
        return {};
    const std::vector<SentenceRecord> sentences = m_options.useFastSkipMode
        ? setOfEdgeSentencesFromIndex(text, index, pageIndex)
        : setOfSentencesFromIndex(text, index, pageIndex);
    PageAnalyzer &pages = analyzer();
    m_heldBack.reset();
    const RangeSet band = pages.headerFooterBandOnPageIndex(pageIndex);
    const auto firstInBand = std::find_if(
        sentences.begin(), sentences.end(), [&band](const SentenceRecord &s) { return intersectsAny(s.range, band); });
    std::vector<SentenceRecord> ready(sentences.begin(), firstInBand);
    if (m_options.skipFixedWidthFonts)
        std::erase_if(
            ready, [fixed = pages.fixedWidthFontParagraphRangesOnPageIndex(pageIndex)](const SentenceRecord &s) {
                return intersectsAny(s.range, fixed);
            });
    if (ready.empty())
        return pages.trimSentencesArray(sentences, pageIndex, m_options);
    m_heldBack = HeldBack{ready.back(), {firstInBand, sentences.end()}};
    return ready;
}

std::vector<SentenceRecord> PageContent::sentencesHeldBackAfter(const SentenceRecord &last)
{
    if (!m_heldBack)
        return {};
    analyzer();
    const HeldBack held = *std::exchange(m_heldBack, std::nullopt);
    return held.after == last ? held.sentences : std::vector<SentenceRecord>{};
}

PageAnalyzer &PageContent::analyzer()
{
    if (m_heldBack && !m_heldBack->trimmed) {
        m_heldBack->sentences
            = m_analyzer->trimSentencesArray(m_heldBack->sentences, m_heldBack->after.pageIndex, m_options);
        m_heldBack->trimmed = true;
    }
    return *m_analyzer;
}

std::optional<PageContent::SelectionStart> PageContent::selectionStart(const PDFSelection &selection) const
{
    if (!m_document || selection.isEmpty())
        return std::nullopt;
    const std::vector<PDFSelection> lines = selection.selectionsByLine();
    SelectionStart start{lines.empty() ? selection : lines.front(), !lines.empty(), nullptr, -1};
    start.page = start.firstLine.pages().front();
    start.pageIndex = m_document->indexForPage(*start.page);
    if (start.pageIndex < 0)
        return std::nullopt;
    return start;
}

std::vector<SentenceRecord> PageContent::sentencesFromSelection(const PDFSelection &selection)
{
    const std::optional<SelectionStart> start = selectionStart(selection);
    if (!start)
        return {};
    const PDFPage &page = *start->page;
    // The centre of the first selected character: a point a fixed distance into the line would
    // miss lines set smaller than that distance and start from the line above.
    QPointF point = start->firstLine.boundsForPage(page).topLeft() + QPointF(10, 10);
    const TextRange firstRange = start->firstLine.rangeAtIndex(0, page);
    if (firstRange.location != kNotFound) {
        const QRectF box = page.characterBoundsAtIndex(firstRange.location);
        if (!box.isEmpty())
            point = box.center();
    }
    return sentencesFromPointOnPage(start->pageIndex, point);
}

std::vector<SentenceRecord> PageContent::sentencesFromPage(qint64 pageIndex)
{
    if (!m_analyzer)
        return {};
    std::vector<SentenceRecord> sentences = analyzer().prepareContentOnPageIndex(pageIndex, m_options);
    if (sentences.empty())
        sentences = analyzer().prepareContentAfter({QString(), {}, pageIndex}, m_options);
    return withinLastPage(std::move(sentences));
}

std::optional<SentenceRecord> PageContent::sentenceAtSelection(const PDFSelection &selection) const
{
    const std::optional<SelectionStart> start = selectionStart(selection);
    if (!start)
        return std::nullopt;
    const PDFPage &page = *start->page;
    qint64 index = start->hasLines ? start->firstLine.rangeAtIndex(0, page).location : kNotFound;
    if (index == kNotFound) // a point into the first line; page space is y up
        index = page.characterIndexAtPoint(
            start->hasLines ? start->firstLine.boundsForPage(page).topLeft() + QPointF(10, 10) : QPointF(10, 10));
    const std::vector<SentenceRecord> sentences = setOfSentencesFromIndex(page.string(), index, start->pageIndex);
    if (sentences.empty())
        return std::nullopt;
    return sentences.front();
}

std::optional<SentenceRecord> PageContent::neighbourOf(const std::optional<SentenceRecord> &sentence, int step) const
{
    if (!m_document || !sentence || sentence->pageIndex < 0 || sentence->pageIndex >= m_document->pageCount())
        return std::nullopt;
    const std::shared_ptr<PDFPage> page = m_document->pageAtIndex(static_cast<int>(sentence->pageIndex));
    if (!page)
        return std::nullopt;
    const std::vector<SentenceRecord> sentences = sentencesOnPageIndex(page->string(), sentence->pageIndex);
    const auto found = std::find(sentences.begin(), sentences.end(), *sentence);
    if (found == sentences.end())
        return std::nullopt;
    const auto position = found - sentences.begin() + step;
    if (position < 0 || position >= static_cast<std::ptrdiff_t>(sentences.size()))
        return std::nullopt;
    return sentences[static_cast<std::size_t>(position)];
}

std::optional<SentenceRecord> PageContent::previousSentenceFor(const std::optional<SentenceRecord> &sentence) const
{
    return neighbourOf(sentence, -1);
}

std::optional<SentenceRecord> PageContent::nextSentenceFor(const std::optional<SentenceRecord> &sentence) const
{
    return neighbourOf(sentence, +1);
}

RangeSet PageContent::headerFooterRanges(qint64 pageIndex)
{
    return m_analyzer ? analyzer().allHeaderFooterRangesOnPageIndex(pageIndex) : RangeSet{};
}

PDFSelection PageContent::headerFooterSelection(qint64 pageIndex)
{
    const RangeSet ranges = headerFooterRanges(pageIndex);
    const std::shared_ptr<PDFPage> page
        = m_document && !ranges.empty() ? m_document->pageAtIndex(static_cast<int>(pageIndex)) : nullptr;
    PDFSelection selection;
    for (std::size_t i = 0; page && i < ranges.size(); ++i)
        selection.addSelection(page->selectionForRange(ranges[i]));
    return selection;
}

PDFSelection PageContent::selectionToSpeakFrom(const PDFSelection &selection, qint64 pageIndex) const
{
    if (!selection.isEmpty() || !m_document || pageIndex < 0 || pageIndex > INT_MAX)
        return selection;
    const std::shared_ptr<PDFPage> page = m_document->pageAtIndex(static_cast<int>(pageIndex));
    if (!page || page->string().isEmpty())
        return {};
    const PDFSelection first = page->selectionForRect(page->characterBoundsAtIndex(0));
    return first.isEmpty() ? page->selectionForRange({0, 1}) : first;
}

std::vector<SentenceRecord> PageContent::prepareContentAfter(const SentenceRecord &sentence)
{
    if (!m_analyzer || sentence.pageIndex >= m_lastPageIndex)
        return {};
    return withinLastPage(analyzer().prepareContentAfter(sentence, m_options));
}

std::vector<SentenceRecord> PageContent::withinLastPage(std::vector<SentenceRecord> sentences) const
{
    if (!sentences.empty() && sentences.front().pageIndex > m_lastPageIndex)
        sentences.clear();
    return sentences;
}

SelectionCode PageContent::selectionCodeForRange(TextRange range, qint64 pageIndex) const
{
    if (!m_document)
        return {pageIndex, 0, 0, 0, 0, 0, 0, {}};
    return narrata::selectionCodeForRange(*m_document, range, pageIndex);
}

} // namespace narrata
