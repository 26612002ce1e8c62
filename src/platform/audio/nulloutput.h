#pragma once

#include "platform/speech/audiooutput.h"

#include <chrono>
#include <optional>

namespace narrata {

// Plays into silence at the speed of speech: write() blocks as a sound device's would, so that
// whatever follows the speech (the reading position in the window) keeps its pace without one.
//
// Like a device, it takes up to `lead` ahead of what has been played without blocking; past
// that, write() sleeps for as long as the samples last. Writes of a few milliseconds each (as
// the synthesizer's are) thus block only that long, and discard() ends the pacing at once.
class NullOutput final : public AudioOutput {
public:
    explicit NullOutput(std::chrono::milliseconds lead = std::chrono::milliseconds(50));

    bool write(const std::int16_t *samples, std::size_t count, const AudioFormat &format) override;
    void drain() override;
    void discard() override;
    QString description() const override;

private:
    using Clock = std::chrono::steady_clock;
    const Clock::duration m_lead;
    std::optional<Clock::time_point> m_playedUntil; // when what was written will have played
};

} // namespace narrata
