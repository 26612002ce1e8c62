#include "sentencesegmentation.h"

#include "textsegmenter.h"

namespace narrata {

std::vector<SentenceRecord> sentencesOnPageIndex(const QString &text, qint64 pageIndex)
{
    std::vector<SentenceRecord> sentences;
    enumerateSentences(text, [&](const Segment &segment) {
        sentences.push_back({textIn(text, segment.substringRange), segment.substringRange, pageIndex});
        return true;
    });
    return sentences;
}

std::vector<SentenceRecord> setOfSentencesFromIndex(const QString &text, qint64 index, qint64 pageIndex)
{
    std::vector<SentenceRecord> sentences;
    enumerateSentences(text, [&](const Segment &segment) {
        if (!sentences.empty() || segment.enclosingRange.contains(index))
            sentences.push_back({textIn(text, segment.substringRange), segment.substringRange, pageIndex});
        return true;
    });
    return sentences;
}

qint64 startLocationOfSentenceAtIndex(const QString &text, qint64 index)
{
    qint64 location = -1;
    enumerateSentences(text, [&](const Segment &segment) {
        if (!segment.enclosingRange.contains(index))
            return true;
        location = static_cast<qint64>(segment.substringRange.location);
        return false;
    });
    return location;
}

std::vector<QString> wordsOf(const QString &text)
{
    std::vector<QString> words;
    enumerateWords(text, [&](const Segment &segment) {
        words.push_back(textIn(text, segment.substringRange));
        return true;
    });
    return words;
}

} // namespace narrata
