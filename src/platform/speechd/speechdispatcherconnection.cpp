#include "platform/speechd/speechdispatcherconnection.h"

#include <libspeechd.h>
#include <pthread.h>
#include <sys/socket.h>

#include <QRegularExpression>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <map>
#include <mutex>

namespace narrata {

namespace {

// The daemon tells no voice's age; its voices are taken for adults' (the voice menu's filter keeps
// adults' voices).
constexpr int kAdultAge = 35;

QString localeOf(const char *language)
{
    // "en-GB-x-rp" or "en_US": the language and, when there is one, the region.
    const QStringList parts
        = QString::fromUtf8(language ? language : "").split(QRegularExpression(QStringLiteral("[-_]")));
    QString locale = parts.value(0).toLower();
    const QString region = parts.value(1);
    if (!locale.isEmpty() && (region.size() == 2 || (region.size() == 3 && region.front().isDigit())))
        locale += QLatin1Char('_') + region.toUpper();
    return locale;
}

// The daemon's connection, on the connection's thread only.
struct Connection {
    explicit Connection(SPDConnection *spd)
        : spd(spd)
    {
    }
    ~Connection() { drop(); }
    void drop()
    {
        if (spd)
            spd_close(spd);
        spd = nullptr;
    }
    // Whether the daemon still holds its end of the socket: the library does not survive
    // asking one that went away, or never answered the greeting, for a reply.
    bool daemonAnswers() const
    {
        char byte = 0;
        return spd && ::recv(spd->socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT) != 0;
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    SPDConnection *spd;
    std::size_t client = 0;
    // What the daemon was last told, so that a message in the same voice tells it nothing new.
    QByteArray module, voice;
    int rate = 0;
    bool rateSet = false;
};

} // namespace

struct SpeechDispatcherConnection::State : std::enable_shared_from_this<State> {
    using Job = std::function<void(Connection &)>;

    void run();
    void post(Job job);
    void list(Connection &connection);
    // From the library's thread: a message began, or ended (finished or cancelled).
    void notify(std::size_t message, bool begins, bool finished);

    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::deque<Job> jobs;
    bool closing = false;
    bool listed = false;
    bool opening = true; // waiting for the daemon's greeting, which a stuck daemon never gives
    bool ended = false; // the thread is done with the daemon
    int socket = -1; // for waking a call that hangs
    std::vector<Voice> voices;
    std::map<std::size_t, Ended> speaking; // messages said, by the daemon's number
    std::map<std::size_t, bool> earlyEnds; // ends that came before `say` knew the number
    Observer observer;
    // Called, under its own lock, until the connection closes, never after.
    std::mutex listedMutex;
    std::function<void()> listedCallback;
};

namespace {

// The library reports events through plain functions, naming the client they are for. Never
// destroyed: a thread left waiting for a stuck daemon may still use it while the process exits.
std::mutex &registryMutex = *new std::mutex;
std::map<std::size_t, std::weak_ptr<SpeechDispatcherConnection::State>> &registry
    = *new std::map<std::size_t, std::weak_ptr<SpeechDispatcherConnection::State>>;

} // namespace

// Hands an event on to the connection of the client it names.
extern "C" void speechDispatcherEvent(std::size_t message, std::size_t client, SPDNotificationType type)
{
    std::shared_ptr<SpeechDispatcherConnection::State> state;
    {
        const std::lock_guard lock(registryMutex);
        const auto found = registry.find(client);
        if (found != registry.end())
            state = found->second.lock();
    }
    if (state)
        state->notify(message, type == SPD_EVENT_BEGIN, type == SPD_EVENT_END);
}

SpeechDispatcherConnection::SpeechDispatcherConnection(std::function<void()> listed)
    : m_state(std::make_shared<State>())
{
    m_state->listedCallback = std::move(listed);
    m_thread = std::thread([state = m_state] { state->run(); });
}

SpeechDispatcherConnection::~SpeechDispatcherConnection()
{
    {
        const std::lock_guard lock(m_state->listedMutex);
        m_state->listedCallback = nullptr;
    }
    std::unique_lock lock(m_state->mutex);
    m_state->closing = true;
    if (m_state->socket >= 0)
        ::shutdown(m_state->socket, SHUT_RDWR);
    m_state->changed.notify_all();
    // A daemon that has not answered the greeting leaves no socket to wake the thread with: the
    // thread is left to end on its own, with the state it shares.
    const bool ended = m_state->changed.wait_for(lock, std::chrono::seconds(2), [this] {
        return m_state->ended || m_state->opening;
    }) && m_state->ended;
    lock.unlock();
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
}

bool SpeechDispatcherConnection::waitForVoices(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, timeout, [this] { return m_state->listed; });
}

std::vector<SpeechDispatcherConnection::Voice> SpeechDispatcherConnection::voices() const
{
    const std::lock_guard lock(m_state->mutex);
    return m_state->voices;
}

std::optional<SpeechDispatcherConnection::Voice> SpeechDispatcherConnection::voice(const QString &identifier) const
{
    const std::lock_guard lock(m_state->mutex);
    const auto found = std::find_if(m_state->voices.begin(), m_state->voices.end(),
        [&](const Voice &known) { return known.identifier == identifier; });
    return found != m_state->voices.end() ? std::optional(*found) : std::nullopt;
}

void SpeechDispatcherConnection::setObserver(Observer observer)
{
    const std::lock_guard lock(m_state->mutex);
    m_state->observer = std::move(observer);
}

QString SpeechDispatcherConnection::encodeModule(const QByteArray &module)
{
    return QString::fromLatin1(module.toPercentEncoding({}, ":"));
}

void SpeechDispatcherConnection::State::post(Job job)
{
    {
        const std::lock_guard lock(mutex);
        jobs.push_back(std::move(job));
    }
    changed.notify_all();
}

void SpeechDispatcherConnection::State::run()
{
    // A write to a daemon that went away fails instead of ending the process.
    sigset_t brokenPipe;
    sigemptyset(&brokenPipe);
    sigaddset(&brokenPipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &brokenPipe, nullptr);

    char *error = nullptr;
    Connection connection(spd_open2("narrata", "reading", nullptr, SPD_MODE_THREADED, nullptr, 1, &error));
    std::free(error);
    bool abandoned = false;
    {
        const std::lock_guard lock(mutex);
        opening = false;
        abandoned = closing;
    }
    if (abandoned || !connection.daemonAnswers())
        connection.drop();
    if (connection.spd) {
        connection.client = static_cast<std::size_t>(spd_get_client_id(connection.spd));
        connection.spd->callback_begin = connection.spd->callback_end = connection.spd->callback_cancel
            = speechDispatcherEvent;
        spd_set_notification_on(connection.spd, SPD_BEGIN);
        spd_set_notification_on(connection.spd, SPD_END);
        spd_set_notification_on(connection.spd, SPD_CANCEL);
        {
            const std::lock_guard lock(registryMutex);
            registry[connection.client] = weak_from_this();
        }
        const std::lock_guard own(mutex);
        socket = connection.spd->socket;
        if (closing) // woken before the socket was known
            ::shutdown(socket, SHUT_RDWR);
    }
    list(connection);

    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return closing || !jobs.empty(); });
            if (closing)
                break;
            job = std::move(jobs.front());
            jobs.pop_front();
        }
        if (!connection.daemonAnswers())
            connection.drop(); // what is asked of it now ends at once, not spoken
        job(connection);
    }
    {
        const std::lock_guard lock(registryMutex);
        registry.erase(connection.client);
    }
    const std::lock_guard lock(mutex);
    ended = true;
    changed.notify_all();
}

void SpeechDispatcherConnection::State::list(Connection &connection)
{
    std::vector<Voice> listedVoices;
    char **modules = connection.spd ? spd_list_modules(connection.spd) : nullptr;
    for (char **module = modules; module && *module; ++module) {
        if (spd_set_output_module(connection.spd, *module) != 0)
            continue;
        connection.module = *module;
        SPDVoice **listed = spd_list_synthesis_voices(connection.spd);
        for (SPDVoice **voice = listed; voice && *voice; ++voice) {
            const QByteArray name((*voice)->name ? (*voice)->name : "");
            const QByteArray variant((*voice)->variant ? (*voice)->variant : "");
            // A voice and each of its variants ("English+Alex"): the voice stands for them all.
            if (name.isEmpty() || (!variant.isEmpty() && variant != "none" && name.endsWith("+" + variant)))
                continue;
            const QString display = QString::fromUtf8(name);
            listedVoices.push_back({QStringLiteral("speechd:%1:%2").arg(encodeModule(*module), display), *module, name,
                {QStringLiteral("%1 (%2)").arg(display, QString::fromUtf8(*module)), localeOf((*voice)->language),
                    kAdultAge}});
        }
        if (listed)
            free_spd_voices(listed);
    }
    if (modules)
        free_spd_modules(modules);
    {
        const std::lock_guard lock(mutex);
        voices = std::move(listedVoices);
        listed = true;
    }
    changed.notify_all();
    const std::lock_guard lock(listedMutex);
    if (listedCallback)
        listedCallback();
}

void SpeechDispatcherConnection::say(const Voice &voice, int rate, const QByteArray &text, Ended ended)
{
    m_state->post([state = m_state.get(), module = voice.module, name = voice.name, rate, text,
                      ended = std::move(ended)](Connection &c) {
        SPDConnection *spd = c.spd;
        const bool ready = spd && (c.module == module || spd_set_output_module(spd, module.constData()) == 0)
            && ((c.module == module && c.voice == name) || spd_set_synthesis_voice(spd, name.constData()) == 0)
            && ((c.rateSet && c.rate == rate) || spd_set_voice_rate(spd, rate) == 0);
        c.module = ready ? module : QByteArray();
        c.voice = ready ? name : QByteArray();
        c.rate = rate;
        c.rateSet = ready;
        const int message = ready ? spd_say(spd, SPD_TEXT, text.constData()) : -1;
        if (message < 0) {
            ended(false);
            return;
        }
        std::unique_lock lock(state->mutex);
        const auto id = static_cast<std::size_t>(message);
        // Ends of earlier messages not reported by now never will be.
        state->earlyEnds.erase(state->earlyEnds.begin(), state->earlyEnds.lower_bound(id));
        if (const auto early = state->earlyEnds.find(id); early != state->earlyEnds.end()) {
            const bool finished = early->second;
            state->earlyEnds.erase(early);
            lock.unlock();
            ended(finished);
            return;
        }
        state->speaking[id] = ended;
    });
}

void SpeechDispatcherConnection::cancel()
{
    m_state->post([](Connection &c) {
        if (c.spd)
            spd_cancel(c.spd);
    });
}

void SpeechDispatcherConnection::State::notify(std::size_t message, bool begins, bool finished)
{
    std::unique_lock lock(mutex);
    const Observer observing = observer;
    Ended ending;
    if (!begins) {
        const auto found = speaking.find(message);
        if (found != speaking.end()) {
            ending = std::move(found->second);
            speaking.erase(found);
        } else {
            earlyEnds[message] = finished;
        }
    }
    lock.unlock();
    if (observing)
        observing(begins);
    if (ending)
        ending(finished);
}

} // namespace narrata
