#include "silentspeechservice.h"

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace narrata {

namespace {

class SilentSynthesizer final : public SpeechSynthesizer {
public:
    SilentSynthesizer(QString voice, float rate)
        : m_voice(std::move(voice))
        , m_rate(rate)
    {
    }

    void setDelegate(SpeechSynthesizerDelegate *delegate) override { m_delegate = delegate; }

    void startSpeakingString(const QString &text) override
    {
        endCurrent();
        m_speaking = true;
        const quint64 utterance = ++m_utterance;
        // A stopped utterance's timer still runs out; the number tells it is no longer current.
        QTimer::singleShot(speakingTime(text), &m_context, [this, utterance] {
            if (utterance != m_utterance || !m_speaking)
                return;
            m_speaking = false;
            report(true);
        });
    }

    void stopSpeaking() override { endCurrent(); }
    bool isSpeaking() const override { return m_speaking; }
    float rate() const override { return m_rate; }

    void setRate(float wordsPerMinute) override
    {
        const RateRange range = EspeakEngine::rateRange();
        if (std::isfinite(wordsPerMinute))
            m_rate = std::clamp(wordsPerMinute, range.minimum, range.maximum);
    }

    QString voice() const override { return m_voice; }

private:
    std::chrono::milliseconds speakingTime(const QString &text) const
    {
        qsizetype words = 0;
        bool inWord = false;
        for (const QChar c : text) {
            words += !inWord && !c.isSpace() ? 1 : 0;
            inWord = !c.isSpace();
        }
        return std::chrono::milliseconds(static_cast<qint64>(static_cast<double>(words) * 60000.0 / m_rate));
    }

    // Reported at the next turn of the event loop, as every report comes between events.
    void endCurrent()
    {
        if (!m_speaking)
            return;
        m_speaking = false;
        QTimer::singleShot(0, &m_context, [this] { report(false); });
    }

    void report(bool finished)
    {
        if (m_delegate)
            m_delegate->didFinishSpeaking(this, finished);
    }

    const QString m_voice;
    float m_rate;
    SpeechSynthesizerDelegate *m_delegate = nullptr;
    quint64 m_utterance = 0;
    bool m_speaking = false;
    QObject m_context; // pending timers go with the synthesizer
};

} // namespace

SilentSpeechService::SilentSpeechService(const std::shared_ptr<EspeakEngine> &engine, const QLocale &userLocale)
    : m_catalogue(engine ? engine->voices() : std::vector<EspeakVoiceFile>{},
        engine ? engine->variants() : std::vector<EspeakVoiceFile>{})
    , m_defaultVoice(m_catalogue.defaultVoice(userLocale))
    , m_defaultRate(static_cast<float>(engine ? engine->defaultRate() : EspeakEngine::normalRate()))
{
}

VoiceAttributes SilentSpeechService::attributesForVoice(const QString &voice) const
{
    return m_catalogue.attributes(voice).value_or(VoiceAttributes{});
}

std::unique_ptr<SpeechSynthesizer> SilentSpeechService::createSynthesizer(const QString &voice)
{
    return std::make_unique<SilentSynthesizer>(m_catalogue.attributes(voice) ? voice : m_defaultVoice, m_defaultRate);
}

} // namespace narrata
