#pragma once

#include <QObject>
#include <QString>
#include <QTextStream>

#include <deque>
#include <functional>
#include <memory>

namespace narrata {

class AppDelegate;
class AudioOutput;
class DefaultsStore;
class MainWindow;
class MediaPlayerBus;
class PDFService;
class QtDesktopServices;
class SpeechService;

// The reader put together on the real services: MuPDF, espeak-ng, the user's settings file and
// the desktop. Owns everything the window and the application state need, in the order they
// must be made and taken apart.
class ReaderApplication final : public QObject {
    Q_OBJECT
public:
    struct Options {
        // Print each sentence as it starts to be read, the title of each document shown, and
        // where a word stands on the screen, on standard output (for testing the real program
        // from outside).
        bool reportReading = false;
        QString reportWordPosition;
        // Offer the reading to the desktop's media controls (media keys, headset buttons).
        bool mediaControls = true;
        // Where speech plays instead of the sound server (a benchmark's timed silence); each
        // synthesizer asks for its own output. Empty for the sound server.
        std::function<std::shared_ptr<AudioOutput>()> speechOutputs;
    };

    explicit ReaderApplication(Options options, QObject *parent = nullptr);
    ~ReaderApplication() override;

    // Shows the window and launches; then opens `path` if one is given.
    void start(const QString &path);
    // A file handed over by a later launch.
    void openFile(const QString &path);

    MainWindow &window() { return *m_window; }
    AppDelegate &delegate() { return *m_delegate; }

private:
    void reportWordPosition();

    Options m_options;
    bool m_canSpeak = true;
    bool m_silent = false; // no sound device: reading goes on in silence
    std::deque<QString> m_pendingFiles; // handed over, opened one after another
    QTextStream m_out;
    std::unique_ptr<PDFService> m_pdfService;
    std::unique_ptr<SpeechService> m_speechService;
    std::unique_ptr<DefaultsStore> m_defaults;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<QtDesktopServices> m_desktop;
    std::unique_ptr<AppDelegate> m_delegate;
    std::unique_ptr<MediaPlayerBus> m_mediaPlayer;
};

} // namespace narrata
