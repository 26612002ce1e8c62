#include "platform/speechd/speechdispatchersynthesizer.h"

#include <QObject>

#include <algorithm>
#include <cmath>

namespace narrata {

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
{
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
    m_connection->say(
        m_voice, daemonRate(m_rate), spoken.toUtf8(), [relay = m_relay.sender(), utterance](bool finished) {
            relay([utterance, finished](SpeechDispatcherSynthesizer &self) { self.ended(utterance, finished); });
        });
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
    m_relay.post([](SpeechDispatcherSynthesizer &self) { self.ended(kEndedHere, false); });
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
