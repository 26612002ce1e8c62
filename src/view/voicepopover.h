#pragma once

#include <QWidget>

#include <memory>

namespace narrata {

class SpeakingLoop;
class VoiceCatalogue;

namespace Ui {
class VoicePopover;
}

// The voice and speed chooser, popping up above its status bar button. It only shows the
// catalogue and passes the user's picks to it: nothing is heard or stored before Apply or Reset.
class VoicePopover final : public QWidget {
    Q_OBJECT

public:
    VoicePopover(VoiceCatalogue &catalogue, SpeakingLoop &loop, QWidget *parent = nullptr);
    ~VoicePopover() override;

    // Puts the stored voice and speed back (restarting the sentence being spoken), then shows the
    // popover over anchor, kept on anchor's screen.
    void showAbove(QWidget *anchor);

signals:
    // After Apply or Reset: the loop now speaks with another voice or speed.
    void voiceChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void mirrorCatalogue();
    void addBackendLabel(const QString &backend);
    // The catalogue's menu item of an item's voice; -1 for a backend's name.
    int entryIndex(const QVariant &voice) const;
    void applyClicked();
    void resetClicked();

    std::unique_ptr<Ui::VoicePopover> ui;
    VoiceCatalogue &m_catalogue;
    SpeakingLoop &m_loop;
};

} // namespace narrata
