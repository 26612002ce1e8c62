#pragma once

#include "audiobook.h"

#include <QString>

namespace narrata {

// A cue sheet naming the chapters of an audio file (its name as it stands beside the sheet),
// with times in minutes, seconds and frames of 1/75 second.
QString cueSheet(
    const QString &audioFileName, AudiobookFormat format, const AudiobookDescription &description, int sampleRate);

} // namespace narrata
