#pragma once

#include "text/sentencerecord.h"

#include <optional>

namespace narrata {

// Where reading got to: the most recent sentence that ran to its end, and the furthest one
// into the document (by page, then by position on the page).
class ReadingProgress {
public:
    virtual ~ReadingProgress() = default;

    virtual void saveSentencesReadProgress(const SentenceRecord &sentence);

    const std::optional<SentenceRecord> &mostRecentSentence() const { return m_mostRecent; }
    const std::optional<SentenceRecord> &furthestSentence() const { return m_furthest; }

private:
    std::optional<SentenceRecord> m_mostRecent;
    std::optional<SentenceRecord> m_furthest;
};

} // namespace narrata
