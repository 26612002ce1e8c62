#include "ligaturemap.h"

#include "wordmappings.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace narrata {
namespace {

QStringList wordsOfList(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(file.readAll());
    if (decoder.hasError())
        return {};
    return text.toLower().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

} // namespace

QStringList knownLigatures()
{
    return {
        QStringLiteral("ffi"), QStringLiteral("ffl"), QStringLiteral("ff"), QStringLiteral("fi"), QStringLiteral("fl")};
}

QString ligatureWordListFolder()
{
    return QStringLiteral(":/speech/ligatures");
}

LigatureMap prepareMapForLigatures(const QStringList &ligatures, const QString &wordListFolder)
{
    initSpeechResources();
    LigatureMap map;
    const QDir folder(wordListFolder);
    for (const QString &ligature : ligatures) {
        if (ligature.isEmpty())
            continue;
        const QString lower = ligature.toLower();
        for (const QString &word : wordsOfList(folder.filePath(ligature + QStringLiteral(".txt")))) {
            if (!word.contains(lower))
                continue;
            const QString trimmed = QString(word).replace(lower, QStringLiteral(" "));
            if (word.startsWith(lower))
                map.insert(u' ' + trimmed, u' ' + word);
            if (word.endsWith(lower)) {
                for (const QChar after : {u' ', u'.', u'?', u','})
                    map.insert(trimmed + after, word + after);
            }
            if (trimmed.trimmed().size() >= 4)
                map.insert(trimmed, word);
        }
    }
    return map;
}

QString substituteForLigaturesInString(const QString &text, const LigatureMap &map)
{
    QList<LigatureMap::const_iterator> order;
    order.reserve(map.size());
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        order.append(it);
    std::stable_sort(
        order.begin(), order.end(), [](const auto &a, const auto &b) { return a.key().size() > b.key().size(); });

    QString result = text.toLower();
    for (const auto &entry : order)
        result.replace(entry.key(), entry.value());
    return result;
}

} // namespace narrata
