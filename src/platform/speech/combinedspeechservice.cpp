#include "platform/speech/combinedspeechservice.h"

#include <algorithm>

namespace narrata {

CombinedSpeechService::CombinedSpeechService(std::vector<std::unique_ptr<SpeechService>> services)
    : m_services(std::move(services))
{
    Q_ASSERT(!m_services.empty());
}

QStringList CombinedSpeechService::availableVoices() const
{
    QStringList voices;
    for (const auto &service : m_services)
        voices.append(service->availableVoices());
    return voices;
}

VoiceAttributes CombinedSpeechService::attributesForVoice(const QString &voice) const
{
    return serviceFor(voice).attributesForVoice(voice);
}

RateRange CombinedSpeechService::rateRange() const
{
    RateRange common = m_services.front()->rateRange();
    for (const auto &service : m_services) {
        const RateRange range = service->rateRange();
        common = {std::max(common.minimum, range.minimum), std::min(common.maximum, range.maximum)};
    }
    return common;
}

std::unique_ptr<SpeechSynthesizer> CombinedSpeechService::createSynthesizer(const QString &voice)
{
    return serviceFor(voice).createSynthesizer(voice);
}

SpeechService &CombinedSpeechService::serviceFor(const QString &voice) const
{
    const auto offering = std::find_if(m_services.begin(), m_services.end(),
        [&](const auto &service) { return !service->attributesForVoice(voice).name.isEmpty(); });
    return **(offering != m_services.end() ? offering : m_services.begin());
}

} // namespace narrata
