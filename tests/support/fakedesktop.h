#pragma once

#include "platform/desktop/desktopservices.h"

#include <QStringList>

#include <vector>

namespace narrata::testing {

// Records what the application asked of the desktop; panels answer with what the test set.
class FakeDesktopServices final : public DesktopServices {
public:
    struct Alert {
        QString messageText;
        QString informativeText;
    };

    void beep() override { ++beeps; }
    void showWarningAlert(const QString &messageText, const QString &informativeText) override
    {
        warnings.push_back({messageText, informativeText});
    }
    void showInformationAlert(const QString &messageText, const QString &informativeText) override
    {
        information.push_back({messageText, informativeText});
    }
    void chooseFileToOpen(std::function<void(const QString &path)> chosen) override
    {
        ++openPanels;
        if (!fileToChoose.isEmpty())
            chosen(fileToChoose);
    }
    void chooseFileToSave(
        const QString &title, const QString &suggestedName, std::function<void(const QString &path)> answered) override
    {
        savePanels.append(title + QLatin1Char('|') + suggestedName);
        answered(fileToSave);
    }
    void chooseFolder(const QString &startFolder, std::function<void(const QString &path)> chosen) override
    {
        folderPanelStarts.append(startFolder);
        if (!folderToChoose.isEmpty())
            chosen(folderToChoose);
    }
    void copyToClipboard(const std::map<QString, QByteArray> &dataByType) override { clipboard = dataByType; }
    ClipboardOffer clipboardOffer() const override { return offer; }
    bool openURL(const QUrl &url) override
    {
        openedURLs.push_back(url);
        return true;
    }
    void revealFile(const QString &path) override { revealed.append(path); }

    int beeps = 0;
    std::vector<Alert> warnings;
    std::vector<Alert> information;
    int openPanels = 0;
    QString fileToChoose; // empty: the user cancels
    QStringList savePanels; // title|suggested name
    QString fileToSave; // empty: the user cancels
    QStringList folderPanelStarts;
    QString folderToChoose;
    std::vector<QUrl> openedURLs;
    std::map<QString, QByteArray> clipboard;
    ClipboardOffer offer;
    QStringList revealed;
};

} // namespace narrata::testing
