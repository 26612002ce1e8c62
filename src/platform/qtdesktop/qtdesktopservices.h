#pragma once

#include "platform/desktop/desktopservices.h"

#include <deque>

class QWidget;

namespace narrata {

// The desktop services through Qt Widgets: QApplication::beep, QMessageBox, QFileDialog shown
// as window-modal sheets on `window`, QDesktopServices, and the freedesktop file manager's
// ShowItems call over D-Bus for revealing a file.
class QtDesktopServices final : public DesktopServices {
public:
    explicit QtDesktopServices(QWidget *window);

    void beep() override;
    void showWarningAlert(const QString &messageText, const QString &informativeText) override;
    void showInformationAlert(const QString &messageText, const QString &informativeText) override;
    void chooseFileToOpen(std::function<void(const QString &path)> chosen) override;
    void chooseFileToSave(
        const QString &title, const QString &suggestedName, std::function<void(const QString &path)> answered) override;
    void copyToClipboard(const std::map<QString, QByteArray> &dataByType) override;
    ClipboardOffer clipboardOffer() const override;
    void chooseFolder(const QString &startFolder, std::function<void(const QString &path)> chosen) override;
    bool openURL(const QUrl &url) override;
    void revealFile(const QString &path) override;

private:
    struct Alert {
        bool warning;
        QString messageText;
        QString informativeText;
    };
    // Shows the alert, or, while one is already showing (its event loop can run code that
    // reports again), shows it after that one.
    void showAlert(Alert alert);

    QWidget *m_window;
    std::deque<Alert> m_pendingAlerts;
    bool m_showingAlert = false;
};

} // namespace narrata
