#pragma once

#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakvoicecatalogue.h"
#include "platform/speech/speechsynthesizer.h"

#include <QLocale>

#include <memory>

namespace narrata {

// espeak-ng's voices, speaking nothing: each utterance is reported as run to its end once the
// time its words take at the synthesizer's rate has passed. Without a sound device reading thus
// still walks the document at the pace of speech. Listing the voices needs no sound device;
// without espeak-ng's voice data there are none, and the synthesizers keep the pace all the same.
class SilentSpeechService final : public SpeechService {
public:
    // engine: nullptr when espeak-ng cannot start.
    SilentSpeechService(const std::shared_ptr<EspeakEngine> &engine, const QLocale &userLocale = QLocale::system());

    QStringList availableVoices() const override { return m_catalogue.identifiers(); }
    QString defaultVoice() const override { return m_defaultVoice; }
    VoiceAttributes attributesForVoice(const QString &voice) const override;
    float defaultRate() const override { return m_defaultRate; }
    RateRange rateRange() const override { return EspeakEngine::rateRange(); }
    // Call on a thread with an event loop: the synthesizer's timers run there.
    std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) override;

private:
    EspeakVoiceCatalogue m_catalogue;
    QString m_defaultVoice;
    float m_defaultRate;
};

} // namespace narrata
