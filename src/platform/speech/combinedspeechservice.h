#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <memory>
#include <vector>

namespace narrata {

// The voices of several speech backends as one service: each backend's voices in turn, the
// first backend's in front. A synthesizer comes from the backend that offers its voice; an
// empty or unknown voice gives the first backend's default voice, and the default rate is the
// first backend's too. The rate range is the rates every backend speaks at; each synthesizer
// holds rates to its own backend's range, so the backends' ranges should agree.
class CombinedSpeechService final : public SpeechService {
public:
    // services: at least one.
    explicit CombinedSpeechService(std::vector<std::unique_ptr<SpeechService>> services);

    QStringList availableVoices() const override;
    QString defaultVoice() const override { return m_services.front()->defaultVoice(); }
    VoiceAttributes attributesForVoice(const QString &voice) const override;
    float defaultRate() const override { return m_services.front()->defaultRate(); }
    RateRange rateRange() const override;
    std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) override;

private:
    // The backend offering the voice, else the first.
    SpeechService &serviceFor(const QString &voice) const;

    std::vector<std::unique_ptr<SpeechService>> m_services;
};

} // namespace narrata
