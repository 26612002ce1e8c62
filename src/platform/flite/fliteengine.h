#pragma once

#include "platform/speech/speechsynthesizer.h"
#include "platform/speech/synthesisengine.h"
#include "platform/speech/synthesisqueue.h"

#include <QString>

#include <memory>
#include <vector>

struct cst_voice_struct;

namespace narrata {

// flite's English voices, linked into the process, with one thread that synthesizes for every
// flite synthesizer: flite keeps some state in globals, so one synthesis runs at a time. flite
// analyses a whole text before it streams the speech; a stop ends the stream.
class FliteEngine final : public SynthesisEngine {
public:
    struct Voice {
        QString identifier; // "flite:slt"
        VoiceAttributes attributes;
    };

    // The rate flite speaks at without stretching, and the rates it is asked for.
    static constexpr int kNormalRate = 175;
    static RateRange rateRange();

    // The process's engine, with its voices registered; it lives until the end of the process.
    static std::shared_ptr<FliteEngine> instance();

    FliteEngine();
    ~FliteEngine() override;
    FliteEngine(const FliteEngine &) = delete;
    FliteEngine &operator=(const FliteEngine &) = delete;

    const std::vector<Voice> &voices() const { return m_voices; }
    AudioFormat format() const override { return {kSampleRate, 1}; }
    void submit(std::shared_ptr<SynthesisJob> job) override { m_queue->submit(std::move(job)); }

    // The rate speech is resampled to: espeak-ng's, so that one recording can hold both
    // backends' speech.
    static constexpr int kSampleRate = 22050;

private:
    struct Registered; // a voice flite has registered, unregistered when it goes

    void synthesize(SynthesisJob &job);

    std::vector<Voice> m_voices;
    std::vector<Registered> m_registered; // in the order of m_voices

    std::unique_ptr<SynthesisQueue> m_queue; // last: starts once everything above exists
};

} // namespace narrata
