#include "supportlinks.h"

#include "platform/desktop/desktopservices.h"

namespace narrata {

namespace supportlinks {

QUrl websiteURL()
{
    return QUrl(QStringLiteral("https://narrata.app"));
}

QUrl videoTutorialsURL()
{
    return QUrl(QStringLiteral("https://narrata.app/tutorials.html"));
}

QUrl releasesURL()
{
    return QUrl(QStringLiteral("https://narrata.app/releases.html"));
}

QUrl supportMailURL(const QString &applicationVersion)
{
    const QString version = QStringLiteral("%1 (Direct)").arg(applicationVersion);
    const QString text = QStringLiteral("mailto:support@narrata.app?subject=Help Using Narrata %1").arg(version);
    // Spaces and parentheses of the subject become escapes, as a mail program expects.
    return QUrl::fromEncoded(QUrl::toPercentEncoding(text, ":@?=()"));
}

} // namespace supportlinks

UpdateChecker::UpdateChecker(DesktopServices &desktop)
    : m_desktop(desktop)
{
}

void UpdateChecker::checkForUpdates(const QString &applicationVersion)
{
    m_desktop.showInformationAlert(QStringLiteral("Narrata %1").arg(applicationVersion),
        QStringLiteral("Narrata is updated by your system's package manager. The releases page, which opens next, "
                       "lists the newest version and what changed."));
    m_desktop.openURL(supportlinks::releasesURL());
}

} // namespace narrata
