#include "platform/speechd/speechdispatchersynthesizer.h"

#include <QObject>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace narrata {

// Carries the daemon's reports to the synthesizer's thread while the synthesizer is there. The
// context object lives on that thread; the synthesizer clears both pointers when it goes and
// deletes the context through the event loop, after the reports already queued, which then find
// no synthesizer.
struct SpeechDispatcherSynthesizer::Link {
    std::mutex mutex;
    QObject *context = nullptr;
    SpeechDispatcherSynthesizer *owner = nullptr; // read and written on the owner's thread only

    void post(quint64 utterance, bool finished, const std::shared_ptr<Link> &self)
    {
        const std::lock_guard lock(mutex);
        if (!context)
            return;
        QMetaObject::invokeMethod(
            context,
            [self, utterance, finished] {
                if (self->owner)
                    self->owner->ended(utterance, finished);
            },
            Qt::QueuedConnection);
    }
};

int SpeechDispatcherSynthesizer::daemonRate(float wordsPerMinute)
{
    const float rate = std::clamp(wordsPerMinute, kRates.minimum, kRates.maximum);
    const float scale = rate < kNormalRate ? kNormalRate - kRates.minimum : kRates.maximum - kNormalRate;
    return static_cast<int>(std::lround((rate - kNormalRate) / scale * 100));
}

SpeechDispatcherSynthesizer::SpeechDispatcherSynthesizer(
    std::shared_ptr<SpeechDispatcherConnection> connection, SpeechDispatcherConnection::Voice voice)
    : m_connection(std::move(connection))
    , m_voice(std::move(voice))
    , m_link(std::make_shared<Link>())
{
    m_link->context = new QObject;
    m_link->owner = this;
    m_givingUp.setSingleShot(true);
    QObject::connect(&m_givingUp, &QTimer::timeout, [this] {
        if (!m_speaking)
            return;
        endCurrent();
        m_connection->cancel();
    });
}

SpeechDispatcherSynthesizer::~SpeechDispatcherSynthesizer()
{
    if (m_speaking)
        m_connection->cancel();
    QObject *context = nullptr;
    {
        const std::lock_guard lock(m_link->mutex);
        std::swap(context, m_link->context);
        m_link->owner = nullptr;
    }
    context->deleteLater();
}

void SpeechDispatcherSynthesizer::startSpeakingString(const QString &text)
{
    if (m_speaking) {
        endCurrent();
        m_connection->cancel();
    }
    const quint64 utterance = ++m_utterance;
    m_speaking = true;
    // Long after the words should have been spoken, even at the slowest rate.
    const double words = static_cast<double>(text.size()) / 5 + 1;
    m_givingUp.start(static_cast<int>(std::min(3 * words / kRates.minimum * 60'000 + 5000, 3'600'000.0)));
    QString spoken = text;
    spoken.replace(QChar(0), QLatin1Char(' ')); // the daemon reads the text up to its first zero
    m_connection->say(m_voice, daemonRate(m_rate), spoken.toUtf8(),
        [link = m_link, utterance](bool finished) { link->post(utterance, finished, link); });
}

void SpeechDispatcherSynthesizer::stopSpeaking()
{
    if (!m_speaking)
        return;
    endCurrent();
    m_connection->cancel();
}

void SpeechDispatcherSynthesizer::setRate(float wordsPerMinute)
{
    if (std::isfinite(wordsPerMinute))
        m_rate = std::clamp(wordsPerMinute, kRates.minimum, kRates.maximum);
}

void SpeechDispatcherSynthesizer::endCurrent()
{
    if (!m_speaking)
        return;
    m_speaking = false;
    m_givingUp.stop();
    m_link->post(kEndedHere, false, m_link);
}

void SpeechDispatcherSynthesizer::ended(quint64 utterance, bool finished)
{
    if (utterance != kEndedHere) {
        // The daemon's word on an utterance ended here already, or replaced, is dropped.
        if (!m_speaking || utterance != m_utterance)
            return;
        m_speaking = false;
        m_givingUp.stop();
    }
    if (m_delegate)
        m_delegate->didFinishSpeaking(this, finished);
}

} // namespace narrata
