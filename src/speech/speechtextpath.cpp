#include "speechtextpath.h"

#include <QRegularExpression>

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

QString sentenceForSpeech(const QString &sentence)
{
    // Four or more dots, ellipses or middle dots, spaced or not, and the spaces around them.
    static const QRegularExpression leaders(
        QStringLiteral(R"(\s*[.\x{2026}\x{00B7}](?:\s*[.\x{2026}\x{00B7}]){3,}\s*)"));
    QString spoken = joinHyphenatedLineEnds(sentence);
    for (QRegularExpressionMatch row; (row = leaders.match(spoken)).hasMatch();) {
        const bool atEnd = row.capturedEnd() == spoken.size();
        const bool ended = row.capturedStart() > 0 && QStringView(u".?!").contains(spoken.at(row.capturedStart() - 1));
        spoken.replace(row.capturedStart(), row.capturedLength(),
            !atEnd      ? QStringLiteral(", ")
                : ended ? QString()
                        : QStringLiteral("."));
    }
    return spoken;
}

quint64 spokenWordCount(const QString &sentence)
{
    return static_cast<quint64>(sentenceForSpeech(sentence).count(u' ')) + 1;
}

} // namespace narrata
