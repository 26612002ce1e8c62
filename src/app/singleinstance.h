#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace narrata {

// One reader per user session: a second launch hands the file it was given to the running
// reader over a local socket and quits. The socket's name is per user, so two users on one
// machine each have their own reader.
class SingleInstance final : public QObject {
    Q_OBJECT
public:
    // serverName: empty for the default, per-user name; tests pass their own.
    explicit SingleInstance(QString serverName = {}, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Tries to hand `path` (may be empty: just bring the reader forward) to a running
    // instance. True when one took it; the caller should then quit.
    bool handOffToRunningInstance(const QString &path, int timeoutMs = 1000) const;
    // Becomes the running instance: later launches reach fileRequested. Removes a stale
    // socket left by a crashed reader. False when listening failed.
    bool listen();

    static QString defaultServerName();

signals:
    // A later launch asked for this file (empty: only to come forward).
    void fileRequested(const QString &path);

private:
    QString m_serverName;
    QLocalServer *m_server = nullptr;
};

} // namespace narrata
