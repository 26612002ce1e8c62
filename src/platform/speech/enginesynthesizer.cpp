#include "platform/speech/enginesynthesizer.h"

#include "platform/audio/nulloutput.h"
#include "platform/speech/synthesisworker.h"

#include <QObject>
#include <QPointer>

#include <algorithm>
#include <cmath>

namespace narrata {

// Delivers calls on the synthesizer's thread. It is a separate object so that calls queued
// before the synthesizer went away find no synthesizer instead of a dangling one: the
// synthesizer clears `owner` when it goes, and deletes the relay, which drops what is still
// queued.
class ReportRelay final : public QObject {
public:
    explicit ReportRelay(EngineSynthesizer *owner)
        : owner(owner)
    {
    }

    // Queues a call to the synthesizer, if it is still there when the call comes; callable
    // from any thread as long as the relay exists.
    template<typename Call> void post(Call call)
    {
        QMetaObject::invokeMethod(
            this,
            [this, call] {
                if (!owner)
                    return;
                ++delivering;
                // The delegate may delete the synthesizer, and with it (later) this relay.
                const QPointer<ReportRelay> self(this);
                call(*owner);
                if (self)
                    --self->delivering;
            },
            Qt::QueuedConnection);
    }

    EngineSynthesizer *owner;
    int delivering = 0; // reports being delivered, nested ones included
};

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
    , m_relay(new ReportRelay(this))
{
    // The notice comes on the worker's thread; the relay exists until the worker has stopped.
    m_worker = std::make_unique<SynthesisWorker>(
        std::move(engine), std::move(output), [relay = m_relay](quint64 utterance, bool finished) {
            relay->post([utterance, finished](EngineSynthesizer &self) { self.workerEnded(utterance, finished); });
        });
}

EngineSynthesizer::~EngineSynthesizer()
{
    m_worker.reset(); // stops and joins: nothing is posted after this
    m_relay->owner = nullptr;
    // From inside a report (the delegate deleting its synthesizer) the relay is still busy
    // delivering; deleting it goes through the event loop then.
    if (m_relay->delivering > 0)
        m_relay->deleteLater();
    else
        delete m_relay;
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
    m_relay->post([](EngineSynthesizer &self) { self.report(false); });
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
