#pragma once

#include "platform/espeak/nulloutput.h"
#include "platform/speech/audiooutput.h"
#include "platform/speech/speechsynthesizer.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <QtCore/qtestsupport_core.h>
#include <QtEndian>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

namespace narrata::testing {

// The reports come through the event loop, so the tests need an application.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "speech_platform_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// Runs the event loop until the condition holds or the time is up: a bug fails a test, it never
// hangs it.
inline bool spinUntil(const std::function<bool()> &condition, int milliseconds = 20000)
{
    return QTest::qWaitFor(condition, milliseconds);
}

// What a RecordingOutput was given; shared with the test, as the synthesizer owns the output.
struct Recording {
    std::atomic<std::size_t> samples = 0;
    std::atomic<int> drains = 0, discards = 0;
    std::atomic<bool> fail = false; // makes write() fail
    std::atomic<bool> paced = false; // plays at the speed of speech, else at once
};

// Counts the samples; paced like speech (through a NullOutput) when the recording says so.
class RecordingOutput final : public AudioOutput {
public:
    explicit RecordingOutput(std::shared_ptr<Recording> recording)
        : m_recording(std::move(recording))
    {
    }

    bool write(const std::int16_t *samples, std::size_t count, const AudioFormat &format) override
    {
        if (m_recording->fail)
            return false;
        m_recording->samples += count;
        return !m_recording->paced || m_pacing.write(samples, count, format);
    }
    void drain() override
    {
        m_pacing.drain();
        ++m_recording->drains;
    }
    void discard() override
    {
        m_pacing.discard();
        ++m_recording->discards;
    }
    QString description() const override { return QStringLiteral("recording"); }

private:
    std::shared_ptr<Recording> m_recording;
    NullOutput m_pacing;
};

// Records the reports, and checks that they come on the main thread.
class ReportLog final : public SpeechSynthesizerDelegate {
public:
    void didFinishSpeaking(SpeechSynthesizer *synthesizer, bool finished) override
    {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        reports.push_back(finished);
        if (then)
            then(synthesizer, finished);
    }

    std::vector<bool> reports;
    std::function<void(SpeechSynthesizer *, bool)> then; // what the delegate does next
};

// The fields of a 44-byte PCM WAV header, and whether it describes the file it heads.
struct WavHeader {
    bool valid = false;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::uint32_t dataBytes = 0;

    double seconds() const { return valid ? dataBytes / (2.0 * channels * sampleRate) : 0; }
};

inline WavHeader readWavHeader(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    if (bytes.size() < 44)
        return {};
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    WavHeader header;
    header.channels = qFromLittleEndian<quint16>(data + 22);
    header.sampleRate = static_cast<int>(qFromLittleEndian<quint32>(data + 24));
    header.bitsPerSample = qFromLittleEndian<quint16>(data + 34);
    header.dataBytes = qFromLittleEndian<quint32>(data + 40);
    const bool chunks = bytes.startsWith("RIFF") && bytes.mid(8, 8) == "WAVEfmt " && bytes.mid(36, 4) == "data";
    const bool sizes = qFromLittleEndian<quint32>(data + 4) == static_cast<quint32>(bytes.size() - 8)
        && qFromLittleEndian<quint32>(data + 16) == 16 && header.dataBytes == static_cast<quint32>(bytes.size() - 44);
    const bool pcm = qFromLittleEndian<quint16>(data + 20) == 1 && header.channels > 0
        && qFromLittleEndian<quint32>(data + 28) == static_cast<quint32>(header.sampleRate * header.channels * 2)
        && qFromLittleEndian<quint16>(data + 32) == header.channels * 2;
    header.valid = chunks && sizes && pcm;
    return header;
}

} // namespace narrata::testing
