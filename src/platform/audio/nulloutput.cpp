#include "platform/audio/nulloutput.h"

#include <algorithm>
#include <thread>

namespace narrata {

NullOutput::NullOutput(std::chrono::milliseconds lead)
    : m_lead(lead)
{
}

bool NullOutput::write(const std::int16_t *, std::size_t count, const AudioFormat &format)
{
    if (format.sampleRate <= 0 || format.channels <= 0)
        return false;
    const auto frames = static_cast<long long>(count) / format.channels;
    const auto duration = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(frames) / format.sampleRate));
    const Clock::time_point now = Clock::now();
    // After a pause (or at the start) playing resumes now, not when the last samples ended.
    m_playedUntil = std::max(now, m_playedUntil.value_or(now)) + duration;
    std::this_thread::sleep_until(*m_playedUntil - m_lead);
    return true;
}

void NullOutput::drain()
{
    if (m_playedUntil)
        std::this_thread::sleep_until(*m_playedUntil);
    m_playedUntil.reset();
}

void NullOutput::discard()
{
    m_playedUntil.reset();
}

QString NullOutput::description() const
{
    return QStringLiteral("no sound");
}

} // namespace narrata
