#include "cuesheet.h"

namespace narrata {

namespace {

// Double quotes cannot be escaped in a cue sheet; they become single ones.
QString quoted(QString text)
{
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QLatin1Char('\'')).simplified() + QLatin1Char('"');
}

} // namespace

QString cueSheet(
    const QString &audioFileName, AudiobookFormat format, const AudiobookDescription &description, int sampleRate)
{
    QString sheet;
    if (!description.author.isEmpty())
        sheet += QStringLiteral("PERFORMER %1\n").arg(quoted(description.author));
    if (!description.title.isEmpty())
        sheet += QStringLiteral("TITLE %1\n").arg(quoted(description.title));
    sheet += QStringLiteral("FILE %1 %2\n")
                 .arg(quoted(audioFileName),
                     format == AudiobookFormat::Mp3 ? QStringLiteral("MP3") : QStringLiteral("WAVE"));
    int track = 0;
    for (const AudiobookChapter &chapter : description.chapters) {
        const qint64 frames = chapter.startSample * 75 / sampleRate;
        sheet += QStringLiteral("  TRACK %1 AUDIO\n    TITLE %2\n    INDEX 01 %3:%4:%5\n")
                     .arg(++track, 2, 10, QLatin1Char('0'))
                     .arg(quoted(chapter.title))
                     .arg(frames / qint64(75 * 60), 2, 10, QLatin1Char('0'))
                     .arg(frames / 75 % 60, 2, 10, QLatin1Char('0'))
                     .arg(frames % 75, 2, 10, QLatin1Char('0'));
    }
    return sheet;
}

} // namespace narrata
