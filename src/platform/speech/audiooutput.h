#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace narrata {

// Signed 16-bit little-endian samples, interleaved when there is more than one channel.
struct AudioFormat {
    int sampleRate = 22050;
    int channels = 1;

    friend bool operator==(const AudioFormat &, const AudioFormat &) = default;
};

// Where synthesized speech goes. All calls come from the synthesis thread, one utterance
// after the other; an output stays open between utterances.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    // Queues samples for playing, blocking as long as playback needs to keep pace. False when
    // the output failed (the synthesizer then ends the utterance as not finished).
    virtual bool write(const std::int16_t *samples, std::size_t count, const AudioFormat &format) = 0;
    // Waits until everything written has been played: the end of an utterance.
    virtual void drain() = 0;
    // Drops what was written but not yet played: an utterance stopped.
    virtual void discard() = 0;
    // A short description for messages ("PulseAudio", "WAV file out.wav", "no sound").
    virtual QString description() const = 0;
};

// Where each new synthesizer plays: a new output per synthesizer (a sound server stream), or
// one shared by all (a WAV file). nullptr gives that synthesizer silence paced like speech.
using AudioOutputFactory = std::function<std::shared_ptr<AudioOutput>()>;

} // namespace narrata
