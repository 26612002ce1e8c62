#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <QString>
#include <QTextStream>

#include <memory>
#include <optional>

namespace narrata {
class WavFileOutput;
} // namespace narrata

namespace narrata::cli {

// The speech service narrata-cli speaks with: espeak-ng into a WAV file when one is named,
// else to the sound server, else (saying so once on `err`) into silence paced like speech.
// The WAV file is written under a temporary name beside the one chosen, and takes the chosen
// name only when saved: a run refused or failed before that leaves whatever had the name as
// it was. Throws CliError when the WAV file cannot be created.
class SpeechSetup {
public:
    SpeechSetup(const QString &wavPath, QTextStream &err);
    ~SpeechSetup();
    SpeechSetup(const SpeechSetup &) = delete;
    SpeechSetup &operator=(const SpeechSetup &) = delete;

    std::unique_ptr<SpeechService> takeService() { return std::move(m_service); }
    // Gives the WAV file written so far (a complete file at any moment) its chosen name; true
    // without one. False, saying why in `error`, when it could not be saved.
    bool saveWav(QString *error);
    // How long the WAV file written so far plays; nothing without one.
    std::optional<double> recordedSeconds() const;

private:
    std::unique_ptr<SpeechService> m_service;
    std::shared_ptr<WavFileOutput> m_wav;
    QString m_wavPath;
    QString m_temporaryPath;
};

} // namespace narrata::cli
