#include "mediaplayerbus.h"

#include "mediaplayeradaptors.h"

#include "documents/appdelegate.h"
#include "view/custompdfview.h"
#include "view/mainwindow.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>

namespace narrata {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

} // namespace

MediaPlayerBus::MediaPlayerBus(AppDelegate &delegate, MainWindow &window, QObject *parent)
    : QObject(parent)
    , m_delegate(delegate)
    , m_window(window)
{
    new RootAdaptor(this, *this);
    new PlayerAdaptor(this, *this);
    connect(&delegate, &AppDelegate::sentenceStarted, this, [this](const SentenceRecord &sentence) {
        m_sentence = sentence;
        publishChanges();
    });
    connect(&delegate, &AppDelegate::pauseToggled, this, &MediaPlayerBus::publishChanges);
    connect(&window, &QWidget::windowTitleChanged, this, &MediaPlayerBus::publishChanges);
    // The loop reports no event when an utterance ends in silence (a walk's end, a stop from
    // the keyboard), so the state is read again while reading may be under way.
    auto *settle = new QTimer(this);
    settle->setInterval(750);
    connect(settle, &QTimer::timeout, this, &MediaPlayerBus::publishChanges);
    settle->start();
}

MediaPlayerBus::~MediaPlayerBus()
{
    if (m_registered)
        QDBusConnection::sessionBus().unregisterObject(kObjectPath);
}

bool MediaPlayerBus::registerOnSessionBus(QString *problem)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *problem = QStringLiteral("no session bus: %1").arg(bus.lastError().message());
        return false;
    }
    if (!bus.registerObject(kObjectPath, this)) {
        *problem = QStringLiteral("the media player object is taken");
        return false;
    }
    m_registered = true;
    // A second reader running apart from the first (--separate) takes a name of its own.
    QString name = QStringLiteral("org.mpris.MediaPlayer2.narrata");
    if (bus.interface()->isServiceRegistered(name))
        name += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    if (!bus.registerService(name)) {
        *problem = QStringLiteral("cannot take the name %1: %2").arg(name, bus.lastError().message());
        return false;
    }
    return true;
}

QString MediaPlayerBus::playbackStatus() const
{
    SpeakingLoop &loop = m_delegate.speakingLoop();
    if (loop.isSpeechPausedByUser)
        return QStringLiteral("Paused");
    if (loop.synthesizer() && loop.synthesizer()->isSpeaking())
        return QStringLiteral("Playing");
    return QStringLiteral("Stopped");
}

QVariantMap MediaPlayerBus::metadata() const
{
    QVariantMap metadata{{QStringLiteral("xesam:album"), m_window.windowTitle()}};
    if (!m_sentence) {
        metadata.insert(QStringLiteral("mpris:trackid"),
            QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"))));
        return metadata;
    }
    metadata.insert(QStringLiteral("mpris:trackid"),
        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/narrata/Page%1/Sentence%2")
                                                .arg(m_sentence->pageIndex + 1)
                                                .arg(m_sentence->range.location))));
    metadata.insert(QStringLiteral("xesam:title"), m_sentence->sentence);
    metadata.insert(QStringLiteral("xesam:trackNumber"), static_cast<int>(m_sentence->pageIndex + 1));
    return metadata;
}

void MediaPlayerBus::publishChanges()
{
    QVariantMap changed;
    if (const QString status = playbackStatus(); status != m_publishedStatus) {
        m_publishedStatus = status;
        changed.insert(QStringLiteral("PlaybackStatus"), status);
    }
    if (QVariantMap now = metadata(); now != m_publishedMetadata) {
        m_publishedMetadata = now;
        changed.insert(QStringLiteral("Metadata"), now);
    }
    if (!m_registered || changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

void MediaPlayerBus::playPause()
{
    if (playbackStatus() == QLatin1String("Stopped"))
        return play();
    m_delegate.togglePauseSpeech();
}

void MediaPlayerBus::play()
{
    const QString status = playbackStatus();
    if (status == QLatin1String("Paused"))
        m_delegate.togglePauseSpeech();
    else if (status == QLatin1String("Stopped"))
        m_delegate.menuCommandSpeakFromCurrentSelection();
}

void MediaPlayerBus::pause()
{
    if (playbackStatus() == QLatin1String("Playing"))
        m_delegate.togglePauseSpeech();
}

void MediaPlayerBus::stop()
{
    m_delegate.stopSpeaking();
    publishChanges();
}

void MediaPlayerBus::next()
{
    m_delegate.startSentenceWalkL(m_window.pdfView()->currentSelectionSentenceDict());
}

void MediaPlayerBus::previous()
{
    m_delegate.startSentenceWalkJ(m_window.pdfView()->currentSelectionSentenceDict());
}

void MediaPlayerBus::raise()
{
    m_window.show();
    m_window.raise();
    m_window.activateWindow();
}

void MediaPlayerBus::quit()
{
    m_window.close();
}

} // namespace narrata
