#pragma once

#include "platform/speech/audiooutput.h"
#include "platform/speech/ownerrelay.h"
#include "platform/speech/speechsynthesizer.h"
#include "platform/speech/synthesisengine.h"

#include <QtGlobal>

#include <functional>
#include <memory>

namespace narrata {

class SynthesisWorker;

// A synthesizer speaking with one voice of a synthesis engine into one audio output.
//
// It belongs to the thread that created it, which needs an event loop for the reports; the
// synthesis runs on a worker thread of its own. The bookkeeping of utterances stays on the
// owner's thread: the current utterance's number and whether it is still speaking. Ending an
// utterance there (stop, or a new one) reports it at once, queued; the worker's later notice
// for it is then dropped, so every utterance is reported exactly once.
class EngineSynthesizer final : public SpeechSynthesizer {
public:
    // A synthesizer playing into the output `outputs` gives, or into silence paced like speech.
    static std::unique_ptr<SpeechSynthesizer> create(std::shared_ptr<SynthesisEngine> engine, QString voice,
        const AudioOutputFactory &outputs, float rate, RateRange rates);
    // voice: one the engine offers; the service checks it. rate: the service's default rate, and
    // rates: its range, which setRate holds rates to.
    EngineSynthesizer(std::shared_ptr<SynthesisEngine> engine, QString voice, std::shared_ptr<AudioOutput> output,
        float rate, RateRange rates);
    // Stops without a report.
    ~EngineSynthesizer() override;
    EngineSynthesizer(const EngineSynthesizer &) = delete;
    EngineSynthesizer &operator=(const EngineSynthesizer &) = delete;

    void setDelegate(SpeechSynthesizerDelegate *delegate) override { m_delegate = delegate; }
    void startSpeakingString(const QString &text) override;
    void stopSpeaking() override;
    bool isSpeaking() const override { return m_speaking; }
    // A change takes effect with the next utterance.
    float rate() const override { return m_rate; }
    void setRate(float wordsPerMinute) override;
    QString voice() const override { return m_voice; }

private:
    void endCurrent(); // ends the current utterance as not finished, reporting it queued
    void workerEnded(quint64 utterance, bool finished);
    void report(bool finished);

    const QString m_voice;
    const RateRange m_rates;
    float m_rate;
    SpeechSynthesizerDelegate *m_delegate = nullptr;
    quint64 m_utterance = 0; // the latest utterance
    bool m_speaking = false;
    OwnerRelay<EngineSynthesizer> m_relay{this}; // outlives the worker
    std::unique_ptr<SynthesisWorker> m_worker;
};

} // namespace narrata
