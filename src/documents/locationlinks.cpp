#include "locationlinks.h"

#include "documentview.h"
#include "pdfpack.h"
#include "platform/desktop/desktopservices.h"
#include "platform/pdf/pdfdocument.h"
#include "platform/settings/defaultsstore.h"
#include "settings/registereddefaults.h"
#include "showndocument.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>

namespace narrata {

namespace {

constexpr char kScheme[] = "orvik";

// A font name or text inside RTF: its control characters escaped, anything beyond ASCII as
// a Unicode escape.
QString rtfEscaped(const QString &text)
{
    QString escaped;
    for (const QChar c : text) {
        if (c == u'\\' || c == u'{' || c == u'}')
            escaped += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x80)
            escaped += c;
        else
            escaped += QStringLiteral("\\u%1?").arg(static_cast<qint16>(c.unicode()));
    }
    return escaped;
}

} // namespace

QString LocationLink::url() const
{
    return QStringLiteral("orvik://%1/%2/@loc/%3x/%4y/").arg(prefix).arg(pageNumber).arg(x).arg(y);
}

QString LocationLink::markdown() const
{
    return QStringLiteral("[%1](%2)").arg(visibleText(), url());
}

QString LocationLink::visibleText() const
{
    return QStringLiteral("%1/%2").arg(prefix).arg(pageNumber);
}

std::optional<LocationLink> LocationLink::fromURL(const QString &url)
{
    // Read as text: a URL parser would lower-case the prefix, which stands where a host does.
    static const QRegularExpression link(
        QStringLiteral("^orvik://([A-Za-z0-9._~-]+)/(\\d+)/@loc/(-?\\d+)x/(-?\\d+)y/?$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = link.match(url.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    return LocationLink{match.captured(1), match.captured(2).toLongLong(), match.captured(3).toLongLong(),
        match.captured(4).toLongLong()};
}

LocationLinks::LocationLinks(Collaborators collaborators, QObject *parent)
    : QObject(parent)
    , m_collaborators(std::move(collaborators))
{
}

bool LocationLinks::isLocationLink(const QString &text)
{
    return text.startsWith(QLatin1String(kScheme) + QLatin1Char(':'), Qt::CaseInsensitive);
}

void LocationLinks::setPrefix(const QString &prefix)
{
    m_prefix = prefix;
    updateOrvikPrefixChecker();
}

bool LocationLinks::updateOrvikPrefixChecker()
{
    // Only what a URL carries unescaped: letters, digits, "-", ".", "_" and "~". A "/" or ":"
    // would pass a looser test and break the link's own structure.
    const bool usable = !m_prefix.isEmpty() && QString::fromLatin1(QUrl::toPercentEncoding(m_prefix)) == m_prefix;
    emit prefixChecked(m_prefix, usable);
    return usable;
}

QString LocationLinks::documentName() const
{
    return PDFPack::filenameFor(m_collaborators.documents.representedURL());
}

void LocationLinks::lookupPDFPrefix()
{
    const QString name = documentName();
    const QVariantMap map = m_collaborators.defaults.mapForKey(settingskeys::kOrvikPrefixMap);
    if (!name.isEmpty() && map.contains(name))
        setPrefix(map.value(name).toString());
    else {
        m_prefix.clear();
        emit prefixChecked(m_prefix, false);
    }
}

void LocationLinks::copyOrvikURLforPageIndex(qint64 pageIndex, QPointF pointOnPage)
{
    if (!updateOrvikPrefixChecker()) {
        m_collaborators.desktop.beep();
        return;
    }
    // A pack not saved yet has no name to remember the prefix under; the link is copied all
    // the same.
    if (const QString name = documentName(); !name.isEmpty()
        && m_collaborators.defaults.mapForKey(settingskeys::kOrvikPrefixMap).value(name).toString() != m_prefix) {
        m_collaborators.defaults.updateMapEntry(
            settingskeys::kOrvikPrefixMap, name, [this](const QVariant &) { return QVariant(m_prefix); });
    }
    const LocationLink link{m_prefix, pageIndex + 1, static_cast<qint64>(std::trunc(pointOnPage.x())),
        static_cast<qint64>(std::trunc(pointOnPage.y()))};
    if (useMarkdown)
        m_collaborators.desktop.copyToClipboard({{QStringLiteral("text/plain"), link.markdown().toUtf8()}});
    else
        copyRichText(link);
}

void LocationLinks::copyRichText(const LocationLink &link)
{
    bool isNumber = false;
    const double size = m_collaborators.defaults.value(settingskeys::kOrvikURLRichTextFontSize).toDouble(&isNumber);
    if (!isNumber || !(size > 3.0))
        return;
    const QString font = m_collaborators.defaults.stringForKey(settingskeys::kOrvikURLRichTextFontName);
    const QString html = QStringLiteral("<a href=\"%1\" style=\"font-family: '%2'; font-size: %3pt\">%4</a>")
                             .arg(link.url(), font.toHtmlEscaped())
                             .arg(size)
                             .arg(link.visibleText());
    const QString rtf = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 %1;}}{\\field{\\*\\fldinst{HYPERLINK "
                                       "\"%2\"}}{\\fldrslt{\\f0\\fs%3 %4}}}}")
                            .arg(rtfEscaped(font), link.url())
                            .arg(std::lround(size * 2))
                            .arg(link.visibleText());
    m_collaborators.desktop.copyToClipboard(
        {{QStringLiteral("text/html"), html.toUtf8()}, {QStringLiteral("text/rtf"), rtf.toLatin1()}});
}

bool LocationLinks::openLocationLink(const QString &url)
{
    const std::optional<LocationLink> link = LocationLink::fromURL(url);
    if (!link) {
        m_collaborators.desktop.beepAndWarn(QStringLiteral("\"%1\" is not a link to a page").arg(url),
            QStringLiteral("A link to a page looks like orvik://prefix/12/@loc/72x/700y/."));
        return false;
    }
    const QVariantMap map = m_collaborators.defaults.mapForKey(settingskeys::kOrvikPrefixMap);
    const QString name = map.key(link->prefix);
    if (name.isEmpty()) {
        m_collaborators.desktop.beepAndWarn(QStringLiteral("No document has the prefix \"%1\"").arg(link->prefix),
            QStringLiteral("A prefix is remembered for a document when a link is copied from it in Narrata."));
        return false;
    }
    if (documentName() != name) {
        QString found;
        for (const QString &path : m_collaborators.candidateFiles()) {
            if (QFileInfo(path).completeBaseName() == name && QFileInfo(path).isFile()) {
                found = path;
                break;
            }
        }
        if (found.isEmpty()) {
            m_collaborators.desktop.beepAndWarn(QStringLiteral("\"%1\" was not found").arg(name),
                QStringLiteral("Narrata looks for the document among the recent PDFs and in the watched folder. "
                               "Open it once, and its links will find it."));
            return false;
        }
        // Opened on its own, never added to a pack: the link's page is the document's own.
        m_collaborators.documents.openChosenFile(QUrl::fromLocalFile(found));
        if (documentName() != name)
            return false;
        // Loading goes to the top of the document a moment later: the link's place comes after.
        connect(
            &m_collaborators.documents, &ShownDocument::jumpedToLastPDF, this,
            [this, pageIndex = link->pageNumber - 1, point = QPointF(double(link->x), double(link->y))] {
                m_collaborators.pdfView.goToPageIndex(static_cast<int>(pageIndex), point);
            },
            Qt::SingleShotConnection);
    }
    const PDFDocument *shown = m_collaborators.pdfView.document();
    const qint64 pageIndex = link->pageNumber - 1;
    if (!shown || pageIndex < 0 || pageIndex >= shown->pageCount()) {
        m_collaborators.desktop.beep();
        return false;
    }
    m_collaborators.pdfView.goToPageIndex(
        static_cast<int>(pageIndex), QPointF(static_cast<double>(link->x), static_cast<double>(link->y)));
    return true;
}

} // namespace narrata
