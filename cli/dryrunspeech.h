#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <memory>

namespace narrata::cli {

// Speech that is never synthesized: each utterance is written down and reported as run to its
// end at the next turn of the event loop, so a dry run goes through the document at once.
class DryRunSpeechService final : public SpeechService {
public:
    DryRunSpeechService();

    // The text of the latest utterance.
    std::shared_ptr<const QString> spokenText() const { return m_spokenText; }

    QStringList availableVoices() const override;
    QString defaultVoice() const override;
    VoiceAttributes attributesForVoice(const QString &voice) const override;
    float defaultRate() const override;
    RateRange rateRange() const override;
    std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) override;

private:
    std::shared_ptr<QString> m_spokenText;
};

} // namespace narrata::cli
