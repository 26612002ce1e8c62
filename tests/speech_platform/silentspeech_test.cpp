// The silent speech service: espeak-ng's voices, and utterances that last as long as speaking
// their words would.
#include "speechtesting.h"

#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/espeak/silentspeechservice.h"

#include <QCoreApplication>

namespace narrata {
namespace {

struct Reports final : SpeechSynthesizerDelegate {
    std::vector<bool> finished;
    void didFinishSpeaking(SpeechSynthesizer *, bool done) override { finished.push_back(done); }
};

TEST(SilentSpeech, OffersEspeakVoicesAndEndsAnUtteranceWhenItsWordsWouldHaveBeenSpoken)
{
    testing::ensureApplication();
    const auto espeak = EspeakSpeechService::create({});
    ASSERT_NE(espeak, nullptr) << "espeak-ng and its voice data are needed";
    SilentSpeechService silent(EspeakEngine::instance());
    EXPECT_EQ(silent.availableVoices(), espeak->availableVoices());
    EXPECT_EQ(silent.defaultVoice(), espeak->defaultVoice());

    Reports reports;
    const auto synthesizer = silent.createSynthesizer(QStringLiteral("en"));
    synthesizer->setDelegate(&reports);
    synthesizer->setRate(300); // five words a second
    synthesizer->startSpeakingString(QStringLiteral("Stopped at once, so never reported as finished."));
    synthesizer->stopSpeaking();
    synthesizer->startSpeakingString(QStringLiteral(" Six words take a while here. "));
    QCoreApplication::processEvents();
    EXPECT_TRUE(synthesizer->isSpeaking()) << "the words take their time";
    ASSERT_TRUE(testing::spinUntil([&] { return reports.finished.size() == 2; }));
    // One more utterance: a second report of the last one would come before its own.
    synthesizer->startSpeakingString(QStringLiteral("Done."));
    ASSERT_TRUE(testing::spinUntil([&] { return reports.finished.size() >= 3; }));
    EXPECT_EQ(reports.finished, (std::vector<bool>{false, true, true}));
}

} // namespace
} // namespace narrata
