#include "headlessreader.h"

namespace narrata::cli {

void HeadlessReader::selectSentence(const SentenceRecord &sentence)
{
    m_currentPageIndex = sentence.pageIndex;
    m_out << "p." << sentence.pageIndex + 1 << ": " << sentence.sentence << '\n';
    if (m_spokenText)
        m_out << "    \u2192 " << *m_spokenText << '\n';
    m_out.flush();
}

} // namespace narrata::cli
