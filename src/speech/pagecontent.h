#pragma once

#include "platform/pdf/pdfselection.h"
#include "readingcontent.h"
#include "text/pageanalyzer.h"

#include <QPointF>

#include <limits>
#include <memory>
#include <optional>

namespace narrata {

class PDFDocument;

// The text side of reading one document: which sentences a double-click or a selection starts
// from, a sentence's neighbours, the heads and feet of a page, and the next page with
// something to read. It owns the page analyzer, whose learned head and foot fonts carry over
// from one document to the next. The window and narrata-cli share it; it knows no widgets.
class PageContent final : public ReadingContent {
public:
    PageContent() = default;
    ~PageContent() override;

    // The document whose pages are read (the view's copy in the window); null for none.
    void setDocument(const PDFDocument *document);
    const PDFDocument *document() const { return m_document; }
    // How pages are trimmed, and whether a start reads only the edges of each paragraph.
    void setOptions(const ContentPreparationOptions &options) { m_options = options; }
    // Reading stops after this page (narrata-cli's --to-page).
    void setLastPageIndex(qint64 pageIndex) { m_lastPageIndex = pageIndex; }

    // The trimmed sentences from the one under a point of a page on; empty where the point
    // holds no sentence. Only those before the first one that reaches into the page's top or
    // bottom paragraphs come at once when there are any: they cannot be heads or feet, so
    // they need no comparison with the nearby pages. The rest of the page waits in
    // sentencesHeldBackAfter() while the first is spoken.
    std::vector<SentenceRecord> sentencesFromPointOnPage(qint64 pageIndex, QPointF pointOnPage);
    // The same from the selection's first character.
    std::vector<SentenceRecord> sentencesFromSelection(const PDFSelection &selection);
    // The prepared sentences of the first page from pageIndex on that has something to read.
    std::vector<SentenceRecord> sentencesFromPage(qint64 pageIndex);

    // The whole sentence holding the selection's first character.
    std::optional<SentenceRecord> sentenceAtSelection(const PDFSelection &selection) const;
    // The neighbours of a sentence on its own page.
    std::optional<SentenceRecord> previousSentenceFor(const std::optional<SentenceRecord> &sentence) const;
    std::optional<SentenceRecord> nextSentenceFor(const std::optional<SentenceRecord> &sentence) const;
    // Every head, foot and page number found on the page, whatever the options say.
    RangeSet headerFooterRanges(qint64 pageIndex);
    // The same as one selection; empty when there are none.
    PDFSelection headerFooterSelection(qint64 pageIndex);
    // What reading starts from: the selection, or else the first character of the page.
    PDFSelection selectionToSpeakFrom(const PDFSelection &selection, qint64 pageIndex) const;

    // Where reading had to stop because pages could not be loaded (a damaged or truncated file).
    std::optional<qint64> unloadablePage() const { return m_analyzer ? m_analyzer->unloadablePage() : std::nullopt; }

    std::vector<SentenceRecord> prepareContentAfter(const SentenceRecord &sentence) override;
    std::vector<SentenceRecord> sentencesHeldBackAfter(const SentenceRecord &last) override;
    SelectionCode selectionCodeForRange(TextRange range, qint64 pageIndex) const override;

private:
    // The selection's first line (the selection itself when it has no lines), its page and the
    // page's index; nothing without a selection on a page of the document.
    struct SelectionStart {
        PDFSelection firstLine;
        bool hasLines;
        std::shared_ptr<const PDFPage> page;
        int pageIndex;
    };
    std::optional<SelectionStart> selectionStart(const PDFSelection &selection) const;
    std::optional<SentenceRecord> neighbourOf(const std::optional<SentenceRecord> &sentence, int step) const;
    std::vector<SentenceRecord> withinLastPage(std::vector<SentenceRecord> sentences) const;
    // The analyzer once the sentences held back are trimmed, so that every page's heads and
    // feet teach their fonts in the order the pages were asked for.
    PageAnalyzer &analyzer();

    // The rest of a page a start did not hand out, after its last sentence handed out.
    struct HeldBack {
        SentenceRecord after;
        std::vector<SentenceRecord> sentences;
        bool trimmed = false;
    };

    const PDFDocument *m_document = nullptr;
    std::unique_ptr<PageAnalyzer> m_analyzer;
    std::optional<HeldBack> m_heldBack;
    FontSet m_learnedFonts; // kept across documents
    ContentPreparationOptions m_options;
    qint64 m_lastPageIndex = std::numeric_limits<qint64>::max();
};

} // namespace narrata
