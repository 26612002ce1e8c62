#pragma once

#include "speech/readingview.h"
#include "text/pageanalyzer.h"

#include <QTextStream>

#include <memory>

namespace narrata {
class PDFDocument;
class SpeakingLoop;
} // namespace narrata

namespace narrata::cli {

// The reading view of narrata-cli: a "selected" sentence is printed as it starts, and pages
// are prepared as in the window (heads, feet and page numbers left out) up to the last page
// asked for.
class HeadlessReader final : public ReadingView {
public:
    HeadlessReader(const PDFDocument &document, int lastPageIndex, ContentPreparationOptions options, QTextStream &out);

    void setLoop(SpeakingLoop *loop) { m_loop = loop; }
    // What the synthesizer was handed for each sentence, printed under it (for dry runs).
    void showSpokenText(std::shared_ptr<const QString> spokenText) { m_spokenText = std::move(spokenText); }

    // The prepared sentences of the first page from `pageIndex` on that has something to read.
    std::vector<SentenceRecord> sentencesFromPage(int pageIndex);

    void selectSentence(const SentenceRecord &sentence) override;
    void prepareContentAfter(const SentenceRecord &sentence) override;
    qint64 currentPageIndex() const override { return m_currentPageIndex; }
    SelectionCode selectionCodeForRange(TextRange range, qint64 pageIndex) const override;

private:
    const PDFDocument &m_document;
    PageAnalyzer m_analyzer;
    int m_lastPageIndex;
    ContentPreparationOptions m_options;
    QTextStream &m_out;
    SpeakingLoop *m_loop = nullptr;
    std::shared_ptr<const QString> m_spokenText;
    qint64 m_currentPageIndex = 0;
};

} // namespace narrata::cli
