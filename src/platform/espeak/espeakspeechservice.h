#pragma once

#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakvoicecatalogue.h"
#include "platform/speech/audiooutput.h"
#include "platform/speech/speechsynthesizer.h"

#include <QLocale>

#include <memory>

namespace narrata {

// espeak-ng's voices (see EspeakVoiceCatalogue for their identifiers) and synthesizers that
// speak with them in this process.
class EspeakSpeechService final : public SpeechService {
public:
    // nullptr when espeak-ng cannot start, for want of its voice data.
    static std::unique_ptr<EspeakSpeechService> create(
        AudioOutputFactory outputs, const QLocale &userLocale = QLocale::system());
    EspeakSpeechService(std::shared_ptr<EspeakEngine> engine, AudioOutputFactory outputs, const QLocale &userLocale);

    QStringList availableVoices() const override { return m_catalogue.identifiers(); }
    QString defaultVoice() const override { return m_defaultVoice; }
    VoiceAttributes attributesForVoice(const QString &voice) const override;
    float defaultRate() const override { return static_cast<float>(m_engine->defaultRate()); }
    RateRange rateRange() const override { return EspeakEngine::rateRange(); }
    // Call on a thread with an event loop: the synthesizer reports there.
    std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) override;

private:
    std::shared_ptr<EspeakEngine> m_engine;
    AudioOutputFactory m_outputs;
    EspeakVoiceCatalogue m_catalogue;
    QString m_defaultVoice;
};

} // namespace narrata
