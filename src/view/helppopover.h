#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace narrata {

namespace Ui {
class HelpPopover;
}

// The short help text, dropped down from its toolbar button. Its links open in the browser.
class HelpPopover final : public QWidget {
    Q_OBJECT

public:
    // resourcePath names the HTML text, usually a Qt resource (":/HelpPopoverText.html").
    explicit HelpPopover(QString resourcePath, QWidget *parent = nullptr);
    ~HelpPopover() override;

    // Reads the text, or says that there is none, and shows the popover under anchor, kept on
    // anchor's screen. Nothing of the text is kept while the popover is hidden.
    void showBelow(QWidget *anchor);

private:
    std::unique_ptr<Ui::HelpPopover> ui;
    QString m_resourcePath;
};

} // namespace narrata
