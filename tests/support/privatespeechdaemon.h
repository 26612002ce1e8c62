#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdlib>

namespace narrata {

// A speech daemon of the test's own, with no sound device: its "paced" module takes a second
// over every message and plays nothing, and its espeak-ng module plays into ALSA's null device
// (at once). Clients made while it runs reach it through SPEECHD_ADDRESS.
class PrivateSpeechDaemon {
public:
    PrivateSpeechDaemon()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("speech-dispatcher"));
        if (daemon.isEmpty() || !m_dir.isValid()) {
            m_problem = QStringLiteral("speech-dispatcher is not installed");
            return;
        }
        QDir(m_dir.path()).mkdir(QStringLiteral("modules"));
        write(QStringLiteral("speechd.conf"),
            "LogLevel 1\nAudioOutputMethod \"alsa\"\nAudioALSADevice \"null\"\nDefaultModule \"paced\"\n"
            "AddModule \"paced\" \"sd_generic\" \"paced.conf\"\n"
            "AddModule \"espeak-ng\" \"sd_espeak-ng\" \"/etc/speech-dispatcher/modules/espeak-ng.conf\"\n");
        write(QStringLiteral("modules/paced.conf"),
            "GenericExecuteSynth \"sleep 1\"\nGenericLanguage \"en\" \"en_US\" \"utf-8\"\n"
            "AddVoice \"en_US\" \"MALE1\" \"Paced: one\"\n");
        const QString socket = m_dir.filePath(QStringLiteral("socket"));
        // Its log goes to a file: a pipe nobody reads would fill and stop it.
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("errors")));
        m_process.start(daemon,
            {QStringLiteral("-s"), QStringLiteral("-t"), QStringLiteral("0"), QStringLiteral("-C"), m_dir.path(),
                QStringLiteral("-S"), socket, QStringLiteral("-L"), m_dir.path(), QStringLiteral("-P"),
                m_dir.filePath(QStringLiteral("pid"))});
        for (int i = 0; i < 100 && m_process.state() != QProcess::NotRunning && !QFile::exists(socket); ++i)
            QThread::msleep(50);
        if (!QFile::exists(socket)) {
            QFile errors(m_dir.filePath(QStringLiteral("errors")));
            m_problem = QStringLiteral("speech-dispatcher did not start: ")
                + QString::fromUtf8(errors.open(QIODevice::ReadOnly) ? errors.readAll().right(300) : QByteArray());
            return;
        }
        qputenv("SPEECHD_ADDRESS", "unix_socket:" + socket.toUtf8());
    }
    ~PrivateSpeechDaemon()
    {
        qunsetenv("SPEECHD_ADDRESS");
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
    PrivateSpeechDaemon(const PrivateSpeechDaemon &) = delete;
    PrivateSpeechDaemon &operator=(const PrivateSpeechDaemon &) = delete;

    // Why it does not run; empty when it does.
    QString problem() const { return m_problem; }

private:
    void write(const QString &name, const QByteArray &text)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            m_problem = QStringLiteral("cannot write ") + name;
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_problem;
};

} // namespace narrata
