#include "mupdfwatchdog.h"

#include <QElapsedTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

#include <unistd.h>

namespace narrata {

namespace {

constexpr auto kCheckInterval = std::chrono::milliseconds(50);

std::atomic<bool> g_abortAll{false};

// The resident set of the process, from /proc; 0 where it cannot be read.
qint64 residentBytes()
{
    std::FILE *statm = std::fopen("/proc/self/statm", "r");
    if (!statm)
        return 0;
    long size = 0, resident = 0;
    const int read = std::fscanf(statm, "%ld %ld", &size, &resident);
    std::fclose(statm);
    return read == 2 ? qint64(resident) * ::sysconf(_SC_PAGESIZE) : 0;
}

class Watchdog {
public:
    static Watchdog &instance()
    {
        // Never destroyed: work may still be watched while statics go at exit.
        static auto *watchdog = new Watchdog;
        return *watchdog;
    }

    qint64 now() const { return m_clock.elapsed(); }

    void watch(MuPDFWatchedWork *work)
    {
        std::lock_guard lock(m_mutex);
        m_work.insert(work);
        m_wake.notify_one();
    }
    void forget(MuPDFWatchedWork *work)
    {
        std::lock_guard lock(m_mutex);
        m_work.erase(work);
    }

private:
    Watchdog()
    {
        m_clock.start();
        std::thread([this] { run(); }).detach();
    }

    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return !m_work.empty(); });
            m_wake.wait_for(lock, kCheckInterval);
            if (m_work.empty())
                continue;
            const bool tooBig = residentBytes() > MuPDFWatchedWork::kMemoryBudgetBytes;
            for (MuPDFWatchedWork *work : m_work)
                if (tooBig || g_abortAll.load() || now() > work->deadline())
                    work->cookie()->abort = 1;
        }
    }

    QElapsedTimer m_clock;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::set<MuPDFWatchedWork *> m_work;
};

} // namespace

MuPDFWatchedWork::MuPDFWatchedWork()
    : m_deadline(Watchdog::instance().now() + kTimeBudgetMilliseconds)
{
    if (g_abortAll.load())
        m_cookie.abort = 1;
    Watchdog::instance().watch(this);
}

MuPDFWatchedWork::~MuPDFWatchedWork()
{
    Watchdog::instance().forget(this);
}

void MuPDFWatchedWork::abortAll()
{
    g_abortAll.store(true);
}

} // namespace narrata
