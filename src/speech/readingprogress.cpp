#include "readingprogress.h"

#include <tuple>

namespace narrata {

void ReadingProgress::saveSentencesReadProgress(const SentenceRecord &sentence)
{
    m_mostRecent = sentence;
    const auto position = [](const SentenceRecord &r) { return std::make_tuple(r.pageIndex, r.range.location); };
    if (!m_furthest || position(sentence) > position(*m_furthest))
        m_furthest = sentence;
}

} // namespace narrata
