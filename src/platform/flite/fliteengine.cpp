#include "platform/flite/fliteengine.h"

#include <flite/flite.h>

#include <algorithm>
#include <cmath>
#include <vector>

extern "C" {
cst_voice *register_cmu_us_kal(const char *voxdir);
void unregister_cmu_us_kal(cst_voice *voice);
cst_voice *register_cmu_us_kal16(const char *voxdir);
void unregister_cmu_us_kal16(cst_voice *voice);
cst_voice *register_cmu_us_awb(const char *voxdir);
void unregister_cmu_us_awb(cst_voice *voice);
cst_voice *register_cmu_us_rms(const char *voxdir);
void unregister_cmu_us_rms(cst_voice *voice);
cst_voice *register_cmu_us_slt(const char *voxdir);
void unregister_cmu_us_slt(cst_voice *voice);
}

namespace narrata {

namespace {

// flite gives its voices no age; its speakers are adults.
constexpr int kAdultAge = 35;

struct VoiceLibrary {
    const char *identifier;
    const char *name;
    cst_voice *(*registerVoice)(const char *);
    void (*unregisterVoice)(cst_voice *);
};

// All of them speak with flite's US English lexicon.
constexpr VoiceLibrary kLibraries[] = {
    {"flite:awb", "AWB (flite)", register_cmu_us_awb, unregister_cmu_us_awb},
    {"flite:kal", "Kal (flite)", register_cmu_us_kal, unregister_cmu_us_kal},
    {"flite:kal16", "Kal 16 kHz (flite)", register_cmu_us_kal16, unregister_cmu_us_kal16},
    {"flite:rms", "RMS (flite)", register_cmu_us_rms, unregister_cmu_us_rms},
    {"flite:slt", "SLT (flite)", register_cmu_us_slt, unregister_cmu_us_slt},
};

// Speech as flite streams it, chunk after chunk, resampled to the engine's rate by linear
// interpolation as it comes, and handed to the job.
struct Stream {
    explicit Stream(SynthesisJob &job)
        : job(job)
    {
    }

    SynthesisJob &job;
    bool streamed = false;
    bool stopped = false;
    double position = 0; // of the next sample to make, in samples of the chunk from its first
    std::int16_t previous = 0; // the last sample of the chunk before
    std::vector<std::int16_t> resampled;

    // False once the job wants no more.
    bool take(const short *samples, int count, int sampleRate)
    {
        const double step = static_cast<double>(sampleRate) / FliteEngine::kSampleRate;
        resampled.clear();
        for (; position < count - 1; position += step) {
            const auto at = static_cast<int>(std::floor(position));
            const double from = at < 0 ? previous : samples[at];
            const double to = samples[at + 1];
            resampled.push_back(static_cast<std::int16_t>(std::lround(from + (to - from) * (position - at))));
        }
        position -= count;
        previous = samples[count - 1];
        stopped = job.cancelled() || (!resampled.empty() && !job.samples(resampled.data(), resampled.size()));
        return !stopped;
    }
};

int streamChunk(const cst_wave *wave, int start, int size, int /*last*/, cst_audio_streaming_info *info)
{
    auto *stream = static_cast<Stream *>(info->userdata);
    if (!stream || size <= 0)
        return CST_AUDIO_STREAM_CONT;
    stream->streamed = true;
    return stream->take(wave->samples + start, size, wave->sample_rate) ? CST_AUDIO_STREAM_CONT : CST_AUDIO_STREAM_STOP;
}

struct WaveDeleter {
    void operator()(cst_wave *wave) const { delete_wave(wave); }
};

} // namespace

struct FliteEngine::Registered {
    struct Unregister {
        void (*unregisterVoice)(cst_voice *);
        void operator()(cst_voice *voice) const { unregisterVoice(voice); }
    };
    std::unique_ptr<cst_voice, Unregister> voice;
    cst_audio_streaming_info *streaming; // the voice's
};

RateRange FliteEngine::rateRange()
{
    return {80, 450};
}

std::shared_ptr<FliteEngine> FliteEngine::instance()
{
    static const auto engine = std::make_shared<FliteEngine>();
    return engine;
}

FliteEngine::FliteEngine()
{
    static const int initialised = flite_init();
    Q_UNUSED(initialised);
    for (const VoiceLibrary &library : kLibraries) {
        cst_voice *voice = library.registerVoice(nullptr);
        if (!voice)
            continue;
        // The voice's features own the streaming information; each synthesis points it at its stream.
        cst_audio_streaming_info *streaming = new_audio_streaming_info();
        streaming->asc = streamChunk;
        feat_set(voice->features, "streaming_info", audio_streaming_info_val(streaming));
        m_registered.push_back({{voice, {library.unregisterVoice}}, streaming});
        m_voices.push_back({QString::fromLatin1(library.identifier),
            {QString::fromLatin1(library.name), QStringLiteral("en_US"), kAdultAge, false}});
    }
    m_queue = std::make_unique<SynthesisQueue>([this](SynthesisJob &job) { synthesize(job); });
}

FliteEngine::~FliteEngine() = default;

void FliteEngine::synthesize(SynthesisJob &job)
{
    const auto found = std::find_if(
        m_voices.begin(), m_voices.end(), [&](const Voice &voice) { return voice.identifier.toUtf8() == job.voice; });
    if (job.cancelled() || found == m_voices.end()) {
        job.ended(false);
        return;
    }
    const Registered &registered = m_registered[static_cast<std::size_t>(found - m_voices.begin())];
    feat_set_float(registered.voice->features, "duration_stretch",
        static_cast<float>(kNormalRate) / static_cast<float>(std::max(1, job.wordsPerMinute)));
    Stream stream(job);
    registered.streaming->userdata = &stream;
    const std::unique_ptr<cst_wave, WaveDeleter> wave(flite_text_to_wave(job.text.constData(), registered.voice.get()));
    registered.streaming->userdata = nullptr;
    // A voice that does not stream hands its speech over at the end.
    if (wave && !stream.streamed && !stream.stopped && wave->num_samples > 0)
        stream.take(wave->samples, wave->num_samples, wave->sample_rate);
    job.ended(wave && !stream.stopped);
}

} // namespace narrata
