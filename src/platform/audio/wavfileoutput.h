#pragma once

#include "platform/speech/audiooutput.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>

namespace narrata {

// Records all utterances, one after the other, into one RIFF/WAVE file of 16-bit PCM.
//
// The header's sizes are brought up to date after every write, so the file is a complete WAV
// file at any moment, even when the process ends abruptly. The first samples fix the format;
// samples in another format after that are refused. discard() keeps what an utterance had
// written before it was stopped: a recording has nothing left to play. Several synthesizers may
// share one file; their calls are serialised.
class WavFileOutput final : public AudioOutput {
public:
    // nullptr when the file cannot be created (error, if given, says why); an existing file is
    // replaced.
    static std::unique_ptr<WavFileOutput> create(const QString &path, QString *error = nullptr);
    ~WavFileOutput() override;
    WavFileOutput(const WavFileOutput &) = delete;
    WavFileOutput &operator=(const WavFileOutput &) = delete;

    // False when the file cannot take the samples (disk full, 4 GiB reached, another format);
    // the file keeps what was written before, and takes nothing after.
    bool write(const std::int16_t *samples, std::size_t count, const AudioFormat &format) override;
    void drain() override { }
    void discard() override { }
    QString description() const override;

    // How long what was written so far plays, in seconds.
    double recordedSeconds() const;
    // Closes the file; later writes fail. False when closing failed.
    bool close();
    QString path() const { return m_path; }

private:
    WavFileOutput(int fd, QString path);
    bool writeAt(std::uint64_t offset, const void *data, std::size_t size);
    bool writeHeader();

    mutable std::mutex m_mutex;
    int m_fd;
    const QString m_path;
    AudioFormat m_format;
    std::uint64_t m_dataBytes = 0;
    bool m_failed = false;
};

} // namespace narrata
