#pragma once

#include "platform/speech/speechsynthesizer.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace narrata {

// One connection to the desktop's speech daemon, and the voices of its output modules.
//
// Every call to the daemon runs on a thread of its own, in the order asked: the daemon may be
// slow to start, slow to list its voices (espeak-ng's module lists thousands), or stop answering
// when it cannot play, and none of that may hold up the caller. The daemon reports the start and
// end of each message on the library's own thread; `say` hands the end on from there.
class SpeechDispatcherConnection {
public:
    struct Voice {
        QString identifier; // "speechd:<module>:<voice>"
        QByteArray module;
        QByteArray name;
        VoiceAttributes attributes;
    };
    // How a message ended: spoken to its end, or cancelled, or never spoken.
    using Ended = std::function<void(bool finished)>;
    // Each message's start (true) and end (false), on the library's thread; for measuring.
    using Observer = std::function<void(bool begins)>;

    // Connects (starting the daemon when the desktop lets clients start it) and lists the
    // voices, on the connection's thread; `listed` is called there once the listing ended.
    explicit SpeechDispatcherConnection(std::function<void()> listed = {});
    // Wakes a call the daemon does not answer, and closes. A daemon that does not even answer
    // the greeting cannot be woken: its thread is left to end with the process, on state of
    // its own, rather than holding up the caller for ever.
    ~SpeechDispatcherConnection();
    SpeechDispatcherConnection(const SpeechDispatcherConnection &) = delete;
    SpeechDispatcherConnection &operator=(const SpeechDispatcherConnection &) = delete;

    // Waits up to `timeout` for the voices to be listed; true once they are (none when the
    // daemon cannot be reached).
    bool waitForVoices(std::chrono::milliseconds timeout) const;
    // The voices listed so far: none before the listing ends.
    std::vector<Voice> voices() const;
    // The listed voice with the identifier, without copying the others; none when not listed.
    std::optional<Voice> voice(const QString &identifier) const;
    // Speaks text with a voice at a rate of -100 to 100; `ended` is called once, on another
    // thread, when the message ends or could not be spoken.
    void say(const Voice &voice, int rate, const QByteArray &text, Ended ended);
    // Cancels every message of this connection; they end as not finished.
    void cancel();
    void setObserver(Observer observer);

    // The part of an identifier naming a module, which may hold a colon itself.
    static QString encodeModule(const QByteArray &module);

    // What the connection's thread works on; it outlives the connection while the thread runs.
    struct State;

private:
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace narrata
