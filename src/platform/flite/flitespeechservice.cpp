#include "platform/flite/flitespeechservice.h"

#include "platform/speech/combinedspeechservice.h"
#include "platform/speech/enginesynthesizer.h"

namespace narrata {

FliteSpeechService::FliteSpeechService(std::shared_ptr<FliteEngine> engine, AudioOutputFactory outputs)
    : m_engine(std::move(engine))
    , m_outputs(std::move(outputs))
{
}

QStringList FliteSpeechService::availableVoices() const
{
    QStringList identifiers;
    for (const FliteEngine::Voice &voice : m_engine->voices())
        identifiers.append(voice.identifier);
    return identifiers;
}

QString FliteSpeechService::defaultVoice() const
{
    const QStringList voices = availableVoices();
    return voices.contains(QLatin1String("flite:slt")) ? QStringLiteral("flite:slt") : voices.value(0);
}

VoiceAttributes FliteSpeechService::attributesForVoice(const QString &voice) const
{
    for (const FliteEngine::Voice &known : m_engine->voices()) {
        if (known.identifier == voice)
            return known.attributes;
    }
    return {};
}

std::unique_ptr<SpeechSynthesizer> FliteSpeechService::createSynthesizer(const QString &voice)
{
    return EngineSynthesizer::create(m_engine, attributesForVoice(voice).name.isEmpty() ? defaultVoice() : voice,
        m_outputs, defaultRate(), rateRange());
}

std::unique_ptr<SpeechService> withFliteVoices(std::unique_ptr<SpeechService> primary, AudioOutputFactory outputs)
{
    auto flite = std::make_unique<FliteSpeechService>(FliteEngine::instance(), std::move(outputs));
    if (flite->availableVoices().isEmpty())
        return primary;
    std::vector<std::unique_ptr<SpeechService>> services;
    services.push_back(std::move(primary));
    services.push_back(std::move(flite));
    return std::make_unique<CombinedSpeechService>(std::move(services));
}

} // namespace narrata
