// espeak-ng's and flite's voices as the services offer them, utterances with their reports and audio, the
// silent service, and the WAV file, silent and sound server outputs.
#include "platform/audio/nulloutput.h"
#include "platform/audio/pulseaudiooutput.h"
#include "platform/audio/wavfileoutput.h"
#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/espeak/silentspeechservice.h"
#include "platform/flite/flitespeechservice.h"
#include "platform/speech/audiooutput.h"
#include "platform/speech/speechsynthesizer.h"
#include "support/testapplication.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtCore/qtestsupport_core.h>
#include <QtEndian>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <csignal>
#include <functional>
#include <memory>
#include <numeric>
#include <vector>

#include <sys/resource.h>

namespace narrata {
namespace {

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

// The fields of a 44-byte header of 16-bit PCM, and whether it is one and describes its file.
struct WavHeader {
    bool valid = false;
    int channels = 0, sampleRate = 0;
    std::uint32_t dataBytes = 0;

    double seconds() const { return valid ? dataBytes / (2.0 * channels * sampleRate) : 0; }
};

WavHeader readWavHeader(const QString &path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (bytes.size() < 44)
        return {};
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const auto u16 = [data](int at) { return int(qFromLittleEndian<quint16>(data + at)); };
    const auto u32 = [data](int at) { return qFromLittleEndian<quint32>(data + at); };
    WavHeader header{false, u16(22), int(u32(24)), u32(40)};
    header.valid = bytes.startsWith("RIFF") && bytes.mid(8, 8) == "WAVEfmt " && bytes.mid(36, 4) == "data"
        && u32(4) == quint32(bytes.size() - 8) && u32(16) == 16 && header.dataBytes == quint32(bytes.size() - 44)
        && u16(20) == 1 && header.channels > 0 && u32(28) == quint32(header.sampleRate * header.channels * 2)
        && u16(32) == header.channels * 2 && u16(34) == 16;
    return header;
}

const QString kSentence = QStringLiteral("The quick brown fox jumps over the lazy dog near the river.");
const QString kLongText = QStringLiteral("This text goes on for a good while, so that there is time to interrupt it. "
                                         "It has a second sentence, and then a third one, each of them long enough.");

// espeak-ng's voices and flite's, as the reader offers them.
class EspeakSynthesizerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        const AudioOutputFactory outputs = [this] { return std::make_shared<RecordingOutput>(recording); };
        auto espeak = EspeakSpeechService::create(outputs, QLocale(QStringLiteral("en_US")));
        ASSERT_NE(espeak, nullptr) << "espeak-ng and its voice data are needed";
        service = withFliteVoices(std::move(espeak), outputs);
    }

    std::unique_ptr<SpeechSynthesizer> synthesizer(const QString &named)
    {
        auto created = service->createSynthesizer(named);
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

    std::unique_ptr<SpeechSynthesizer> synthesizer() { return synthesizer(voice); }

    std::shared_ptr<Recording> recording = std::make_shared<Recording>();
    std::unique_ptr<SpeechService> service;
    QString voice = QStringLiteral("en-us");
    ReportLog log;
};

// What every backend's synthesizers keep to, each with a voice of its own.
class SynthesizerTest : public EspeakSynthesizerTest, public ::testing::WithParamInterface<const char *> {
protected:
    SynthesizerTest() { voice = QString::fromLatin1(GetParam()); }
};
INSTANTIATE_TEST_SUITE_P(Backends, SynthesizerTest, ::testing::Values("en-us", "flite:slt"));

TEST_P(SynthesizerTest, SpeaksUtterancesToTheirEndAndReportsEachOnceEvenFromTheReport)
{
    const auto speaker = synthesizer();
    EXPECT_EQ(speaker->voice(), voice) << "each backend speaks its own voices";
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

TEST_P(SynthesizerTest, StoppingOrANewUtteranceReportsTheOneInProgressAsNotFinishedOnceAndLater)
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

TEST_P(SynthesizerTest, GoesAwayMidUtteranceWithoutAReportOrFromItsOwnReport)
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

TEST_P(SynthesizerTest, RateStartsAtTheVoiceDefaultAndSetsTheSpeed)
{
    const auto speaker = synthesizer();
    EXPECT_EQ(speaker->rate(), service->defaultRate());
    speaker->setRate(5000);
    EXPECT_EQ(speaker->rate(), service->rateRange().maximum) << "held to what every backend speaks";
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
    for (const QString &offered : service->availableVoices()) {
        recording->samples = 0;
        log.reports.clear();
        const auto speaker = synthesizer(offered);
        speaker->startSpeakingString(QStringLiteral("1 2 3"));
        ASSERT_TRUE(spinUntil([&] { return !log.reports.empty(); })) << qPrintable(offered);
        EXPECT_EQ(log.reports, std::vector<bool>{true}) << qPrintable(offered);
        EXPECT_GT(recording->samples, 2205U) << qPrintable(offered);
    }
    EXPECT_EQ(service->availableVoices().back(), QStringLiteral("flite:slt")) << "espeak-ng's voices, then flite's";
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("flite:slt")).name, QStringLiteral("SLT (flite)"));
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
    const AudioOutputFactory file = [wav] { return wav; };
    auto wavService = withFliteVoices(EspeakSpeechService::create(file), file);
    // Two synthesizers share the file, as after a change of voice, to one of the other backend.
    for (const QString &spoken : {QStringLiteral("en-us"), QStringLiteral("flite:slt")}) {
        const auto speaker = wavService->createSynthesizer(spoken);
        speaker->setDelegate(&log);
        speaker->startSpeakingString(kSentence);
        ASSERT_TRUE(spinUntil([&] { return !speaker->isSpeaking(); }));
        const WavHeader header = readWavHeader(path);
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

TEST(WavFileOutput, IsAValidWavFileAfterEveryWriteAndAfterAWriteThatFails)
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
    const WavHeader header = readWavHeader(path);
    ASSERT_EQ(std::tuple(header.valid, header.sampleRate, header.channels, header.dataBytes),
        std::tuple(true, 16000, 1, 2000U));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll().mid(44);
    EXPECT_EQ(qFromLittleEndian<qint16>(data.constData()), -300);
    EXPECT_EQ(qFromLittleEndian<qint16>(data.constData() + 1998), 699);
    EXPECT_FALSE(wav->write(samples.data(), 10, AudioFormat{22050, 1})) << "one format per file";
    EXPECT_TRUE(wav->close());
    EXPECT_FALSE(wav->write(samples.data(), 10, format));
    EXPECT_EQ(readWavHeader(path).dataBytes, 2000U);

    const QString limitedPath = dir.filePath(QStringLiteral("limited.wav"));
    const auto limitedWav = WavFileOutput::create(limitedPath);
    ASSERT_NE(limitedWav, nullptr);
    // The file size limit stands in for a full disk; exceeding it must not kill the process.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 44 + 3000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const std::array<bool, 3> writes{limitedWav->write(samples.data(), 1000, AudioFormat{}),
        limitedWav->write(samples.data(), 1000, AudioFormat{}), limitedWav->write(samples.data(), 10, AudioFormat{})};
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(writes, (std::array{true, false, false})) << "nothing is appended after a failure";
    EXPECT_EQ(
        std::pair(readWavHeader(limitedPath).valid, readWavHeader(limitedPath).dataBytes), std::pair(true, 2000U));

    QString error;
    EXPECT_EQ(WavFileOutput::create(QStringLiteral("/nonexistent/folder/out.wav"), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(WavFileOutput::create(QStringLiteral("/dev/full")), nullptr) << "a full disk";
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

std::unique_ptr<EspeakSpeechService> serviceFor(const char *userLocale)
{
    return EspeakSpeechService::create({}, QLocale(QString::fromLatin1(userLocale)));
}

TEST(EspeakVoices, OfferEnglishVoicesOfAmericaAndBritainAndTheirVariantsAndDefaultToTheUsersRegion)
{
    const auto service = serviceFor("en_US");
    ASSERT_NE(service, nullptr) << "espeak-ng and its voice data are needed";
    const QStringList voices = service->availableVoices();
    EXPECT_GT(voices.size(), 50);
    EXPECT_EQ(QStringList(voices).removeDuplicates(), 0);
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("en-us")),
        (VoiceAttributes{QStringLiteral("English (America)"), QStringLiteral("en_US"), 35, false}));
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("en")),
        (VoiceAttributes{QStringLiteral("English (Great Britain)"), QStringLiteral("en_GB"), 35, false}));
    int novelties = 0;
    for (const QString &voice : voices) {
        const VoiceAttributes attributes = service->attributesForVoice(voice);
        EXPECT_FALSE(attributes.name.isEmpty()) << qPrintable(voice);
        EXPECT_FALSE(attributes.localeIdentifier.isEmpty()) << qPrintable(voice);
        EXPECT_GE(attributes.age, 18) << qPrintable(voice);
        novelties += attributes.novelty ? 1 : 0;
    }
    EXPECT_GE(novelties, 3);

    // Variants are spoken by a voice, the effects among them are novelties, and where a variant's
    // file gives an age the voice has it. Another voice with an offered variant is one too, unlisted.
    for (const char *offered : {"en+whisper", "en+croak", "en+f2", "en+grandma"})
        EXPECT_TRUE(voices.contains(QLatin1String(offered))) << offered;
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("en+whisper")).name,
        QStringLiteral("English (Great Britain) + whisper"));
    const std::tuple<const char *, const char *, int, bool> variants[] = {{"en+whisper", "en_GB", 35, true},
        {"en+croak", "en_GB", 70, true}, {"en+grandma", "en_GB", 90, false}, {"en-us+whisper", "en_US", 35, true}};
    for (const auto &[variant, locale, age, novelty] : variants) {
        const VoiceAttributes attributes = service->attributesForVoice(QLatin1String(variant));
        EXPECT_EQ(std::tuple(attributes.localeIdentifier, attributes.age, attributes.novelty),
            std::tuple(QLatin1String(locale), age, novelty))
            << variant;
    }
    // Unknown voices have no attributes; espeak-ng itself would take "en+nonexistent" for "en".
    for (const char *unknown :
        {"", "xx", "en+nonexistent", "en+Mr serious", "en-us+", "+whisper", "EN-US", "gmw/en-US"})
        EXPECT_EQ(service->attributesForVoice(QString::fromLatin1(unknown)), VoiceAttributes{}) << unknown;

    // The default voice is the English of the user's region; there is no Irish English.
    const std::pair<const char *, const char *> expected[]
        = {{"en_US", "en-us"}, {"en_GB", "en"}, {"en_IE", "en"}, {"fr_FR", "en"}, {"C", "en"}};
    for (const auto &[userLocale, voice] : expected) {
        const auto regional = serviceFor(userLocale);
        ASSERT_NE(regional, nullptr);
        EXPECT_EQ(regional->defaultVoice(), QLatin1String(voice)) << userLocale;
    }
}

TEST(EspeakVoiceLocales, TakeTheRegionFromTheTagThenTheListedLanguagesThenQt)
{
    const struct {
        EspeakVoiceFile voice;
        const char *locale;
    } cases[] = {
        {{{}, QStringLiteral("gmw/en-US"), {QStringLiteral("en-us"), QStringLiteral("en")}}, "en_US"},
        {{{}, QStringLiteral("gmw/en"), {QStringLiteral("en-gb"), QStringLiteral("en")}}, "en_GB"},
        {{{}, QStringLiteral("gmw/en-GB-x-rp"), {QStringLiteral("en-gb-x-rp")}}, "en_GB"},
        {{{}, QStringLiteral("gmw/en-029"), {QStringLiteral("en-029")}}, "en_029"},
        {{{}, QStringLiteral("roa/fr"), {QStringLiteral("fr-fr"), QStringLiteral("fr")}}, "fr_FR"},
        {{{}, QStringLiteral("roa/pt"), {QStringLiteral("pt"), QStringLiteral("pt-pt")}}, "pt_PT"},
        {{{}, QStringLiteral("aav/vi-VN-x-central"), {}}, "vi_VN"},
        {{{}, QStringLiteral("gmw/de"), {QStringLiteral("de")}}, "de_DE"},
        {{{}, QStringLiteral("sit/cmn-Latn-pinyin"), {QStringLiteral("zh-cmn")}}, "cmn"},
        {{{}, QStringLiteral("art/eo"), {QStringLiteral("eo")}}, "eo"},
        {{{}, QStringLiteral("iro/chr"), {QStringLiteral("chr-US-Qaaa-x-west")}}, "chr_US"},
    };
    for (const auto &[voice, locale] : cases)
        EXPECT_EQ(localeIdentifierForVoice(voice), QLatin1String(locale)) << qPrintable(voice.identifier);
}

TEST(SilentSpeech, OffersEspeakVoicesAndEndsAnUtteranceWhenItsWordsWouldHaveBeenSpoken)
{
    ensureApplication();
    const auto espeak = EspeakSpeechService::create({});
    ASSERT_NE(espeak, nullptr) << "espeak-ng and its voice data are needed";
    SilentSpeechService silent(EspeakEngine::instance());
    EXPECT_EQ(silent.availableVoices(), espeak->availableVoices());
    EXPECT_EQ(silent.defaultVoice(), espeak->defaultVoice());

    ReportLog reports;
    const auto synthesizer = silent.createSynthesizer(QStringLiteral("en"));
    synthesizer->setDelegate(&reports);
    synthesizer->setRate(300); // five words a second
    synthesizer->startSpeakingString(QStringLiteral("Stopped at once, so never reported as finished."));
    synthesizer->stopSpeaking();
    synthesizer->startSpeakingString(QStringLiteral(" Six words take a while here. "));
    QCoreApplication::processEvents();
    EXPECT_TRUE(synthesizer->isSpeaking()) << "the words take their time";
    ASSERT_TRUE(spinUntil([&] { return reports.reports.size() == 2; }));
    // One more utterance: a second report of the last one would come before its own.
    synthesizer->startSpeakingString(QStringLiteral("Done."));
    ASSERT_TRUE(spinUntil([&] { return reports.reports.size() >= 3; }));
    EXPECT_EQ(reports.reports, (std::vector<bool>{false, true, true}));
}

} // namespace
} // namespace narrata
