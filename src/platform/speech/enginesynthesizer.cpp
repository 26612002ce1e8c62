#include "platform/speech/enginesynthesizer.h"

#include "platform/audio/nulloutput.h"
#include "platform/speech/synthesisworker.h"

#include <algorithm>
#include <cmath>

namespace narrata {

std::unique_ptr<SpeechSynthesizer> EngineSynthesizer::create(std::shared_ptr<SynthesisEngine> engine, QString voice,
    const AudioOutputFactory &outputs, float rate, RateRange rates)
{
    std::shared_ptr<AudioOutput> output = outputs ? outputs() : nullptr;
    if (!output)
        output = std::make_shared<NullOutput>();
    return std::make_unique<EngineSynthesizer>(std::move(engine), std::move(voice), std::move(output), rate, rates);
}

EngineSynthesizer::EngineSynthesizer(std::shared_ptr<SynthesisEngine> engine, QString voice,
    std::shared_ptr<AudioOutput> output, float rate, RateRange rates)
    : m_voice(std::move(voice))
    , m_rates(rates)
    , m_rate(std::clamp(rate, rates.minimum, rates.maximum))
{
    // The notice comes on the worker's thread; the relay exists until the worker has stopped.
    m_worker = std::make_unique<SynthesisWorker>(
        std::move(engine), std::move(output), [relay = m_relay.sender()](quint64 utterance, bool finished) {
            relay([utterance, finished](EngineSynthesizer &self) { self.workerEnded(utterance, finished); });
        });
}

EngineSynthesizer::~EngineSynthesizer()
{
    m_worker.reset(); // stops and joins before the relay goes
}

void EngineSynthesizer::startSpeakingString(const QString &text)
{
    endCurrent();
    ++m_utterance;
    m_speaking = true;
    QString spoken = text;
    // Engines read the text up to its first zero.
    spoken.replace(QChar(0), QLatin1Char(' '));
    m_worker->speak(m_utterance, spoken.toUtf8(), m_voice.toUtf8(), static_cast<int>(std::lround(m_rate)));
}

void EngineSynthesizer::stopSpeaking()
{
    if (!m_speaking)
        return;
    endCurrent();
    m_worker->stop();
}

void EngineSynthesizer::setRate(float wordsPerMinute)
{
    if (std::isfinite(wordsPerMinute))
        m_rate = std::clamp(wordsPerMinute, m_rates.minimum, m_rates.maximum);
}

void EngineSynthesizer::endCurrent()
{
    if (!m_speaking)
        return;
    m_speaking = false;
    m_relay.post([](EngineSynthesizer &self) { self.report(false); });
}

void EngineSynthesizer::workerEnded(quint64 utterance, bool finished)
{
    // An utterance that was stopped or replaced has been reported already.
    if (!m_speaking || utterance != m_utterance)
        return;
    m_speaking = false;
    report(finished);
}

void EngineSynthesizer::report(bool finished)
{
    if (m_delegate)
        m_delegate->didFinishSpeaking(this, finished);
}

} // namespace narrata
