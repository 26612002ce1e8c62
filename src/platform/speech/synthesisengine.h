#pragma once

#include "platform/speech/audiooutput.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace narrata {

// One text to synthesize. The engine's thread hands it the samples as they come.
class SynthesisJob {
public:
    SynthesisJob(QByteArray utf8Text, QByteArray voice, int wordsPerMinute)
        : text(std::move(utf8Text))
        , voice(std::move(voice))
        , wordsPerMinute(wordsPerMinute)
    {
    }
    virtual ~SynthesisJob() = default;
    SynthesisJob(const SynthesisJob &) = delete;
    SynthesisJob &operator=(const SynthesisJob &) = delete;

    // Checked before the synthesis starts and before every buffer: true stops it.
    virtual bool cancelled() const = 0;
    // A buffer of samples; false stops the synthesis.
    virtual bool samples(const std::int16_t *data, std::size_t count) = 0;
    // Exactly once, last: complete is true when the whole text was synthesized.
    virtual void ended(bool complete) = 0;

    const QByteArray text;
    const QByteArray voice; // a voice identifier the engine offers
    const int wordsPerMinute;
};

// A speech engine running the syntheses of every synthesizer of its backend on a thread of its
// own, one after the other, in the order they came.
class SynthesisEngine {
public:
    virtual ~SynthesisEngine() = default;

    // The format of every sample the engine hands over.
    virtual AudioFormat format() const = 0;
    virtual void submit(std::shared_ptr<SynthesisJob> job) = 0;
};

} // namespace narrata
