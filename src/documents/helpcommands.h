#pragma once

#include <QString>
#include <QUrl>

namespace narrata {

class DesktopServices;

// Where the Help menu's commands lead.
namespace supportlinks {

QUrl websiteURL();
QUrl videoTutorialsURL();
QUrl releasesURL();
// A new message to support, its subject naming the version: "Help Using Narrata 0.1.0 (Direct)".
QUrl supportMailURL(const QString &applicationVersion);

} // namespace supportlinks

// The Help menu and the word mappings file's place: each command opens a page, a message, a
// folder or a file through the desktop.
class HelpCommands {
public:
    // introPDFURL: the built-in user guide; empty when it could not be provided.
    HelpCommands(DesktopServices &desktop, QString wordMappingsPath, QString applicationVersion, QUrl introPDFURL);

    void showCustomWordMappingsTextFile();
    void openNarrataWebsite();
    void openNarrataVideoTutorials();
    void openPDFUserGuideInDefaultApp();
    void contactCustomerSupport();
    // Narrata is updated by the system's package manager, not by itself: checking for updates
    // says so and opens the releases page, where the newest version and its changes are listed.
    void menuCommandCheckForUpdates();

private:
    DesktopServices &m_desktop;
    QString m_wordMappingsPath;
    QString m_applicationVersion;
    QUrl m_introPDFURL;
};

} // namespace narrata
