#include "platform/speech/synthesisworker.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <vector>

namespace narrata {

// One utterance, shared by the engine's thread, which adds its samples, the worker, which
// takes them, and the owner's thread, which may abort it.
class Utterance final : public SynthesisJob {
public:
    using SynthesisJob::SynthesisJob;

    bool cancelled() const override { return m_aborted.load(std::memory_order_relaxed); }

    bool samples(const std::int16_t *data, std::size_t count) override
    {
        {
            std::lock_guard lock(m_mutex);
            if (m_aborted)
                return false;
            m_buffers.emplace_back(data, data + count);
        }
        m_changed.notify_one();
        return true;
    }

    void ended(bool complete) override
    {
        {
            std::lock_guard lock(m_mutex);
            m_synthesized = true;
            m_complete = complete;
        }
        m_changed.notify_one();
    }

    void abort()
    {
        {
            // Set under the lock, so that a worker about to wait sees it.
            std::lock_guard lock(m_mutex);
            m_aborted = true;
        }
        m_changed.notify_one();
    }

    // Waits for the next buffer; false at the end of the synthesis or once aborted.
    bool nextBuffer(std::vector<std::int16_t> &buffer)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_aborted || m_synthesized || !m_buffers.empty(); });
        if (m_aborted || m_buffers.empty())
            return false;
        buffer = std::move(m_buffers.front());
        m_buffers.pop_front();
        return true;
    }

    // After nextBuffer returned false: whether everything was synthesized and nothing aborted.
    bool complete()
    {
        std::lock_guard lock(m_mutex);
        return m_complete && !m_aborted;
    }

private:
    std::atomic<bool> m_aborted = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::vector<std::int16_t>> m_buffers;
    bool m_synthesized = false;
    bool m_complete = false;
};

SynthesisWorker::SynthesisWorker(
    std::shared_ptr<SynthesisEngine> engine, std::shared_ptr<AudioOutput> output, EndNotice ended)
    : m_engine(std::move(engine))
    , m_output(std::move(output))
    , m_ended(std::move(ended))
    , m_thread([this] { run(); })
{
}

SynthesisWorker::~SynthesisWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_pending.reset();
        if (m_active)
            m_active->abort();
    }
    m_wake.notify_one();
    m_thread.join();
}

void SynthesisWorker::speak(quint64 utterance, QByteArray utf8Text, QByteArray voice, int wordsPerMinute)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = Request{utterance, std::move(utf8Text), std::move(voice), wordsPerMinute};
        if (m_active)
            m_active->abort();
    }
    m_wake.notify_one();
}

void SynthesisWorker::stop()
{
    std::lock_guard lock(m_mutex);
    m_pending.reset();
    if (m_active)
        m_active->abort();
}

void SynthesisWorker::run()
{
    for (;;) {
        std::shared_ptr<Utterance> utterance;
        quint64 id = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || m_pending; });
            if (m_quit)
                break;
            Request request = std::move(*m_pending);
            m_pending.reset();
            id = request.utterance;
            utterance = std::make_shared<Utterance>(
                std::move(request.text), std::move(request.voice), request.wordsPerMinute);
            // Taken and made stoppable in one step: a stop either finds the request still
            // pending or this utterance active.
            m_active = utterance;
        }
        const bool finished = play(utterance);
        {
            std::lock_guard lock(m_mutex);
            m_active.reset();
        }
        m_ended(id, finished);
    }
}

bool SynthesisWorker::play(const std::shared_ptr<Utterance> &utterance)
{
    m_engine->submit(utterance);
    std::vector<std::int16_t> buffer;
    bool written = true;
    while (written && utterance->nextBuffer(buffer))
        written = writeSlices(buffer, *utterance);
    if (!written || !utterance->complete()) {
        // Stops the synthesis too when the output failed.
        utterance->abort();
        m_output->discard();
        return false;
    }
    m_output->drain();
    return utterance->complete();
}

bool SynthesisWorker::writeSlices(const std::vector<std::int16_t> &samples, const Utterance &utterance)
{
    const AudioFormat format = m_engine->format();
    const auto frames
        = std::max<std::size_t>(1, static_cast<std::size_t>(format.sampleRate) * kSliceMilliseconds / 1000);
    const std::size_t slice = frames * static_cast<std::size_t>(std::max(1, format.channels));
    for (std::size_t at = 0; at < samples.size(); at += slice) {
        // An aborted utterance is not an output failure: the caller discards.
        if (utterance.cancelled())
            return true;
        if (!m_output->write(samples.data() + at, std::min(slice, samples.size() - at), format))
            return false;
    }
    return true;
}

} // namespace narrata
