#pragma once

#include "platform/speech/ownerrelay.h"
#include "platform/speech/speechsynthesizer.h"
#include "platform/speechd/speechdispatcherconnection.h"

#include <QTimer>

#include <memory>

namespace narrata {

// One voice of the speech daemon, speaking one message at a time.
//
// It belongs to the thread that created it, which needs an event loop: the daemon's reports
// come on the library's thread and are queued to it. The bookkeeping stays there, as in the
// other backends: ending an utterance (stop, or a new one) reports it at once, queued, and the
// daemon's later word on it is dropped. A message the daemon never ends (a daemon that cannot
// play stops answering) is given up, as not finished, long after it should have ended.
//
// The rates are the other backends' (80 to 450 words per minute, 175 by default), told to the
// daemon on its scale of -100 to 100 the way its espeak-ng module reads it: 0 is 175, the ends
// are 80 and 450. Other modules read the scale their own way, so their rates only come close.
class SpeechDispatcherSynthesizer final : public SpeechSynthesizer {
public:
    static constexpr float kNormalRate = 175;
    static constexpr RateRange kRates{80, 450};
    // A rate in words per minute on the daemon's scale.
    static int daemonRate(float wordsPerMinute);

    SpeechDispatcherSynthesizer(
        std::shared_ptr<SpeechDispatcherConnection> connection, SpeechDispatcherConnection::Voice voice);
    // Stops without a report.
    ~SpeechDispatcherSynthesizer() override;
    SpeechDispatcherSynthesizer(const SpeechDispatcherSynthesizer &) = delete;
    SpeechDispatcherSynthesizer &operator=(const SpeechDispatcherSynthesizer &) = delete;

    void setDelegate(SpeechSynthesizerDelegate *delegate) override { m_delegate = delegate; }
    void startSpeakingString(const QString &text) override;
    void stopSpeaking() override;
    bool isSpeaking() const override { return m_speaking; }
    float rate() const override { return m_rate; }
    void setRate(float wordsPerMinute) override;
    QString voice() const override { return m_voice.identifier; }

private:
    static constexpr quint64 kEndedHere = 0; // a report of an utterance ended here, not by the daemon
    void endCurrent(); // ends the current utterance as not finished, reporting it queued
    void ended(quint64 utterance, bool finished);

    std::shared_ptr<SpeechDispatcherConnection> m_connection;
    const SpeechDispatcherConnection::Voice m_voice;
    float m_rate = kNormalRate;
    SpeechSynthesizerDelegate *m_delegate = nullptr;
    quint64 m_utterance = 0;
    bool m_speaking = false;
    QTimer m_givingUp;
    OwnerRelay<SpeechDispatcherSynthesizer> m_relay{this}; // the daemon's reports may come after this went
};

} // namespace narrata
