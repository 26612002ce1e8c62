#include "qtdesktopservices.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>

namespace narrata {

QtDesktopServices::QtDesktopServices(QWidget *window)
    : m_window(window)
{
}

void QtDesktopServices::beep()
{
    QApplication::beep();
}

void QtDesktopServices::showAlert(Alert alert)
{
    m_pendingAlerts.push_back(std::move(alert));
    if (m_showingAlert)
        return;
    m_showingAlert = true;
    while (!m_pendingAlerts.empty()) {
        const Alert next = m_pendingAlerts.front();
        m_pendingAlerts.pop_front();
        QMessageBox box(next.warning ? QMessageBox::Warning : QMessageBox::Information, QStringLiteral("Narrata"),
            next.messageText, QMessageBox::Ok, m_window);
        box.setInformativeText(next.informativeText);
        box.exec();
    }
    m_showingAlert = false;
}

void QtDesktopServices::showWarningAlert(const QString &messageText, const QString &informativeText)
{
    showAlert({true, messageText, informativeText});
}

void QtDesktopServices::showInformationAlert(const QString &messageText, const QString &informativeText)
{
    showAlert({false, messageText, informativeText});
}

void QtDesktopServices::chooseFileToOpen(std::function<void(const QString &path)> chosen)
{
    auto *dialog = new QFileDialog(m_window, QStringLiteral("Open PDF"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter(QStringLiteral("PDF documents (*.pdf *.PDF)"));
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString &path) {
        if (!path.isEmpty())
            chosen(path);
    });
    dialog->open();
}

void QtDesktopServices::chooseFileToSave(
    const QString &title, const QString &suggestedName, std::function<void(const QString &path)> answered)
{
    auto *dialog = new QFileDialog(m_window, title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QStringLiteral("PDF documents (*.pdf)"));
    dialog->setDefaultSuffix(QStringLiteral("pdf"));
    dialog->selectFile(suggestedName);
    // finished comes once whatever the answer; the chosen path is read from the dialog.
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, answered = std::move(answered)](int result) {
        const QStringList files = dialog->selectedFiles();
        answered(result == QDialog::Accepted && !files.isEmpty() ? files.constFirst() : QString());
    });
    dialog->open();
}

void QtDesktopServices::copyToClipboard(const std::map<QString, QByteArray> &dataByType)
{
    auto *data = new QMimeData;
    for (const auto &[type, bytes] : dataByType) {
        if (type == QLatin1String("text/plain"))
            data->setText(QString::fromUtf8(bytes));
        else
            data->setData(type, bytes);
    }
    QGuiApplication::clipboard()->setMimeData(data); // the clipboard takes it over
}

ClipboardOffer QtDesktopServices::clipboardOffer() const
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data ? clipboardOfferOf(data->formats(), data->urls()) : ClipboardOffer{};
}

void QtDesktopServices::chooseFolder(const QString &startFolder, std::function<void(const QString &path)> chosen)
{
    auto *dialog = new QFileDialog(m_window, QStringLiteral("Choose Watched Folder"), startFolder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, [chosen = std::move(chosen)](const QString &path) {
        if (!path.isEmpty())
            chosen(path);
    });
    dialog->open();
}

bool QtDesktopServices::openURL(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

void QtDesktopServices::revealFile(const QString &path)
{
    // File managers that follow the freedesktop interface open the folder with the file
    // selected; without one, opening the folder is the best the desktop offers.
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 2000);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return;
    const QFileInfo info(path);
    QDesktopServices::openUrl(QUrl::fromLocalFile(info.isDir() ? path : info.absolutePath()));
}

} // namespace narrata
