#pragma once

#include "platform/speech/audiooutput.h"

#include <QString>

#include <memory>

struct pa_simple;

namespace narrata {

// Plays through the desktop's sound server with PulseAudio's simple, blocking API, which suits
// a synthesis thread of our own and speaks to PulseAudio and to PipeWire's PulseAudio server
// alike.
//
// One stream stays open between utterances. Its buffer is kept short: playing starts with the
// first few milliseconds written, write() blocks once about kBufferMilliseconds are queued, and
// a stop drops no more than that.
class PulseAudioOutput final : public AudioOutput {
public:
    static constexpr int kBufferMilliseconds = 80;

    // nullptr when no sound server answers; that is known at once when none is running.
    static std::unique_ptr<PulseAudioOutput> open(
        const AudioFormat &format = {}, const QString &applicationName = QStringLiteral("Narrata"));
    // A stream of its own for each synthesizer (one being stopped may still be writing while its
    // successor starts): the first call hands over `first`, the stream opened to find out whether
    // there is a sound server, and later calls open new ones. A stream that cannot be opened is
    // null, which leaves its synthesizer paced in silence. Copies share `first`.
    static AudioOutputFactory streams(std::shared_ptr<AudioOutput> first);
    ~PulseAudioOutput() override;
    PulseAudioOutput(const PulseAudioOutput &) = delete;
    PulseAudioOutput &operator=(const PulseAudioOutput &) = delete;

    // Samples in another format reopen the stream. After a failure (the server went away) the
    // next write connects anew.
    bool write(const std::int16_t *samples, std::size_t count, const AudioFormat &format) override;
    void drain() override;
    void discard() override;
    QString description() const override { return QStringLiteral("PulseAudio"); }

private:
    struct StreamDeleter {
        void operator()(pa_simple *stream) const;
    };
    using Stream = std::unique_ptr<pa_simple, StreamDeleter>;

    PulseAudioOutput(Stream stream, const AudioFormat &format, QString applicationName);
    static Stream connect(const AudioFormat &format, const QString &applicationName);

    Stream m_stream;
    AudioFormat m_format;
    const QString m_applicationName;
};

} // namespace narrata
