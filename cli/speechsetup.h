#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <QString>
#include <QTextStream>

#include <memory>

namespace narrata::cli {

// The speech service narrata-cli speaks with: espeak-ng into a WAV file when one is named,
// else to the sound server, else (saying so once on `err`) into silence paced like speech.
// Throws CliError when the WAV file cannot be created.
std::unique_ptr<SpeechService> makeSpeechService(const QString &wavPath, QTextStream &err);

} // namespace narrata::cli
