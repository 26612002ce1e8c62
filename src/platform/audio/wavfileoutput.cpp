#include "platform/audio/wavfileoutput.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace narrata {

namespace {

constexpr std::uint64_t kHeaderBytes = 44;
// The RIFF size field counts everything after it and has 32 bits.
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFULL - (kHeaderBytes - 8);

template<typename T> void put(unsigned char *at, T value)
{
    const T little = qToLittleEndian(value);
    std::memcpy(at, &little, sizeof little);
}

// A chunk's four-letter name, without the string's terminating zero.
void putTag(unsigned char *at, const char (&tag)[5])
{
    std::copy_n(tag, 4, at);
}

} // namespace

std::unique_ptr<WavFileOutput> WavFileOutput::create(const QString &path, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (error)
            *error = qt_error_string(errno);
        return nullptr;
    }
    std::unique_ptr<WavFileOutput> output(new WavFileOutput(fd, path));
    // Nobody else has the output yet: no lock needed.
    if (!output->writeHeader()) {
        if (error)
            *error = qt_error_string(errno);
        return nullptr;
    }
    return output;
}

WavFileOutput::WavFileOutput(int fd, QString path)
    : m_fd(fd)
    , m_path(std::move(path))
{
}

WavFileOutput::~WavFileOutput()
{
    close();
}

bool WavFileOutput::close()
{
    std::lock_guard lock(m_mutex);
    if (m_fd < 0)
        return false;
    const bool closed = ::close(m_fd) == 0;
    m_fd = -1;
    return closed;
}

QString WavFileOutput::description() const
{
    return QStringLiteral("WAV file %1").arg(QFileInfo(m_path).fileName());
}

double WavFileOutput::recordedSeconds() const
{
    std::lock_guard lock(m_mutex);
    const auto bytesPerSecond = static_cast<double>(m_format.sampleRate) * m_format.channels * sizeof(std::int16_t);
    return static_cast<double>(m_dataBytes) / bytesPerSecond;
}

bool WavFileOutput::write(const std::int16_t *samples, std::size_t count, const AudioFormat &format)
{
    std::lock_guard lock(m_mutex);
    if (m_fd < 0 || m_failed || format.sampleRate <= 0 || format.channels <= 0)
        return false;
    if (format != m_format) {
        if (m_dataBytes > 0)
            return false;
        m_format = format;
    }
    const std::uint64_t bytes = count * sizeof(std::int16_t);
    if (m_dataBytes + bytes > kMaxDataBytes)
        return false;

    const void *data = samples;
    std::vector<std::int16_t> little;
    if constexpr (std::endian::native != std::endian::little) {
        little.assign(samples, samples + count);
        for (auto &sample : little)
            sample = qToLittleEndian(sample);
        data = little.data();
    }
    if (!writeAt(kHeaderBytes + m_dataBytes, data, static_cast<std::size_t>(bytes))) {
        // A partial write would leave a torn sample at the end: cut back to what is counted.
        m_failed = true;
        [[maybe_unused]] const int ignored = ::ftruncate(m_fd, static_cast<off_t>(kHeaderBytes + m_dataBytes));
        return false;
    }
    m_dataBytes += bytes;
    if (!writeHeader()) {
        m_failed = true;
        return false;
    }
    return true;
}

bool WavFileOutput::writeHeader()
{
    const auto channels = static_cast<std::uint16_t>(m_format.channels);
    const auto rate = static_cast<std::uint32_t>(m_format.sampleRate);
    const auto blockAlign = static_cast<std::uint16_t>(channels * sizeof(std::int16_t));
    unsigned char header[kHeaderBytes] = {};
    putTag(header, "RIFF");
    put<std::uint32_t>(header + 4, static_cast<std::uint32_t>(kHeaderBytes - 8 + m_dataBytes));
    putTag(header + 8, "WAVE");
    putTag(header + 12, "fmt ");
    put<std::uint32_t>(header + 16, 16); // the size of the PCM format chunk
    put<std::uint16_t>(header + 20, 1); // PCM
    put<std::uint16_t>(header + 22, channels);
    put<std::uint32_t>(header + 24, rate);
    put<std::uint32_t>(header + 28, rate * blockAlign);
    put<std::uint16_t>(header + 32, blockAlign);
    put<std::uint16_t>(header + 34, 16); // bits per sample
    putTag(header + 36, "data");
    put<std::uint32_t>(header + 40, static_cast<std::uint32_t>(m_dataBytes));
    return writeAt(0, header, sizeof header);
}

bool WavFileOutput::writeAt(std::uint64_t offset, const void *data, std::size_t size)
{
    const auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = ::pwrite(m_fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
        offset += static_cast<std::uint64_t>(written);
    }
    return true;
}

} // namespace narrata
