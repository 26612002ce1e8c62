#include "platform/espeak/espeakspeechservice.h"

#include "platform/speech/enginesynthesizer.h"

namespace narrata {

std::unique_ptr<EspeakSpeechService> EspeakSpeechService::create(AudioOutputFactory outputs, const QLocale &userLocale)
{
    auto engine = EspeakEngine::instance();
    if (!engine)
        return nullptr;
    return std::make_unique<EspeakSpeechService>(std::move(engine), std::move(outputs), userLocale);
}

EspeakSpeechService::EspeakSpeechService(
    std::shared_ptr<EspeakEngine> engine, AudioOutputFactory outputs, const QLocale &userLocale)
    : m_engine(std::move(engine))
    , m_outputs(std::move(outputs))
    , m_catalogue(m_engine->voices(), m_engine->variants())
    , m_defaultVoice(m_catalogue.defaultVoice(userLocale))
{
}

VoiceAttributes EspeakSpeechService::attributesForVoice(const QString &voice) const
{
    return m_catalogue.attributes(voice).value_or(VoiceAttributes{});
}

std::unique_ptr<SpeechSynthesizer> EspeakSpeechService::createSynthesizer(const QString &voice)
{
    const QString known = m_catalogue.attributes(voice) ? voice : m_defaultVoice;
    return EngineSynthesizer::create(m_engine, known, m_outputs, defaultRate(), rateRange());
}

} // namespace narrata
