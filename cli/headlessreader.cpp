#include "headlessreader.h"

#include "platform/pdf/pdfdocument.h"
#include "speech/speakingloop.h"

namespace narrata::cli {

HeadlessReader::HeadlessReader(
    const PDFDocument &document, int lastPageIndex, ContentPreparationOptions options, QTextStream &out)
    : m_document(document)
    , m_analyzer(document)
    , m_lastPageIndex(lastPageIndex)
    , m_options(options)
    , m_out(out)
{
}

std::vector<SentenceRecord> HeadlessReader::sentencesFromPage(int pageIndex)
{
    std::vector<SentenceRecord> sentences = m_analyzer.prepareContentOnPageIndex(pageIndex, m_options);
    if (sentences.empty())
        sentences = m_analyzer.prepareContentAfter({QString(), {}, pageIndex}, m_options);
    return !sentences.empty() && sentences.front().pageIndex <= m_lastPageIndex ? sentences
                                                                                : std::vector<SentenceRecord>{};
}

void HeadlessReader::selectSentence(const SentenceRecord &sentence)
{
    m_currentPageIndex = sentence.pageIndex;
    m_out << "p." << sentence.pageIndex + 1 << ": " << sentence.sentence << '\n';
    if (m_spokenText)
        m_out << "    \u2192 " << *m_spokenText << '\n';
    m_out.flush();
}

SelectionCode HeadlessReader::selectionCodeForRange(TextRange range, qint64 pageIndex) const
{
    return narrata::selectionCodeForRange(m_document, range, pageIndex);
}

void HeadlessReader::prepareContentAfter(const SentenceRecord &sentence)
{
    if (!m_loop || sentence.pageIndex >= m_lastPageIndex)
        return;
    const std::vector<SentenceRecord> next = m_analyzer.prepareContentAfter(sentence, m_options);
    if (!next.empty() && next.front().pageIndex <= m_lastPageIndex)
        m_loop->appendSpeechSet(next);
}

} // namespace narrata::cli
