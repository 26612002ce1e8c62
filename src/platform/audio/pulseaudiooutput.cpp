#include "platform/audio/pulseaudiooutput.h"

#include <pulse/simple.h>

#include <cstdint>
#include <utility>

namespace narrata {

void PulseAudioOutput::StreamDeleter::operator()(pa_simple *stream) const
{
    pa_simple_free(stream);
}

PulseAudioOutput::Stream PulseAudioOutput::connect(const AudioFormat &format, const QString &applicationName)
{
    if (format.sampleRate <= 0 || format.channels <= 0 || format.channels > 32)
        return nullptr;
    const pa_sample_spec samples{
        PA_SAMPLE_S16NE, static_cast<std::uint32_t>(format.sampleRate), static_cast<std::uint8_t>(format.channels)};
    const auto bytesPerMillisecond = static_cast<std::uint32_t>(format.sampleRate * format.channels * 2 / 1000);
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = bytesPerMillisecond * kBufferMilliseconds;
    // Playing starts (and resumes after an utterance) as soon as the first slice has come.
    buffer.prebuf = bytesPerMillisecond * 5;
    buffer.minreq = static_cast<std::uint32_t>(-1);
    buffer.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    return Stream(pa_simple_new(nullptr, applicationName.toUtf8().constData(), PA_STREAM_PLAYBACK, nullptr, "Speech",
        &samples, nullptr, &buffer, &error));
}

AudioOutputFactory PulseAudioOutput::streams(std::shared_ptr<AudioOutput> first)
{
    auto unused = std::make_shared<std::shared_ptr<AudioOutput>>(std::move(first));
    return [unused]() -> std::shared_ptr<AudioOutput> {
        if (*unused)
            return std::exchange(*unused, nullptr);
        return open();
    };
}

std::unique_ptr<PulseAudioOutput> PulseAudioOutput::open(const AudioFormat &format, const QString &applicationName)
{
    Stream stream = connect(format, applicationName);
    if (!stream)
        return nullptr;
    return std::unique_ptr<PulseAudioOutput>(new PulseAudioOutput(std::move(stream), format, applicationName));
}

PulseAudioOutput::PulseAudioOutput(Stream stream, const AudioFormat &format, QString applicationName)
    : m_stream(std::move(stream))
    , m_format(format)
    , m_applicationName(std::move(applicationName))
{
}

PulseAudioOutput::~PulseAudioOutput() = default;

bool PulseAudioOutput::write(const std::int16_t *samples, std::size_t count, const AudioFormat &format)
{
    // The server takes whole frames only.
    if (format.channels <= 0 || count % static_cast<std::size_t>(format.channels) != 0)
        return false;
    if (!m_stream || format != m_format) {
        m_stream.reset();
        m_stream = connect(format, m_applicationName);
        m_format = format;
        if (!m_stream)
            return false;
    }
    int error = 0;
    if (pa_simple_write(m_stream.get(), samples, count * sizeof(std::int16_t), &error) < 0) {
        m_stream.reset();
        return false;
    }
    return true;
}

void PulseAudioOutput::drain()
{
    int error = 0;
    if (m_stream && pa_simple_drain(m_stream.get(), &error) < 0)
        m_stream.reset();
}

void PulseAudioOutput::discard()
{
    int error = 0;
    if (m_stream && pa_simple_flush(m_stream.get(), &error) < 0)
        m_stream.reset();
}

} // namespace narrata
