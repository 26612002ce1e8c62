#pragma once

#include "documents/readerwindow.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QToolButton;

namespace Ui {
class MainWindow;
}

namespace narrata {

class AppDelegate;
class AudiobookExport;
class ClipboardConverter;
class CustomPDFView;
class DefaultsStore;
class HelpPopover;
class LinkPopover;
class PreferencesPopover;
class VoicePopover;
class WordMappingsEditor;

// The reader's window: the page view under a toolbar, menus whose items are named after the
// commands they send, and a status bar with the page, session and voice labels. Its menus
// ask the application which items are enabled each time they open.
class MainWindow final : public QMainWindow, public ReaderWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    CustomPDFView *pdfView() const;
    // Connects the menus, keys and popovers to the application. Called once, before launch.
    void setDelegate(AppDelegate &delegate, DefaultsStore &defaults, const QString &helpResource);
    // The clipboard converter's window, which the clipboard commands use. Set after the delegate.
    void setClipboardConverter(std::unique_ptr<ClipboardConverter> converter);
    ClipboardConverter *clipboardConverter() const { return m_clipboardConverter.get(); }
    AudiobookExport *audiobookExport() const { return m_audiobookExport.get(); }
    // Lets go of the application before it goes: the popovers and the editor work on its parts.
    void releaseDelegate();
    // The item that sends a command, by the command's name.
    QAction *action(const QString &command) const;
    // Brings every menu item up to date, as opening its menu does.
    void validateMenus();
    QLabel *labelTextPDFInfo() const { return m_labelTextPDFInfo; }
    QLabel *labelCurrentSessionStats() const { return m_labelCurrentSessionStats; }
    WordMappingsEditor *wordMappingsEditor() const { return m_wordMappingsEditor.get(); }

    QString windowTitle() const override { return QMainWindow::windowTitle(); }
    void setWindowTitle(const QString &title) override;
    void setRepresentedURL(const QUrl &url) override;
    void setLabelTextPDFInfo(const QString &text) override;
    void setLabelCurrentSessionStats(const QString &text) override;
    void setLabelTextVoiceInfo(const QString &text) override;
    int windowLevel() const override { return m_windowLevel; }
    void setWindowLevel(int level) override;
    void popUpRecentPDFs(
        const std::vector<RecentFileEntry> &entries, std::function<void(const RecentFileEntry &)> chosen) override;
    void popUpOutlineMenu(
        const std::vector<OutlineMenuItem> &items, std::function<void(const OutlineEntry &)> chosen) override;
    void setBusy(const QString &task) override;
    // Reading is paused: the toolbar offers Resume and the status bar says so.
    void showReadingPaused(bool paused);
    // Speech goes to no sound device; said once, in the status bar, never in a dialog.
    void showNoSoundDevice();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void connectCommands();
    void useStyleIconsWhereTheThemeHasNone();
    void validate(QMenu *menu);
    void fillOpenRecentMenu();
    QWidget *anchorFor(const QString &command) const;

    std::unique_ptr<::Ui::MainWindow> m_ui;
    AppDelegate *m_delegate = nullptr;
    QLabel *m_labelTextPDFInfo;
    QLabel *m_labelCurrentSessionStats;
    QLabel *m_labelReadingPaused;
    QLabel *m_labelNoSoundDevice;
    QToolButton *m_buttonTTSVoicePopover;
    std::unique_ptr<PreferencesPopover> m_preferencesPopover;
    std::unique_ptr<VoicePopover> m_voicePopover;
    std::unique_ptr<HelpPopover> m_helpPopover;
    std::unique_ptr<LinkPopover> m_linkPopover;
    std::unique_ptr<WordMappingsEditor> m_wordMappingsEditor;
    std::unique_ptr<ClipboardConverter> m_clipboardConverter;
    std::unique_ptr<AudiobookExport> m_audiobookExport;
    int m_windowLevel = 0;
    bool m_toolbarUsesStandardIcons = false;
};

} // namespace narrata
