#pragma once

#include "text/sentencerecord.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace narrata {

class AppDelegate;
class MainWindow;

// The reader as a media player on the session bus (the MPRIS interfaces), so that media keys,
// headset buttons and the desktop's media controls pause and walk the reading: play and pause
// map to the pause toggle, Play also starts reading, Stop stops, Next and Previous walk one
// sentence. The metadata names the document as the album, the page as the track and the
// sentence being read as the title.
class MediaPlayerBus final : public QObject {
    Q_OBJECT
public:
    MediaPlayerBus(AppDelegate &delegate, MainWindow &window, QObject *parent = nullptr);
    ~MediaPlayerBus() override;

    // Claims the player's name on the session bus; false, with the reason, when there is no bus
    // or the name is taken.
    bool registerOnSessionBus(QString *problem);

    // What the player interfaces call.
    void playPause();
    void play();
    void pause();
    void stop();
    void next();
    void previous();
    void raise();
    void quit();

    // "Playing", "Paused" or "Stopped", read off the speaking loop.
    QString playbackStatus() const;
    QVariantMap metadata() const;

private:
    // Tells the bus what changed, once it changed.
    void publishChanges();

    AppDelegate &m_delegate;
    MainWindow &m_window;
    std::optional<SentenceRecord> m_sentence; // the one being read, or last read
    QString m_publishedStatus;
    QVariantMap m_publishedMetadata;
    bool m_registered = false;
};

} // namespace narrata
