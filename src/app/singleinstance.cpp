#include "singleinstance.h"

#include "documents/locationlinks.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <utility>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace narrata {

namespace {

// Percent-encoded so that a path holding a newline cannot end its line early.
QByteArray encodeRequest(const QString &path)
{
    return path.toUtf8().toPercentEncoding("/") + '\n';
}

QString decodeRequest(QByteArray line)
{
    line.chop(1);
    return QString::fromUtf8(QByteArray::fromPercentEncoding(line));
}

// Sent once the whole line is in: until then the file could be lost, so the client waits for it.
constexpr char kAcknowledgement = '+';

constexpr int kProbeTimeoutMs = 500;

bool anInstanceAnswers(const QString &serverName)
{
    QLocalSocket probe;
    probe.connectToServer(serverName);
    return probe.waitForConnected(kProbeTimeoutMs);
}

} // namespace

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent)
    , m_serverName(serverName.isEmpty() ? defaultServerName() : std::move(serverName))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultServerName()
{
#ifdef Q_OS_UNIX
    const QByteArray user = QByteArray::number(::getuid());
#else
    const QByteArray user = qgetenv("USERNAME");
#endif
    // Hashed so that any user name makes a plain file name.
    const QString name = QLatin1String("narrata-")
        + QString::fromLatin1(QCryptographicHash::hash(user, QCryptographicHash::Sha256).toHex().left(16));
    // In the user's own runtime folder no other user can take the name first and be handed our
    // files; the shared temporary folder is the fallback.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? name : QDir(runtime).filePath(name);
}

bool SingleInstance::handOffToRunningInstance(const QString &path, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(int(deadline.remainingTime())))
        return false;
    // The running instance has its own working folder.
    socket.write(encodeRequest(
        path.isEmpty() || LocationLinks::isLocationLink(path) ? path : QFileInfo(path).absoluteFilePath()));
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    while (socket.bytesAvailable() == 0) {
        if (!socket.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    char reply = 0;
    return socket.getChar(&reply) && reply == kAcknowledgement;
}

bool SingleInstance::listen()
{
    if (m_server)
        return true;
    // No socket options: with them the socket is made elsewhere and renamed into place, which
    // would silently replace a live instance's socket instead of failing to bind.
    auto *server = new QLocalServer(this);
    if (!server->listen(m_serverName)) {
        // A socket nobody answers on was left by a reader that crashed; a live one is not ours
        // to take.
        if (server->serverError() != QAbstractSocket::AddressInUseError || anInstanceAnswers(m_serverName)
            || !QLocalServer::removeServer(m_serverName) || !server->listen(m_serverName)) {
            delete server;
            return false;
        }
    }
    m_server = server;
    connect(server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            // The line may come in pieces; only a whole one is a request. The file is handed on
            // after this handler has returned: opening it may show an alert, whose event loop
            // can see the client go and this socket deleted under the handler.
            const auto readRequests = [this, socket] {
                while (socket->canReadLine()) {
                    const QString path = decodeRequest(socket->readLine());
                    socket->putChar(kAcknowledgement);
                    socket->flush();
                    QMetaObject::invokeMethod(
                        this, [this, path] { emit fileRequested(path); }, Qt::QueuedConnection);
                }
            };
            connect(socket, &QLocalSocket::readyRead, this, readRequests);
            readRequests();
        }
    });
    return true;
}

} // namespace narrata
