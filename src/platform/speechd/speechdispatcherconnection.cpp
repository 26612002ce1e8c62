#include "platform/speechd/speechdispatcherconnection.h"

#include <libspeechd.h>
#include <sys/socket.h>

#include <QRegularExpression>

#include <cstdlib>

namespace narrata {

namespace {

// The library reports events through plain functions, naming the client they are for.
std::mutex registryMutex;
std::map<std::size_t, SpeechDispatcherConnection *> registry;

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

} // namespace

struct SpeechDispatcherConnection::Connection {
    explicit Connection(SPDConnection *spd)
        : spd(spd)
    {
    }
    ~Connection()
    {
        if (spd)
            spd_close(spd);
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

// Hands an event on to the connection of the client it names.
extern "C" void speechDispatcherEvent(std::size_t message, std::size_t client, SPDNotificationType type)
{
    const std::lock_guard lock(registryMutex);
    const auto found = registry.find(client);
    if (found != registry.end())
        found->second->notify(message, type == SPD_EVENT_BEGIN, type == SPD_EVENT_END);
}

SpeechDispatcherConnection::SpeechDispatcherConnection(std::function<void()> listed)
    : m_listedCallback(std::move(listed))
    , m_thread([this] { run(); })
{
}

SpeechDispatcherConnection::~SpeechDispatcherConnection()
{
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
        if (m_socket >= 0)
            ::shutdown(m_socket, SHUT_RDWR);
    }
    m_changed.notify_all();
    m_thread.join();
}

bool SpeechDispatcherConnection::waitForVoices(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_listed; });
}

std::vector<SpeechDispatcherConnection::Voice> SpeechDispatcherConnection::voices() const
{
    const std::lock_guard lock(m_mutex);
    return m_voices;
}

void SpeechDispatcherConnection::setObserver(Observer observer)
{
    const std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

QString SpeechDispatcherConnection::encodeModule(const QByteArray &module)
{
    return QString::fromLatin1(module.toPercentEncoding({}, ":"));
}

void SpeechDispatcherConnection::post(Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void SpeechDispatcherConnection::run()
{
    char *error = nullptr;
    Connection connection(spd_open2("narrata", "reading", nullptr, SPD_MODE_THREADED, nullptr, 1, &error));
    std::free(error);
    if (connection.spd) {
        connection.client = static_cast<std::size_t>(spd_get_client_id(connection.spd));
        connection.spd->callback_begin = connection.spd->callback_end = connection.spd->callback_cancel
            = speechDispatcherEvent;
        spd_set_notification_on(connection.spd, SPD_BEGIN);
        spd_set_notification_on(connection.spd, SPD_END);
        spd_set_notification_on(connection.spd, SPD_CANCEL);
        const std::lock_guard lock(registryMutex);
        registry[connection.client] = this;
        const std::lock_guard own(m_mutex);
        m_socket = connection.spd->socket;
        if (m_closing) // woken before the socket was known
            ::shutdown(m_socket, SHUT_RDWR);
    }
    list(connection);

    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_closing || !m_jobs.empty(); });
            if (m_closing)
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job(connection);
    }
    const std::lock_guard lock(registryMutex);
    registry.erase(connection.client);
}

void SpeechDispatcherConnection::list(Connection &connection)
{
    std::vector<Voice> voices;
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
            voices.push_back({QStringLiteral("speechd:%1:%2").arg(encodeModule(*module), display), *module, name,
                {QStringLiteral("%1 (%2)").arg(display, QString::fromUtf8(*module)), localeOf((*voice)->language),
                    kAdultAge}});
        }
        if (listed)
            free_spd_voices(listed);
    }
    if (modules)
        free_spd_modules(modules);
    {
        const std::lock_guard lock(m_mutex);
        m_voices = std::move(voices);
        m_listed = true;
    }
    m_changed.notify_all();
    if (m_listedCallback)
        m_listedCallback();
}

void SpeechDispatcherConnection::say(const Voice &voice, int rate, const QByteArray &text, Ended ended)
{
    post([this, module = voice.module, name = voice.name, rate, text, ended = std::move(ended)](Connection &c) {
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
        std::unique_lock lock(m_mutex);
        const auto id = static_cast<std::size_t>(message);
        // Ends of earlier messages not reported by now never will be.
        m_earlyEnds.erase(m_earlyEnds.begin(), m_earlyEnds.lower_bound(id));
        if (const auto early = m_earlyEnds.find(id); early != m_earlyEnds.end()) {
            const bool finished = early->second;
            m_earlyEnds.erase(early);
            lock.unlock();
            ended(finished);
            return;
        }
        m_speaking[id] = ended;
    });
}

void SpeechDispatcherConnection::cancel()
{
    post([](Connection &c) {
        if (c.spd)
            spd_cancel(c.spd);
    });
}

void SpeechDispatcherConnection::notify(std::size_t message, bool begins, bool finished)
{
    std::unique_lock lock(m_mutex);
    const Observer observer = m_observer;
    Ended ended;
    if (!begins) {
        const auto found = m_speaking.find(message);
        if (found != m_speaking.end()) {
            ended = std::move(found->second);
            m_speaking.erase(found);
        } else {
            m_earlyEnds[message] = finished;
        }
    }
    lock.unlock();
    if (observer)
        observer(begins);
    if (ended)
        ended(finished);
}

} // namespace narrata
