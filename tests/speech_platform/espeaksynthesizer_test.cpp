// Utterances, their reports and their audio, against espeak-ng itself; and the WAV file, silent
// and sound server outputs on their own.
#include "speechtesting.h"

#include "platform/espeak/espeakspeechservice.h"
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
using testing::Recording;
using testing::RecordingOutput;
using testing::ReportLog;
using testing::spinUntil;

const QString kSentence = QStringLiteral("The quick brown fox jumps over the lazy dog near the river.");
const QString kLongText = QStringLiteral("This text goes on for a good while, so that there is time to interrupt it. "
                                         "It has a second sentence, and then a third one, each of them long enough.");

class EspeakSynthesizerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::ensureApplication();
        service = EspeakSpeechService::create(
            [this] { return std::make_shared<RecordingOutput>(recording); }, QLocale(QStringLiteral("en_US")));
        ASSERT_NE(service, nullptr) << "espeak-ng and its voice data are needed";
    }

    std::unique_ptr<SpeechSynthesizer> synthesizer(const QString &voice = QStringLiteral("en-us"))
    {
        auto created = service->createSynthesizer(voice);
        created->setDelegate(&log);
        return created;
    }

    // Starts a long utterance and waits until it is playing.
    void startPlaying(SpeechSynthesizer &speaker)
    {
        recording->samples = 0;
        recording->paced = true;
        speaker.startSpeakingString(kLongText);
        ASSERT_TRUE(spinUntil([this] { return recording->samples > 0; }));
    }

    // Speaks a short utterance to its end. Its report comes after any that were already on
    // their way, so a report that should not come would have shown by then.
    void speakToTheEnd(SpeechSynthesizer &speaker, const QString &text = QStringLiteral("Next."))
    {
        const std::size_t reports = log.reports.size();
        speaker.startSpeakingString(text);
        ASSERT_TRUE(spinUntil([&] { return log.reports.size() > reports; }));
    }

    std::shared_ptr<Recording> recording = std::make_shared<Recording>();
    std::unique_ptr<EspeakSpeechService> service;
    ReportLog log;
};

TEST_F(EspeakSynthesizerTest, SpeaksUtterancesToTheirEndAndReportsEachOnceEvenFromTheReport)
{
    const auto speaker = synthesizer();
    speaker->startSpeakingString(kSentence);
    EXPECT_TRUE(speaker->isSpeaking());
    ASSERT_TRUE(spinUntil([&] { return !log.reports.empty(); }));
    EXPECT_EQ(log.reports, std::vector<bool>{true});
    EXPECT_FALSE(speaker->isSpeaking());
    // About 2.5 to 5 seconds of speech at 22 050 samples a second.
    EXPECT_GT(recording->samples, 22050U * 5 / 2);
    EXPECT_LT(recording->samples, 22050U * 5);
    EXPECT_EQ(recording->drains, 1);

    // The delegate starts the next utterance from the report of the last one.
    QStringList sentences{QStringLiteral("One."), QStringLiteral("Two."), QStringLiteral("Three.")};
    log.then = [&](SpeechSynthesizer *self, bool) {
        if (!sentences.isEmpty())
            self->startSpeakingString(sentences.takeFirst());
    };
    speaker->startSpeakingString(sentences.takeFirst());
    ASSERT_TRUE(spinUntil([&] { return log.reports.size() == 4; }));
    EXPECT_EQ(log.reports, (std::vector<bool>{true, true, true, true})) << "one report each";
    EXPECT_EQ(recording->drains, 4);

    // An output that fails ends the utterance as not finished.
    log.then = nullptr;
    recording->fail = true;
    speakToTheEnd(*speaker);
    EXPECT_FALSE(log.reports.back());
}

TEST_F(EspeakSynthesizerTest, StoppingOrANewUtteranceReportsTheOneInProgressAsNotFinishedOnceAndLater)
{
    const auto speaker = synthesizer();
    startPlaying(*speaker);
    speaker->stopSpeaking();
    EXPECT_FALSE(speaker->isSpeaking());
    EXPECT_TRUE(log.reports.empty()) << "reports come between events, not from inside stopSpeaking";
    speaker->stopSpeaking(); // silent now: nothing more to report
    ASSERT_TRUE(spinUntil([&] { return recording->discards == 1; }));
    const std::size_t played = recording->samples;
    EXPECT_LT(played, 22050U * 2);
    ASSERT_TRUE(spinUntil([&] { return !log.reports.empty(); }));
    EXPECT_EQ(recording->samples, played);
    speakToTheEnd(*speaker);
    EXPECT_EQ(log.reports, (std::vector<bool>{false, true}));
    EXPECT_LT(recording->samples - played, 22050U) << "only the short next utterance is played after a stop";

    // A new utterance ends the one in progress the same way.
    startPlaying(*speaker);
    speaker->startSpeakingString(QStringLiteral("Next."));
    EXPECT_TRUE(speaker->isSpeaking());
    ASSERT_TRUE(spinUntil([&] { return log.reports.size() == 4; }));
    EXPECT_EQ(log.reports, (std::vector<bool>{false, true, false, true}));
    EXPECT_EQ(recording->discards, 2);
}

TEST_F(EspeakSynthesizerTest, GoesAwayMidUtteranceWithoutAReportOrFromItsOwnReport)
{
    auto speaker = synthesizer();
    startPlaying(*speaker);
    speaker->stopSpeaking(); // its report is queued, and goes with the synthesizer
    speaker->startSpeakingString(kLongText);
    ASSERT_TRUE(spinUntil([&] { return recording->samples > 0; }));
    speaker.reset();
    auto other = synthesizer();
    speakToTheEnd(*other);
    EXPECT_EQ(log.reports, std::vector<bool>{true}) << "only the other synthesizer's";

    log.then = [&](SpeechSynthesizer *, bool) { other.reset(); };
    other->startSpeakingString(QStringLiteral("Short."));
    ASSERT_TRUE(spinUntil([&] { return other == nullptr; }));
    log.then = nullptr;
    speakToTheEnd(*synthesizer());
    EXPECT_EQ(log.reports, (std::vector<bool>{true, true, true}));
}

TEST_F(EspeakSynthesizerTest, RateStartsAtTheVoiceDefaultAndSetsTheSpeed)
{
    const auto speaker = synthesizer();
    EXPECT_EQ(speaker->rate(), service->defaultRate());
    speaker->setRate(5000);
    EXPECT_EQ(speaker->rate(), service->rateRange().maximum) << "held to what espeak-ng speaks";
    std::vector<std::size_t> samples;
    for (const float rate : {120.0F, 350.0F}) {
        speaker->setRate(rate);
        EXPECT_EQ(speaker->rate(), rate);
        recording->samples = 0;
        speakToTheEnd(*speaker, kSentence);
        samples.push_back(recording->samples);
    }
    // Nearly three times faster; the end pause shrinks less than the words.
    EXPECT_GT(samples[0], samples[1] * 2);
}

TEST_F(EspeakSynthesizerTest, EveryOfferedVoiceSpeaksAndAnUnknownOneIsTheDefault)
{
    for (const QString &voice : service->availableVoices()) {
        recording->samples = 0;
        log.reports.clear();
        const auto speaker = synthesizer(voice);
        speaker->startSpeakingString(QStringLiteral("1 2 3"));
        ASSERT_TRUE(spinUntil([&] { return !log.reports.empty(); })) << qPrintable(voice);
        EXPECT_EQ(log.reports, std::vector<bool>{true}) << qPrintable(voice);
        EXPECT_GT(recording->samples, 2205U) << qPrintable(voice);
    }
    EXPECT_EQ(synthesizer(QStringLiteral("xx-nowhere"))->voice(), QStringLiteral("en-us")) << "the default speaks";
    EXPECT_EQ(synthesizer(QString())->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(synthesizer(QStringLiteral("en+whisper"))->voice(), QStringLiteral("en+whisper"));
}

TEST_F(EspeakSynthesizerTest, RecordsUtterancesOneAfterTheOtherIntoAWavFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("speech.wav"));
    std::shared_ptr<WavFileOutput> wav = WavFileOutput::create(path);
    ASSERT_NE(wav, nullptr);
    auto wavService = EspeakSpeechService::create([wav] { return wav; });
    // Two synthesizers share the file, as after a change of voice.
    for (const QString &voice : {QStringLiteral("en-us"), QStringLiteral("en")}) {
        const auto speaker = wavService->createSynthesizer(voice);
        speaker->setDelegate(&log);
        speaker->startSpeakingString(kSentence);
        ASSERT_TRUE(spinUntil([&] { return !speaker->isSpeaking(); }));
        const testing::WavHeader header = readWavHeader(path);
        ASSERT_TRUE(header.valid);
        EXPECT_EQ(header.sampleRate, 22050);
    }
    EXPECT_EQ(log.reports, (std::vector<bool>{true, true}));
    const double seconds = readWavHeader(path).seconds();
    EXPECT_GT(seconds, 2 * 2.5);
    EXPECT_LT(seconds, 2 * 5.0);
}

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
