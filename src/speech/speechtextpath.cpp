#include "speechtextpath.h"

namespace narrata {

std::vector<SentenceRecord> SpeechSetFilter::smartenedSpeechSet(const std::vector<SentenceRecord> &sentences)
{
    return sentences;
}

QString SpeechTextPath::speakableStringWithWordMappings(const QString &text)
{
    return text;
}

QString joinHyphenatedLineEnds(const QString &sentence)
{
    QString joined = sentence;
    return joined.remove(QStringLiteral("- "));
}

quint64 spokenWordCount(const QString &sentence)
{
    return static_cast<quint64>(joinHyphenatedLineEnds(sentence).count(u' ')) + 1;
}

} // namespace narrata
