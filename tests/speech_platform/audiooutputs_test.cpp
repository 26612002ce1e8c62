// The WAV file, silent and sound server outputs on their own.
#include "speechtesting.h"

#include "platform/espeak/nulloutput.h"
#include "platform/espeak/pulseaudiooutput.h"
#include "platform/espeak/wavfileoutput.h"

#include <QTemporaryDir>

#include <csignal>
#include <numeric>

#include <sys/resource.h>

namespace narrata {
namespace {

using testing::readWavHeader;

std::vector<std::int16_t> ramp(std::size_t count)
{
    std::vector<std::int16_t> samples(count);
    std::iota(samples.begin(), samples.end(), std::int16_t(-300));
    return samples;
}

TEST(WavFileOutput, IsAValidWavFileAfterEveryWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.wav"));
    const auto wav = WavFileOutput::create(path);
    ASSERT_NE(wav, nullptr);
    EXPECT_EQ(wav->description(), QStringLiteral("WAV file out.wav"));
    EXPECT_TRUE(readWavHeader(path).valid) << "valid, and empty, from the start";
    const auto samples = ramp(1000);
    const AudioFormat format{16000, 1};
    EXPECT_TRUE(wav->write(samples.data(), 600, format));
    EXPECT_EQ(readWavHeader(path).dataBytes, 1200U);
    wav->discard(); // a stopped utterance keeps what it wrote
    EXPECT_TRUE(wav->write(samples.data() + 600, 400, format));
    wav->drain();
    const testing::WavHeader header = readWavHeader(path);
    ASSERT_TRUE(header.valid);
    EXPECT_EQ(header.sampleRate, 16000);
    EXPECT_EQ(header.channels, 1);
    EXPECT_EQ(header.bitsPerSample, 16);
    EXPECT_EQ(header.dataBytes, 2000U);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll().mid(44);
    EXPECT_EQ(qFromLittleEndian<qint16>(data.constData()), -300);
    EXPECT_EQ(qFromLittleEndian<qint16>(data.constData() + 1998), 699);
    EXPECT_FALSE(wav->write(samples.data(), 10, AudioFormat{22050, 1})) << "one format per file";
    EXPECT_TRUE(wav->close());
    EXPECT_FALSE(wav->write(samples.data(), 10, format));
    EXPECT_EQ(readWavHeader(path).dataBytes, 2000U);
}

TEST(WavFileOutput, AFileThatCannotBeWrittenOrGrownFailsAndLeavesAValidFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("limited.wav"));
    const auto wav = WavFileOutput::create(path);
    ASSERT_NE(wav, nullptr);
    const auto samples = ramp(4000);
    // The file size limit stands in for a full disk; exceeding it must not kill the process.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 44 + 3000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool first = wav->write(samples.data(), 1000, AudioFormat{});
    const bool second = wav->write(samples.data(), 1000, AudioFormat{});
    const bool third = wav->write(samples.data(), 10, AudioFormat{});
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(first);
    EXPECT_FALSE(second);
    EXPECT_FALSE(third) << "nothing is appended after a failure";
    const testing::WavHeader header = readWavHeader(path);
    EXPECT_TRUE(header.valid);
    EXPECT_EQ(header.dataBytes, 2000U);

    QString error;
    EXPECT_EQ(WavFileOutput::create(QStringLiteral("/nonexistent/folder/out.wav"), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(WavFileOutput::create(QStringLiteral("/dev/full")), nullptr) << "a full disk";
}

// Their pacing is a matter of time, which the tests leave alone; a hang fails by the test's
// timeout.
TEST(NullOutput, TakesEverySliceAndADiscardLeavesNothingToDrain)
{
    NullOutput output(std::chrono::milliseconds(50));
    const auto slice = ramp(220); // 10 ms
    for (int i = 0; i < 30; ++i)
        ASSERT_TRUE(output.write(slice.data(), slice.size(), AudioFormat{22050, 1}));
    output.discard();
    output.drain();
    output.drain();
    EXPECT_EQ(output.description(), QStringLiteral("no sound"));
}

TEST(PulseAudioOutput, OpensOnlyWhenASoundServerAnswers)
{
    const auto output = PulseAudioOutput::open();
    if (!output)
        GTEST_SKIP() << "no sound server";
    const auto slice = ramp(2205);
    EXPECT_TRUE(output->write(slice.data(), slice.size(), AudioFormat{}));
    output->drain();
    const auto stereo = ramp(8820);
    EXPECT_TRUE(output->write(stereo.data(), stereo.size(), AudioFormat{44100, 2})) << "reopens for another format";
    EXPECT_FALSE(output->write(stereo.data(), 3, AudioFormat{44100, 2})) << "a part of a frame";
    output->discard();
}

} // namespace
} // namespace narrata
