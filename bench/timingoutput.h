#pragma once

// Silence paced like speech that notes when each utterance's first sample arrives and when its
// last has been played: where the speech adapter hands its samples to the sound device.
#include "platform/audio/nulloutput.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

using Clock = std::chrono::steady_clock;

// What the outputs of one run noted, in order; one record may serve several outputs.
struct SampleTimes {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<Clock::time_point> firsts, lasts;

    std::size_t firstCount()
    {
        std::lock_guard lock(mutex);
        return firsts.size();
    }
    // The time of the first sample after `count` were noted; nothing when none comes in time.
    std::optional<Clock::time_point> waitForFirst(std::size_t count, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex);
        if (!arrived.wait_for(lock, timeout, [&] { return firsts.size() > count; }))
            return std::nullopt;
        return firsts[count];
    }
};

class TimingOutput final : public narrata::AudioOutput {
public:
    explicit TimingOutput(std::shared_ptr<SampleTimes> times = std::make_shared<SampleTimes>())
        : times(std::move(times))
    {
    }

    bool write(const std::int16_t *samples, std::size_t count, const narrata::AudioFormat &format) override
    {
        {
            std::lock_guard lock(times->mutex);
            if (m_awaitingFirst) {
                times->firsts.push_back(Clock::now());
                m_awaitingFirst = false;
                times->arrived.notify_all();
            }
        }
        return m_silence.write(samples, count, format);
    }
    void drain() override
    {
        m_silence.drain();
        std::lock_guard lock(times->mutex);
        times->lasts.push_back(Clock::now());
        m_awaitingFirst = true;
    }
    // A stopped utterance: the next sample is the first of another one.
    void discard() override
    {
        m_silence.discard();
        std::lock_guard lock(times->mutex);
        m_awaitingFirst = true;
    }
    QString description() const override { return QStringLiteral("timing"); }

    const std::shared_ptr<SampleTimes> times;

private:
    narrata::NullOutput m_silence;
    bool m_awaitingFirst = true;
};
