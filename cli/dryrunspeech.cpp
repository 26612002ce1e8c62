#include "dryrunspeech.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace narrata::cli {

namespace {

constexpr float kDefaultRate = 175;
// Nothing is synthesized, so nothing limits the rate but sense.
constexpr RateRange kRates{1, 1000};

class DryRunSynthesizer final : public SpeechSynthesizer {
public:
    DryRunSynthesizer(QString voice, std::shared_ptr<QString> spokenText)
        : m_voice(std::move(voice))
        , m_spokenText(std::move(spokenText))
    {
    }

    void setDelegate(SpeechSynthesizerDelegate *delegate) override { m_delegate = delegate; }

    void startSpeakingString(const QString &text) override
    {
        stopSpeaking();
        *m_spokenText = text;
        m_speaking = true;
        const quint64 utterance = ++m_utterance;
        QTimer::singleShot(0, &m_context, [this, utterance] {
            if (utterance == m_utterance && m_speaking)
                end(true);
        });
    }

    void stopSpeaking() override
    {
        if (m_speaking)
            end(false);
    }

    bool isSpeaking() const override { return m_speaking; }
    float rate() const override { return m_rate; }
    void setRate(float wordsPerMinute) override
    {
        if (std::isfinite(wordsPerMinute))
            m_rate = std::clamp(wordsPerMinute, kRates.minimum, kRates.maximum);
    }
    QString voice() const override { return m_voice; }

private:
    void end(bool finished)
    {
        m_speaking = false;
        if (m_delegate)
            m_delegate->didFinishSpeaking(this, finished);
    }

    QString m_voice;
    std::shared_ptr<QString> m_spokenText;
    SpeechSynthesizerDelegate *m_delegate = nullptr;
    float m_rate = kDefaultRate;
    bool m_speaking = false;
    quint64 m_utterance = 0;
    QObject m_context; // queued reports die with the synthesizer
};

} // namespace

DryRunSpeechService::DryRunSpeechService()
    : m_spokenText(std::make_shared<QString>())
{
}

QStringList DryRunSpeechService::availableVoices() const
{
    return {defaultVoice()};
}

QString DryRunSpeechService::defaultVoice() const
{
    return QStringLiteral("dry-run");
}

VoiceAttributes DryRunSpeechService::attributesForVoice(const QString &voice) const
{
    if (voice != defaultVoice())
        return {};
    return {QStringLiteral("Dry run"), QStringLiteral("en_US"), 35, false};
}

float DryRunSpeechService::defaultRate() const
{
    return kDefaultRate;
}

RateRange DryRunSpeechService::rateRange() const
{
    return kRates;
}

std::unique_ptr<SpeechSynthesizer> DryRunSpeechService::createSynthesizer(const QString &)
{
    return std::make_unique<DryRunSynthesizer>(defaultVoice(), m_spokenText);
}

} // namespace narrata::cli
