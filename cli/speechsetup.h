#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <QString>
#include <QTextStream>

#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <vector>

namespace narrata {
class TemporaryFileBeside;
class WavFileOutput;
} // namespace narrata

namespace narrata::cli {

// How long the speech daemon's voices are waited for when they are asked for: it may have to
// start, and list thousands of voices.
extern const std::chrono::milliseconds kSpeechDaemonWait;

// Starts espeak-ng on a thread of its own; the speech service made later takes it over. The
// future is ready once it has started (or failed to).
std::future<void> startSpeechEngine();

// The speech service narrata-cli speaks with: espeak-ng's and flite's voices, into a WAV file
// when one is named, else to the sound server, else (saying so once on `err`) into silence
// paced like speech. When `voice`, the voice asked for (else the stored one), is the speech
// daemon's, the daemon's voices are added and waited for, and it speaks them itself; with a WAV
// file such a voice is refused, since the daemon hands back no audio to record (a stored one
// gives way to the default voice, saying so on `err`). The WAV file is written under a
// temporary name beside the one chosen, and takes the chosen name only when saved: a run refused
// or failed before that leaves whatever had the name as it was. Throws CliError when the WAV
// file cannot be created.
class SpeechSetup {
public:
    SpeechSetup(const QString &wavPath, QTextStream &err, const QString &voice);
    ~SpeechSetup();
    SpeechSetup(const SpeechSetup &) = delete;
    SpeechSetup &operator=(const SpeechSetup &) = delete;

    std::unique_ptr<SpeechService> takeService() { return std::move(m_service); }
    // Gives the WAV file written so far (a complete file at any moment) its chosen name; true
    // without one. False, saying why in `error`, when it could not be saved.
    bool saveWav(QString *error);
    // How long the WAV file written so far plays; nothing without one.
    std::optional<double> recordedSeconds() const;
    // Where each utterance that ran to its end stopped in the recording, in sample frames, in
    // the order spoken; empty without a recording.
    std::vector<qint64> utteranceEnds() const;
    // The WAV file being written, under its temporary name until saved; empty without one.
    QString recordingPath() const;

private:
    std::unique_ptr<SpeechService> m_service;
    std::shared_ptr<WavFileOutput> m_wav;
    std::shared_ptr<class MarkedRecording> m_recording;
    std::unique_ptr<TemporaryFileBeside> m_temporary;
};

} // namespace narrata::cli
