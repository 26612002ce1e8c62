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

// Narrata is updated by the system's package manager, not by itself: checking for updates says
// so and opens the releases page, where the newest version and its changes are listed.
class UpdateChecker {
public:
    explicit UpdateChecker(DesktopServices &desktop);
    void checkForUpdates(const QString &applicationVersion);

private:
    DesktopServices &m_desktop;
};

} // namespace narrata
