#include "platform/speechd/speechdispatcherspeechservice.h"

#include "platform/speech/combinedspeechservice.h"

namespace narrata {

SpeechDispatcherSpeechService::SpeechDispatcherSpeechService(std::shared_ptr<SpeechDispatcherConnection> connection)
    : m_connection(std::move(connection))
{
}

QStringList SpeechDispatcherSpeechService::availableVoices() const
{
    QStringList identifiers;
    for (const SpeechDispatcherConnection::Voice &voice : m_connection->voices())
        identifiers.append(voice.identifier);
    return identifiers;
}

QString SpeechDispatcherSpeechService::defaultVoice() const
{
    return availableVoices().value(0);
}

VoiceAttributes SpeechDispatcherSpeechService::attributesForVoice(const QString &voice) const
{
    const std::optional<SpeechDispatcherConnection::Voice> found = m_connection->voice(voice);
    return found ? found->attributes : VoiceAttributes{};
}

std::unique_ptr<SpeechSynthesizer> SpeechDispatcherSpeechService::createSynthesizer(const QString &voice)
{
    std::optional<SpeechDispatcherConnection::Voice> found = m_connection->voice(voice);
    if (!found) {
        const std::vector<SpeechDispatcherConnection::Voice> voices = m_connection->voices();
        if (!voices.empty())
            found = voices.front();
    }
    // Without voices the synthesizer's every utterance ends at once, not finished.
    return std::make_unique<SpeechDispatcherSynthesizer>(
        m_connection, found.value_or(SpeechDispatcherConnection::Voice{}));
}

std::unique_ptr<SpeechService> withSpeechDispatcherVoices(
    std::unique_ptr<SpeechService> primary, std::chrono::milliseconds wait, std::function<void()> listed)
{
    auto connection = std::make_shared<SpeechDispatcherConnection>(std::move(listed));
    if (connection->waitForVoices(wait) && connection->voices().empty())
        return primary;
    std::vector<std::unique_ptr<SpeechService>> services;
    services.push_back(std::move(primary));
    services.push_back(std::make_unique<SpeechDispatcherSpeechService>(std::move(connection)));
    return std::make_unique<CombinedSpeechService>(std::move(services));
}

} // namespace narrata
