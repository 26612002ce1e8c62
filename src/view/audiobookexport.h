#pragma once

#include <QObject>
#include <QString>

#include <memory>

class QProcess;
class QProgressBar;
class QStatusBar;
class QTemporaryDir;
class QToolButton;
class QWidget;

namespace narrata {

class ShownDocument;

// "Export Audiobook…": the document shown, read into one chaptered audio file by
// narrata-cli export (the same reading, preferences, voice and rate as listening) in a process
// of its own, so the window stays usable. A progress bar with a cancel button stands in the
// status bar meanwhile; a cancelled or failed export leaves no file.
class AudiobookExport final : public QObject {
    Q_OBJECT
public:
    AudiobookExport(ShownDocument &documents, QStatusBar &statusBar, QWidget &window);
    ~AudiobookExport() override;

    // Asks where to save the audiobook, then exports.
    void exportAudiobook();
    // Exports into `path` (its extension names the format); false when no export could start.
    bool exportTo(const QString &path);
    void cancel();
    bool isRunning() const { return m_process != nullptr; }

signals:
    // The export ended: written, or not (cancelled or failed, with the reason).
    void finished(bool written, const QString &problem);

private:
    // The PDF file to read: the one shown, or a copy of a pack that has none.
    QString sourceFile(QString *problem);
    void readProgress();
    void end(bool written, const QString &problem);

    ShownDocument &m_documents;
    QStatusBar &m_statusBar;
    QWidget &m_window;
    QProgressBar *m_bar;
    QToolButton *m_cancel;
    QProcess *m_process = nullptr;
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_output;
    bool m_cancelled = false;
    bool m_reading = false; // the export has said it reads
};

} // namespace narrata
