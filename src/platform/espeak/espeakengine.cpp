#include "platform/espeak/espeakengine.h"

#include <espeak-ng/espeak_ng.h>

#include <QtGlobal>

#include <algorithm>
#include <cstring>

namespace narrata {

namespace {

QString statusMessage(espeak_ng_STATUS status)
{
    char text[512] = {};
    espeak_ng_GetStatusCodeMessage(status, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

// The languages field: for each language, a priority byte and a zero-terminated tag; an empty
// tag ends the list.
QStringList languageTags(const char *field)
{
    QStringList tags;
    for (const char *p = field; p && p[0] != 0 && p[1] != 0; p += std::strlen(p + 1) + 2)
        tags.append(QString::fromUtf8(p + 1));
    return tags;
}

std::vector<EspeakVoiceFile> listVoices(espeak_VOICE *selector)
{
    std::vector<EspeakVoiceFile> files;
    const espeak_VOICE **list = espeak_ListVoices(selector);
    for (; list && *list; ++list) {
        const espeak_VOICE &voice = **list;
        if (voice.name && voice.identifier)
            files.push_back({QString::fromUtf8(voice.name), QString::fromUtf8(voice.identifier),
                languageTags(voice.languages), voice.age});
    }
    return files;
}

// What the sample callback needs of a synthesis; espeak-ng passes it back as user data.
struct Synthesis {
    SynthesisJob *job;
    bool stopped = false;
};

int receiveSamples(short *samples, int count, espeak_EVENT *events)
{
    // Every call carries at least the event that ends the list, with our user data; without it
    // nobody wants the samples.
    auto *synthesis = events ? static_cast<Synthesis *>(events->user_data) : nullptr;
    if (!synthesis)
        return 1;
    const bool keepGoing = !synthesis->job->cancelled()
        && (!samples || count <= 0
            || synthesis->job->samples(
                reinterpret_cast<const std::int16_t *>(samples), static_cast<std::size_t>(count)));
    synthesis->stopped = synthesis->stopped || !keepGoing;
    return keepGoing ? 0 : 1;
}

} // namespace

RateRange EspeakEngine::rateRange()
{
    return {static_cast<float>(espeakRATE_MINIMUM), static_cast<float>(espeakRATE_MAXIMUM)};
}

int EspeakEngine::normalRate()
{
    return espeakRATE_NORMAL;
}

struct EspeakEngine::Library {
    ~Library() { espeak_Terminate(); }
};

std::shared_ptr<EspeakEngine> EspeakEngine::instance()
{
    static const std::shared_ptr<EspeakEngine> engine = []() -> std::shared_ptr<EspeakEngine> {
        espeak_ng_InitializePath(nullptr);
        espeak_ng_ERROR_CONTEXT context = nullptr;
        espeak_ng_STATUS status = espeak_ng_Initialize(&context);
        espeak_ng_ClearErrorContext(&context);
        if (status != ENS_OK) {
            qWarning("espeak-ng cannot start: %s", qPrintable(statusMessage(status)));
            return nullptr;
        }
        auto library = std::make_unique<Library>();
        // Synchronous: espeak_Synth runs the whole synthesis on the calling thread and hands
        // over the samples through the callback; espeak-ng plays nothing itself.
        status = espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, kBufferMilliseconds, nullptr);
        if (status != ENS_OK) {
            qWarning("espeak-ng cannot synthesize: %s", qPrintable(statusMessage(status)));
            return nullptr;
        }
        return std::shared_ptr<EspeakEngine>(new EspeakEngine(std::move(library), espeak_ng_GetSampleRate()));
    }();
    return engine;
}

EspeakEngine::EspeakEngine(std::unique_ptr<Library> library, int sampleRate)
    : m_library(std::move(library))
    , m_format{sampleRate, 1}
    , m_defaultRate(normalRate())
{
    espeak_SetSynthCallback(receiveSamples);
    m_voices = listVoices(nullptr);
    // Variants are the voice files of the pseudo-language "variant".
    espeak_VOICE selector{};
    selector.languages = "variant";
    m_variants = listVoices(&selector);
    m_defaultRate = espeak_GetParameter(espeakRATE, 0);
    m_queue = std::make_unique<SynthesisQueue>([this](SynthesisJob &job) { synthesize(job); });
}

EspeakEngine::~EspeakEngine() = default;

void EspeakEngine::synthesize(SynthesisJob &job)
{
    if (job.cancelled()) {
        job.ended(false);
        return;
    }
    // Loading a voice costs little, but skipping it keeps the time to the first sample down.
    if (job.voice != m_currentVoice) {
        if (espeak_SetVoiceByName(job.voice.constData()) != EE_OK) {
            m_currentVoice.clear();
            job.ended(false);
            return;
        }
        m_currentVoice = job.voice;
    }
    espeak_SetParameter(espeakRATE, job.wordsPerMinute, 0);
    Synthesis synthesis{&job};
    // The end pause gives every utterance the silence that closes a sentence, so that sentences
    // spoken one after the other do not run together.
    const espeak_ERROR result = espeak_Synth(job.text.constData(), static_cast<std::size_t>(job.text.size()) + 1, 0,
        POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakENDPAUSE, nullptr, &synthesis);
    job.ended(result == EE_OK && !synthesis.stopped);
}

} // namespace narrata
