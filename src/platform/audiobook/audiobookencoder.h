#pragma once

#include "audiobook.h"

#include <QString>

#include <functional>

namespace narrata {

// Encodes a 16-bit PCM WAV recording into an audiobook file of the given format, titled and
// chaptered as described: Opus carries its chapters as comments in the file itself, the other
// formats name theirs in a cue sheet beside it (see cueSheet). The file is written under a
// temporary name and takes its own only when complete, so a failed or cancelled encoding
// leaves no partial file. `progress` is told the fraction done and returns false to cancel.
// False, saying why in `error`, when the recording cannot be read or the file not written.
bool encodeAudiobook(const QString &recordingPath, AudiobookFormat format, const AudiobookDescription &description,
    const QString &outputPath, QString *error, const std::function<bool(double fraction)> &progress = {});

} // namespace narrata
