// How long speech takes to start: espeak-ng's own time from espeak_Synth to its first samples,
// against the time from EngineSynthesizer::startSpeakingString to the first samples reaching the
// audio output. The difference is what our threads add; the target is at most 5 ms.
//
// espeak-ng is initialised once per process, and the synthesizer's engine does that for itself,
// so the direct measurement runs in a child process forked before anything else starts.
#include "benchmarkstatistics.h"
#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakspeechservice.h"

#include <espeak-ng/espeak_ng.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUps = 3;
constexpr int kRounds = 20;
constexpr double kTargetMilliseconds = 5;
const char kSentence[] = "The quick brown fox jumps over the lazy dog near the river bank.";
const char kVoice[] = "en-us";

double millisecondsSince(Clock::time_point start, Clock::time_point end)
{
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// (a) espeak-ng called directly, as the engine calls it. Stops at the first samples.
Clock::time_point firstSamples;
int stopAtFirstSamples(short *samples, int count, espeak_EVENT *)
{
    if (!samples || count <= 0)
        return 0;
    firstSamples = Clock::now();
    return 1;
}

double measureEspeakAlone()
{
    espeak_ng_InitializePath(nullptr);
    espeak_ng_ERROR_CONTEXT context = nullptr;
    const espeak_ng_STATUS status = espeak_ng_Initialize(&context);
    espeak_ng_ClearErrorContext(&context);
    if (status != ENS_OK
        || espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, narrata::EspeakEngine::kBufferMilliseconds, nullptr)
            != ENS_OK)
        return -1;
    espeak_SetSynthCallback(stopAtFirstSamples);
    espeak_SetVoiceByName(kVoice);
    espeak_SetParameter(espeakRATE, espeakRATE_NORMAL, 0);
    std::vector<double> times;
    for (int i = 0; i < kWarmUps + kRounds; ++i) {
        int userData = 0; // the callback is only called with user data
        const Clock::time_point start = Clock::now();
        espeak_Synth(
            kSentence, sizeof kSentence, 0, POS_CHARACTER, 0, espeakCHARS_UTF8 | espeakENDPAUSE, nullptr, &userData);
        if (i >= kWarmUps)
            times.push_back(millisecondsSince(start, firstSamples));
    }
    return median(times);
}

// Runs (a) in a child process and returns its median, or -1.
double measureEspeakAloneInChild()
{
    int channel[2];
    if (pipe(channel) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const double result = measureEspeakAlone();
        const bool sent = ::write(channel[1], &result, sizeof result) == static_cast<ssize_t>(sizeof result);
        _exit(sent ? 0 : 1);
    }
    close(channel[1]);
    double result = -1;
    if (child < 0 || ::read(channel[0], &result, sizeof result) != static_cast<ssize_t>(sizeof result))
        result = -1;
    close(channel[0]);
    if (child > 0)
        waitpid(child, nullptr, 0);
    return result;
}

// (b) An output that notes when the first samples of an utterance reach it, and plays nothing.
class FirstSampleOutput final : public narrata::AudioOutput {
public:
    explicit FirstSampleOutput(std::atomic<Clock::rep> &firstWrite)
        : m_firstWrite(firstWrite)
    {
    }
    bool write(const std::int16_t *, std::size_t, const narrata::AudioFormat &) override
    {
        Clock::rep none = 0;
        m_firstWrite.compare_exchange_strong(none, Clock::now().time_since_epoch().count());
        return true;
    }
    void drain() override { }
    void discard() override { }
    QString description() const override { return QStringLiteral("first sample clock"); }

private:
    std::atomic<Clock::rep> &m_firstWrite;
};

class Waiter final : public narrata::SpeechSynthesizerDelegate {
public:
    void didFinishSpeaking(narrata::SpeechSynthesizer *, bool) override { done = true; }
    bool done = false;
};

double measureSynthesizer()
{
    std::atomic<Clock::rep> firstWrite = 0;
    const auto service = narrata::EspeakSpeechService::create(
        [&firstWrite] { return std::make_shared<FirstSampleOutput>(firstWrite); });
    if (!service)
        return -1;
    const auto synthesizer = service->createSynthesizer(QString::fromLatin1(kVoice));
    Waiter waiter;
    synthesizer->setDelegate(&waiter);
    std::vector<double> times;
    for (int i = 0; i < kWarmUps + kRounds; ++i) {
        firstWrite = 0;
        waiter.done = false;
        const Clock::time_point start = Clock::now();
        synthesizer->startSpeakingString(QString::fromLatin1(kSentence));
        const QDeadlineTimer deadline(10000);
        while (!waiter.done && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        if (!waiter.done || firstWrite == 0)
            return -1;
        if (i >= kWarmUps)
            times.push_back(millisecondsSince(start, Clock::time_point(Clock::duration(firstWrite.load()))));
        // Idle in between, as between sentences when reading.
        QThread::msleep(20);
    }
    return median(times);
}

} // namespace

int main(int argc, char **argv)
{
    // Before QCoreApplication and any thread: the child is a plain copy of this process.
    const double alone = measureEspeakAloneInChild();
    QCoreApplication application(argc, argv);
    const double synthesizer = measureSynthesizer();
    if (alone < 0 || synthesizer < 0) {
        std::fprintf(stderr, "speech-latency-benchmark: espeak-ng could not speak\n");
        return 2;
    }
    const double added = synthesizer - alone;
    std::printf("Time to the first samples of one sentence, median of %d\n", kRounds);
    std::printf("  espeak-ng alone (espeak_Synth to its first samples):          %7.3f ms\n", alone);
    std::printf("  EngineSynthesizer (startSpeakingString to the audio output):  %7.3f ms\n", synthesizer);
    std::printf("  added by the synthesizer: %.3f ms, %.1fx espeak-ng's own time\n", added,
        alone > 0 ? synthesizer / alone : 0.0);
    const bool met = added <= kTargetMilliseconds;
    std::printf("  target: at most %.0f ms after espeak-ng's own first samples: %s\n", kTargetMilliseconds,
        met ? "met" : "MISSED");
    return met ? 0 : 1;
}
