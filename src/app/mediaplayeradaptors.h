#pragma once

#include "mediaplayerbus.h"

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>

namespace narrata {

// org.mpris.MediaPlayer2: the application itself.
class RootAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    RootAdaptor(QObject *object, MediaPlayerBus &player)
        : QDBusAbstractAdaptor(object)
        , m_player(player)
    {
    }
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return QStringLiteral("Narrata"); }
    QString desktopEntry() const { return QStringLiteral("narrata"); }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const { return {QStringLiteral("application/pdf")}; }

    // The bus calls the public slots; to the compiler they are plain public members.
public slots: // NOLINT(readability-redundant-access-specifiers)
    void Raise() { m_player.raise(); }
    void Quit() { m_player.quit(); }

private:
    MediaPlayerBus &m_player;
};

// org.mpris.MediaPlayer2.Player: the reading. Reading has no position to seek to; the rate and
// volume belong to the voice popover and are shown as fixed here.
class PlayerAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ one)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(double Volume READ one)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ no)
    Q_PROPERTY(bool CanControl READ yes)
public:
    PlayerAdaptor(QObject *object, MediaPlayerBus &player)
        : QDBusAbstractAdaptor(object)
        , m_player(player)
    {
    }
    QString playbackStatus() const { return m_player.playbackStatus(); }
    QVariantMap metadata() const { return m_player.metadata(); }
    double one() const { return 1.0; }
    qlonglong position() const { return 0; }
    bool yes() const { return true; }
    bool no() const { return false; }

    // The bus calls the public slots; to the compiler they are plain public members.
public slots: // NOLINT(readability-redundant-access-specifiers)
    void PlayPause() { m_player.playPause(); }
    void Play() { m_player.play(); }
    void Pause() { m_player.pause(); }
    void Stop() { m_player.stop(); }
    void Next() { m_player.next(); }
    void Previous() { m_player.previous(); }
    void Seek(qlonglong) { }
    void SetPosition(const QDBusObjectPath &, qlonglong) { }
    void OpenUri(const QString &) { }

signals:
    void Seeked(qlonglong position);

private:
    MediaPlayerBus &m_player;
};

} // namespace narrata
