#pragma once

#include "synthesisengine.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace narrata {

// The one thread an engine synthesizes on, and the jobs waiting for it, run in the order they
// came. Going away, it finishes the job under way and ends the jobs still waiting, as every
// job is ended. Engines whose library keeps its state in globals run everything through it.
class SynthesisQueue {
public:
    explicit SynthesisQueue(std::function<void(SynthesisJob &)> synthesize)
        : m_synthesize(std::move(synthesize))
        , m_thread([this] { run(); })
    {
    }
    ~SynthesisQueue()
    {
        {
            std::lock_guard lock(m_mutex);
            m_quit = true;
        }
        m_wake.notify_all();
        m_thread.join();
        for (const auto &job : m_jobs)
            job->ended(false);
    }
    SynthesisQueue(const SynthesisQueue &) = delete;
    SynthesisQueue &operator=(const SynthesisQueue &) = delete;

    void submit(std::shared_ptr<SynthesisJob> job)
    {
        {
            std::lock_guard lock(m_mutex);
            m_jobs.push_back(std::move(job));
        }
        m_wake.notify_one();
    }

private:
    void run()
    {
        for (;;) {
            std::shared_ptr<SynthesisJob> job;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
                if (m_quit)
                    return;
                job = std::move(m_jobs.front());
                m_jobs.pop_front();
            }
            m_synthesize(*job);
        }
    }

    std::function<void(SynthesisJob &)> m_synthesize;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<SynthesisJob>> m_jobs;
    bool m_quit = false;
    std::thread m_thread; // last: starts once everything above exists
};

} // namespace narrata
