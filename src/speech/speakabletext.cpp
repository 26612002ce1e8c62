#include "speakabletext.h"

#include <QUrl>

#include <optional>

namespace narrata {
namespace {

bool isTrimmed(QChar c)
{
    return c.isSpace() || c == QChar(0xFFFC);
}

QString trimmedToken(QStringView token)
{
    qsizetype begin = 0;
    qsizetype end = token.size();
    while (begin < end && isTrimmed(token.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(token.at(end - 1)))
        --end;
    return token.sliced(begin, end - begin).toString();
}

// The spoken form of a web address, or nothing when the token is to be spoken as it stands: it
// does not parse, or it names no host (a bare "https:" in running text, or "http:foo").
std::optional<QString> spokenUrl(const QString &token)
{
    if (!token.startsWith(QLatin1String("http:")) && !token.startsWith(QLatin1String("https:")))
        return std::nullopt;
    const QUrl url(token, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString host = url.host();
    if (host.isEmpty())
        return std::nullopt;
    return QStringLiteral(" %1 URL ").arg(host);
}

} // namespace

const WordMappings &fixedWordMappings()
{
    static const WordMappings fixed{
        {QString::fromUtf16(spoken::productName), QString::fromUtf16(spoken::productNameSpoken)},
        {QStringLiteral("macOS"), QStringLiteral("Mac OS")},
        {QString::fromUtf16(spoken::webDomain), QString::fromUtf16(spoken::webDomainSpoken)},
        {QString::fromUtf16(spoken::webPage), QString::fromUtf16(spoken::webPageSpoken)},
    };
    return fixed;
}

QString speakableStringWithWordMappings(const QString &text, const WordMappings &userMappings)
{
    WordMappings lookup = fixedWordMappings();
    lookup.insert(userMappings);

    QStringList outputs;
    for (const QStringView piece : QStringView(text).split(u' ')) {
        QString token = trimmedToken(piece);
        if (token.startsWith(QLatin1String("http:")) || token.startsWith(QLatin1String("https:"))) {
            outputs.append(spokenUrl(token).value_or(token));
            continue;
        }
        const auto found = lookup.constFind(token);
        outputs.append(found != lookup.constEnd() ? *found : token);
    }
    return outputs.join(u' ');
}

} // namespace narrata
