#pragma once

#include "clipboardoffer.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <map>

namespace narrata {

// The desktop around the reader: the beep, modal alerts, open panels and the file browser.
// The window's adapter shows real dialogs; tests record what was asked.
class DesktopServices {
public:
    virtual ~DesktopServices() = default;

    virtual void beep() = 0;
    // A modal warning with a single "OK" button; returns when it is dismissed.
    virtual void showWarningAlert(const QString &messageText, const QString &informativeText) = 0;
    // The beep and the warning together: what the user asked for could not be done.
    void beepAndWarn(const QString &messageText, const QString &informativeText)
    {
        beep();
        showWarningAlert(messageText, informativeText);
    }
    // The same, for news that is not a problem.
    virtual void showInformationAlert(const QString &messageText, const QString &informativeText) = 0;
    // Asks for one PDF file; `chosen` runs with its path only when the user confirms.
    virtual void chooseFileToOpen(std::function<void(const QString &path)> chosen) = 0;
    // Asks where to save a PDF, titled `title` and suggesting `suggestedName`; `answered` runs
    // once the panel closes, with the chosen path or an empty one when the user cancelled.
    virtual void chooseFileToSave(
        const QString &title, const QString &suggestedName, std::function<void(const QString &path)> answered)
        = 0;
    // Asks for a folder, starting in `startFolder`; `chosen` runs only when the user confirms.
    virtual void chooseFolder(const QString &startFolder, std::function<void(const QString &path)> chosen) = 0;
    // Replaces the clipboard's contents with these data, by MIME type ("text/plain" is text).
    virtual void copyToClipboard(const std::map<QString, QByteArray> &dataByType) = 0;
    // What the clipboard holds now.
    virtual ClipboardOffer clipboardOffer() const = 0;
    // Hands a URL to the desktop (browser, mail program, file browser); false when nothing took it.
    virtual bool openURL(const QUrl &url) = 0;
    // Shows a file selected in the file browser, or its folder where that cannot be done.
    virtual void revealFile(const QString &path) = 0;
};

} // namespace narrata
