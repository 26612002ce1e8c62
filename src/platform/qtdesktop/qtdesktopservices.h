#pragma once

#include "platform/desktop/desktopservices.h"

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
    void chooseFolder(const QString &startFolder, std::function<void(const QString &path)> chosen) override;
    bool openURL(const QUrl &url) override;
    void revealFile(const QString &path) override;

private:
    QWidget *m_window;
};

} // namespace narrata
