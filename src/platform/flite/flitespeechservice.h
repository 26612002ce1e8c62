#pragma once

#include "platform/flite/fliteengine.h"
#include "platform/speech/audiooutput.h"
#include "platform/speech/speechsynthesizer.h"

#include <memory>

namespace narrata {

// flite's voices ("flite:slt") and synthesizers that speak with them in this process.
class FliteSpeechService final : public SpeechService {
public:
    FliteSpeechService(std::shared_ptr<FliteEngine> engine, AudioOutputFactory outputs);

    QStringList availableVoices() const override;
    QString defaultVoice() const override;
    VoiceAttributes attributesForVoice(const QString &voice) const override;
    float defaultRate() const override { return FliteEngine::kNormalRate; }
    RateRange rateRange() const override { return FliteEngine::rateRange(); }
    // Call on a thread with an event loop: the synthesizer reports there.
    std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) override;

private:
    std::shared_ptr<FliteEngine> m_engine;
    AudioOutputFactory m_outputs;
};

// primary's voices and then flite's, as one service; primary alone when flite has no voices.
std::unique_ptr<SpeechService> withFliteVoices(std::unique_ptr<SpeechService> primary, AudioOutputFactory outputs);

} // namespace narrata
