#include "paragraphsets.h"

#include "sentencesegmentation.h"
#include "textsegmenter.h"

namespace narrata {

namespace {

ParagraphRecord paragraphAt(const QString &text, const Segment &segment, qint64 pageIndex)
{
    return {textIn(text, segment.substringRange), segment.substringRange, pageIndex};
}

bool isNumeral(const QString &word)
{
    const auto consistsOf = [&word](QStringView alphabet) {
        for (QChar c : word)
            if (!alphabet.contains(c))
                return false;
        return true;
    };
    return consistsOf(u"0123456789") || consistsOf(u"ixv") || consistsOf(u"IXV");
}

} // namespace

std::vector<ParagraphRecord> setOfAllParagraphsonPageIndex(const QString &text, qint64 pageIndex)
{
    std::vector<ParagraphRecord> paragraphs;
    enumerateParagraphs(text, [&](const Segment &segment) {
        paragraphs.push_back(paragraphAt(text, segment, pageIndex));
        return true;
    });
    return paragraphs;
}

std::vector<ParagraphRecord> setOfInitialParagraphsUpto(const QString &text, qint64 n, qint64 pageIndex)
{
    std::vector<ParagraphRecord> paragraphs;
    qint64 counter = 0;
    enumerateParagraphs(text, [&](const Segment &segment) {
        if (++counter > n)
            return false;
        paragraphs.push_back(paragraphAt(text, segment, pageIndex));
        return true;
    });
    return paragraphs;
}

std::vector<ParagraphRecord> setOfLastParagraphsUpto(const QString &text, qint64 n, qint64 pageIndex)
{
    std::vector<ParagraphRecord> paragraphs = setOfAllParagraphsonPageIndex(text, pageIndex);
    const auto keep = static_cast<size_t>(std::max<qint64>(n, 0));
    if (paragraphs.size() > keep)
        paragraphs.erase(paragraphs.begin(), paragraphs.end() - static_cast<std::ptrdiff_t>(keep));
    return paragraphs;
}

std::vector<SentenceRecord> setOfEdgeSentencesFromIndex(const QString &text, qint64 index, qint64 pageIndex)
{
    std::vector<SentenceRecord> result;
    bool found = false;
    enumerateParagraphs(text, [&](const Segment &segment) {
        found = found || segment.enclosingRange.contains(index);
        if (!found)
            return true;
        const QString paragraph = textIn(text, segment.substringRange);
        std::vector<SentenceRecord> sentences = sentencesOnPageIndex(paragraph, pageIndex);
        for (SentenceRecord &s : sentences)
            s.range.location += segment.substringRange.location;
        const size_t k = sentences.size();
        if (k >= 1)
            result.push_back(sentences[0]);
        if (k >= 2)
            result.push_back(sentences[1]);
        if (k >= 4)
            result.push_back(sentences[k - 2]);
        if (k >= 3)
            result.push_back(sentences[k - 1]);
        return true;
    });
    return result;
}

QString cleanedStringForHeaderFooterNumerals(const QString &text)
{
    QString cleaned;
    for (const QString &word : wordsOf(text))
        if (!isNumeral(word))
            cleaned += word;
    return cleaned;
}

} // namespace narrata
