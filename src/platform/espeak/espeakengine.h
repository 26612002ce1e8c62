#pragma once

#include "platform/speech/audiooutput.h"
#include "platform/speech/speechsynthesizer.h"
#include "platform/speech/synthesisengine.h"
#include "platform/speech/synthesisqueue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace narrata {

// A voice file as espeak-ng lists it: a language voice or a variant.
struct EspeakVoiceFile {
    QString name; // "English (America)", "whisper"
    QString identifier; // its path under espeak-ng-data/voices: "gmw/en-US", "!v/whisper"
    QStringList languages; // language tags, in the order espeak-ng lists them: "en-us", "en"
    int age = 0; // 0 when the file gives none
};

// espeak-ng keeps its state in globals and is not thread-safe, so the process has one engine:
// only its thread calls espeak-ng once the voices are listed, one synthesis after the other.
// A synthesis takes a few milliseconds per sentence, so callers never wait long for their turn;
// they play the samples on their own threads.
class EspeakEngine final : public SynthesisEngine {
public:
    // Synthesis hands samples over in buffers of this length.
    static constexpr int kBufferMilliseconds = 20;

    // The process's engine, started on first use; nullptr when espeak-ng or its voice data cannot
    // be loaded. It lives until the end of the process: espeak-ng 1.51 hangs in espeak_Terminate
    // once it has been initialised a second time, so it is never restarted.
    static std::shared_ptr<EspeakEngine> instance();

    // The rates espeak-ng speaks at, and its normal one; known without starting it.
    static RateRange rateRange();
    static int normalRate();

    ~EspeakEngine() override;
    EspeakEngine(const EspeakEngine &) = delete;
    EspeakEngine &operator=(const EspeakEngine &) = delete;

    const std::vector<EspeakVoiceFile> &voices() const { return m_voices; }
    const std::vector<EspeakVoiceFile> &variants() const { return m_variants; }
    AudioFormat format() const override { return m_format; }
    // The rate espeak-ng starts with: its normal one unless its configuration says otherwise.
    int defaultRate() const { return m_defaultRate; }

    // Queues a synthesis; the engine runs them in the order they came.
    void submit(std::shared_ptr<SynthesisJob> job) override { m_queue->submit(std::move(job)); }

private:
    struct Library; // espeak-ng's initialisation and termination
    EspeakEngine(std::unique_ptr<Library> library, int sampleRate);
    void synthesize(SynthesisJob &job);

    std::unique_ptr<Library> m_library;
    std::vector<EspeakVoiceFile> m_voices;
    std::vector<EspeakVoiceFile> m_variants;
    AudioFormat m_format;
    int m_defaultRate;
    QByteArray m_currentVoice; // engine thread only

    std::unique_ptr<SynthesisQueue> m_queue; // last: starts once everything above exists
};

} // namespace narrata
