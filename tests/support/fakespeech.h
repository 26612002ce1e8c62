#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <QStringList>

#include <map>

namespace narrata::testing {

// A synthesizer whose reports the test delivers: it records what it was asked to say, and
// finishUtterance() reports the utterance in progress as having run to its end.
class FakeSynthesizer final : public SpeechSynthesizer {
public:
    explicit FakeSynthesizer(QString voice, float rate = 175)
        : m_voice(std::move(voice))
        , m_rate(rate)
    {
    }

    void setDelegate(SpeechSynthesizerDelegate *delegate) override { m_delegate = delegate; }
    void startSpeakingString(const QString &text) override
    {
        if (m_speaking)
            end(false);
        spoken.append(text);
        m_speaking = true;
    }
    void stopSpeaking() override
    {
        if (m_speaking)
            end(false);
    }
    bool isSpeaking() const override { return m_speaking; }
    float rate() const override { return m_rate; }
    void setRate(float wordsPerMinute) override { m_rate = wordsPerMinute; }
    QString voice() const override { return m_voice; }

    // Reports the utterance in progress as run to its end.
    void finishUtterance() { end(true); }
    // Delivers a report now, as a late report of an utterance that already ended would come.
    void deliverReport(bool finished)
    {
        if (m_delegate)
            m_delegate->didFinishSpeaking(this, finished);
    }

    QStringList spoken;
    int unfinishedReports = 0;

private:
    void end(bool finished)
    {
        m_speaking = false;
        if (!finished)
            ++unfinishedReports;
        deliverReport(finished);
    }

    QString m_voice;
    float m_rate;
    bool m_speaking = false;
    SpeechSynthesizerDelegate *m_delegate = nullptr;
};

// Voices by identifier, handing out fake synthesizers and keeping hold of the latest.
class FakeSpeechService final : public SpeechService {
public:
    std::map<QString, VoiceAttributes> voices{
        {QStringLiteral("en-us"), {QStringLiteral("English (America)"), QStringLiteral("en_US"), 35, false}},
        {QStringLiteral("en"), {QStringLiteral("English"), QStringLiteral("en_GB"), 35, false}},
    };
    float newSynthesizerRate = 175;
    RateRange rates{80, 450};
    FakeSynthesizer *latest = nullptr;
    int created = 0;

    QStringList availableVoices() const override
    {
        QStringList ids;
        for (const auto &[id, attributes] : voices)
            ids.append(id);
        return ids;
    }
    QString defaultVoice() const override { return QStringLiteral("en-us"); }
    VoiceAttributes attributesForVoice(const QString &voice) const override
    {
        const auto it = voices.find(voice);
        return it == voices.end() ? VoiceAttributes{} : it->second;
    }
    float defaultRate() const override { return newSynthesizerRate; }
    RateRange rateRange() const override { return rates; }
    std::unique_ptr<SpeechSynthesizer> createSynthesizer(const QString &voice) override
    {
        auto synthesizer = std::make_unique<FakeSynthesizer>(voice, newSynthesizerRate);
        latest = synthesizer.get();
        ++created;
        return synthesizer;
    }
};

} // namespace narrata::testing
