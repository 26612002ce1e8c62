#pragma once

#include "platform/speech/audiooutput.h"
#include "platform/speech/synthesisengine.h"

#include <QByteArray>
#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace narrata {

class Utterance;

// The synthesis thread of one synthesizer: it has the engine synthesize each utterance and
// plays the samples into the output as they come, pacing itself on the output.
//
// speak() and stop() come from the owner's thread and return at once; the worker notices a
// stop between two slices of at most kSliceMilliseconds written to the output, drops what the
// output still holds (discard) and goes on with the next utterance, if any.
class SynthesisWorker {
public:
    static constexpr int kSliceMilliseconds = 10;

    // Called on the worker's thread when an utterance it started has ended; finished is true
    // when it was played to its end. Utterances replaced before they started are not reported.
    using EndNotice = std::function<void(quint64 utterance, bool finished)>;

    SynthesisWorker(std::shared_ptr<SynthesisEngine> engine, std::shared_ptr<AudioOutput> output, EndNotice ended);
    // Ends the utterance in progress and waits for the thread, which sends no notice after.
    ~SynthesisWorker();
    SynthesisWorker(const SynthesisWorker &) = delete;
    SynthesisWorker &operator=(const SynthesisWorker &) = delete;

    // Ends the utterance in progress or waiting, and speaks this one next.
    void speak(quint64 utterance, QByteArray utf8Text, QByteArray voice, int wordsPerMinute);
    // Ends the utterance in progress or waiting.
    void stop();

private:
    struct Request {
        quint64 utterance;
        QByteArray text;
        QByteArray voice;
        int wordsPerMinute;
    };

    void run();
    bool play(const std::shared_ptr<Utterance> &utterance);
    bool writeSlices(const std::vector<std::int16_t> &samples, const Utterance &utterance);

    const std::shared_ptr<SynthesisEngine> m_engine;
    const std::shared_ptr<AudioOutput> m_output; // worker thread only, once it runs
    const EndNotice m_ended;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<Request> m_pending;
    std::shared_ptr<Utterance> m_active; // the utterance being played, for stopping it
    bool m_quit = false;
    std::thread m_thread; // last: starts once everything above exists
};

} // namespace narrata
