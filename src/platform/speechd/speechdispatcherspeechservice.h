#pragma once

#include "platform/speech/speechsynthesizer.h"
#include "platform/speechd/speechdispatcherconnection.h"
#include "platform/speechd/speechdispatchersynthesizer.h"

#include <chrono>
#include <functional>
#include <memory>

namespace narrata {

// The voices of the desktop's speech daemon ("speechd:espeak-ng:English (America)"), one for
// each voice of each output module (a voice's variants are left out), spoken by the daemon
// itself: its synthesizers hand back no samples, so they cannot write a recording.
class SpeechDispatcherSpeechService final : public SpeechService {
public:
    explicit SpeechDispatcherSpeechService(std::shared_ptr<SpeechDispatcherConnection> connection);

    // The voices listed so far: none until the daemon has listed them, or when it cannot be reached.
    QStringList availableVoices() const override;
    QString defaultVoice() const override;
    VoiceAttributes attributesForVoice(const QString &voice) const override;
    float defaultRate() const override { return SpeechDispatcherSynthesizer::kNormalRate; }
    RateRange rateRange() const override { return SpeechDispatcherSynthesizer::kRates; }
    // Call on a thread with an event loop: the synthesizer reports there.
    std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) override;

private:
    std::shared_ptr<SpeechDispatcherConnection> m_connection;
};

// primary's voices and then the speech daemon's as one service. The daemon's voices are waited
// for up to `wait`: primary alone when they are listed by then and there are none; listed later
// they join as they come, and `listed` is called on another thread once they have.
std::unique_ptr<SpeechService> withSpeechDispatcherVoices(
    std::unique_ptr<SpeechService> primary, std::chrono::milliseconds wait, std::function<void()> listed = {});

} // namespace narrata
