#include "helpcommands.h"

#include "platform/desktop/desktopservices.h"

#include <QFileInfo>

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

HelpCommands::HelpCommands(
    DesktopServices &desktop, QString wordMappingsPath, QString applicationVersion, QUrl introPDFURL)
    : m_desktop(desktop)
    , m_wordMappingsPath(std::move(wordMappingsPath))
    , m_applicationVersion(std::move(applicationVersion))
    , m_introPDFURL(std::move(introPDFURL))
{
}

void HelpCommands::showCustomWordMappingsTextFile()
{
    if (QFileInfo::exists(m_wordMappingsPath))
        m_desktop.revealFile(m_wordMappingsPath);
    else
        m_desktop.openURL(QUrl::fromLocalFile(QFileInfo(m_wordMappingsPath).absolutePath()));
}

void HelpCommands::openNarrataWebsite()
{
    m_desktop.openURL(supportlinks::websiteURL());
}

void HelpCommands::openNarrataVideoTutorials()
{
    m_desktop.openURL(supportlinks::videoTutorialsURL());
}

void HelpCommands::openPDFUserGuideInDefaultApp()
{
    if (!m_introPDFURL.isEmpty())
        m_desktop.openURL(m_introPDFURL);
}

void HelpCommands::contactCustomerSupport()
{
    m_desktop.openURL(supportlinks::supportMailURL(m_applicationVersion));
}

void HelpCommands::menuCommandCheckForUpdates()
{
    m_desktop.showInformationAlert(QStringLiteral("Narrata %1").arg(m_applicationVersion),
        QStringLiteral("Narrata is updated by your system's package manager. The releases page, which opens next, "
                       "lists the newest version and what changed."));
    m_desktop.openURL(supportlinks::releasesURL());
}

} // namespace narrata
