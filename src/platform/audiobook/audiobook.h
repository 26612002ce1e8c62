#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace narrata {

enum class AudiobookFormat { Opus, Flac, Mp3, Wav };

// The format a file name asks for by its extension (.opus, .flac, .mp3, .wav), or none.
std::optional<AudiobookFormat> audiobookFormatForPath(const QString &path);

// Where a chapter begins in the audio, in samples, and its name.
struct AudiobookChapter {
    qint64 startSample = 0;
    QString title;

    friend bool operator==(const AudiobookChapter &, const AudiobookChapter &) = default;
};

// What an audiobook says about itself.
struct AudiobookDescription {
    QString title;
    QString author;
    std::vector<AudiobookChapter> chapters; // in order, the first at sample 0
};

} // namespace narrata
