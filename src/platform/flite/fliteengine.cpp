#include "platform/flite/fliteengine.h"

#include <flite/flite.h>

#include <algorithm>

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
        m_registered.push_back({{voice, {library.unregisterVoice}}});
        m_voices.push_back({QString::fromLatin1(library.identifier),
            {QString::fromLatin1(library.name), QStringLiteral("en_US"), kAdultAge, false}});
    }
    m_thread = std::thread([this] { run(); });
}

FliteEngine::~FliteEngine()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void FliteEngine::submit(std::shared_ptr<SynthesisJob> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void FliteEngine::run()
{
    for (;;) {
        std::shared_ptr<SynthesisJob> job;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_quit)
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        synthesize(*job);
    }
    // Jobs still queued are ended as well, as every job is.
    for (const auto &job : m_jobs)
        job->ended(false);
}

void FliteEngine::synthesize(SynthesisJob &job)
{
    const auto found = std::find_if(
        m_voices.begin(), m_voices.end(), [&](const Voice &voice) { return voice.identifier.toUtf8() == job.voice; });
    if (job.cancelled() || found == m_voices.end()) {
        job.ended(false);
        return;
    }
    cst_voice *voice = m_registered[static_cast<std::size_t>(found - m_voices.begin())].voice.get();
    feat_set_float(voice->features, "duration_stretch",
        static_cast<float>(kNormalRate) / static_cast<float>(std::max(1, job.wordsPerMinute)));
    const std::unique_ptr<cst_wave, WaveDeleter> wave(flite_text_to_wave(job.text.constData(), voice));
    if (!wave) {
        job.ended(false);
        return;
    }
    if (wave->sample_rate != kSampleRate && wave->num_samples > 0)
        cst_wave_resample(wave.get(), kSampleRate);
    const auto total = static_cast<std::size_t>(std::max(0, wave->num_samples * std::max(1, wave->num_channels)));
    const std::size_t buffer = kSampleRate / 50; // 20 ms
    for (std::size_t at = 0; at < total; at += buffer) {
        if (job.cancelled()
            || !job.samples(reinterpret_cast<const std::int16_t *>(wave->samples) + at, std::min(buffer, total - at))) {
            job.ended(false);
            return;
        }
    }
    job.ended(true);
}

} // namespace narrata
