// The one-sentence walks of the speaking loop: the queue and the past list rebuilt around a
// sentence from its page's own sentences, one sentence spoken, and the completion step
// (speakingloop.cpp) positioning the queue when it ends.
#include "speakingloop.h"

#include "platform/pdf/pdfdocument.h"
#include "text/documentsentences.h"

#include <algorithm>

namespace narrata {

std::vector<SentenceRecord> SpeakingLoop::smartenedPage(qint64 pageIndex)
{
    if (!m_document || pageIndex < 0 || pageIndex >= m_document->pageCount())
        return {};
    return m_collaborators.filter.smartenedSpeechSet(sentencesOnPageIndex(*m_document, static_cast<int>(pageIndex)));
}

void SpeakingLoop::prepSpeechSetsForWalk(const std::optional<SentenceRecord> &sentence)
{
    std::vector<SentenceRecord> page;
    SentenceRecord anchor;
    if (sentence) {
        page = smartenedPage(sentence->pageIndex);
        anchor = *sentence;
    } else {
        const qint64 shown = m_collaborators.view.currentPageIndex();
        if (shown == kNotFound)
            return;
        page = smartenedPage(shown);
        if (page.empty()) {
            m_speechSet.clear();
            m_pastSpeechSet.clear();
            return;
        }
        anchor = isModeSentenceWalkJ ? page.back() : page.front();
    }
    m_speechSet.clear();
    m_pastSpeechSet.clear();

    // An anchor that is not among its page's sentences (smartening dropped it, or the
    // selection is no sentence) leaves both lists empty: nothing is taken from nowhere.
    auto at = std::find(page.begin(), page.end(), anchor);
    if (at == page.end())
        return;

    if (isModeSentenceWalkJ && at == page.begin() && anchor.pageIndex > 0) {
        const std::vector<SentenceRecord> previous = smartenedPage(anchor.pageIndex - 1);
        page.insert(page.begin(), previous.begin(), previous.end());
    }
    if (!isModeSentenceWalkJ && std::find(page.begin(), page.end(), anchor) == page.end() - 1 && m_document
        && anchor.pageIndex + 1 < m_document->pageCount()) {
        std::vector<SentenceRecord> next = smartenedPage(anchor.pageIndex + 1);
        if (!next.empty())
            next.front() = m_collaborators.filter.cutIgnoredFontLeadIn(next.front(), *m_document);
        page.insert(page.end(), next.begin(), next.end());
    }

    at = std::find(page.begin(), page.end(), anchor);
    m_pastSpeechSet.assign(page.begin(), at);
    m_speechSet.assign(at, page.end());
}

void SpeakingLoop::startSentenceWalkJ(const std::optional<SentenceRecord> &sentence)
{
    isModeSentenceWalkJ = true;
    isModeSentenceWalkK = isModeSentenceWalkL = false;
    prepSpeechSetsForWalk(sentence);
    if (!m_pastSpeechSet.empty())
        speak(m_pastSpeechSet.back());
}

void SpeakingLoop::startSentenceWalkK(const std::optional<SentenceRecord> &sentence)
{
    isModeSentenceWalkK = true;
    isModeSentenceWalkJ = isModeSentenceWalkL = false;
    prepSpeechSetsForWalk(sentence);
    if (!m_speechSet.empty())
        speak(m_speechSet.front());
}

void SpeakingLoop::startSentenceWalkL(const std::optional<SentenceRecord> &sentence)
{
    isModeSentenceWalkL = true;
    isModeSentenceWalkJ = isModeSentenceWalkK = false;
    prepSpeechSetsForWalk(sentence);
    if (m_speechSet.size() >= 2)
        speak(m_speechSet[1]);
}

} // namespace narrata
