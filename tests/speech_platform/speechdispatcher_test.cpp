// The speech daemon's voices and utterances, on a daemon of the test's own; skipped where none
// can start.
#include "platform/speechd/speechdispatcherspeechservice.h"
#include "support/privatespeechdaemon.h"
#include "support/testapplication.h"

#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace narrata {
namespace {

const QString kPaced = QStringLiteral("speechd:paced:Paced: one");

class Reports final : public SpeechSynthesizerDelegate {
public:
    void didFinishSpeaking(SpeechSynthesizer *, bool finished) override
    {
        EXPECT_EQ(QThread::currentThread(), QCoreApplication::instance()->thread());
        finishes.push_back(finished);
    }
    std::vector<bool> finishes;
};

class SpeechDispatcherTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureApplication();
        if (!daemon.problem().isEmpty())
            GTEST_SKIP() << daemon.problem().toStdString();
        connection = std::make_shared<SpeechDispatcherConnection>();
        ASSERT_TRUE(connection->waitForVoices(std::chrono::seconds(20)));
        service = std::make_unique<SpeechDispatcherSpeechService>(connection);
    }

    PrivateSpeechDaemon daemon;
    std::shared_ptr<SpeechDispatcherConnection> connection;
    std::unique_ptr<SpeechService> service;
    Reports reports;
};

TEST_F(SpeechDispatcherTest, OffersEachModulesVoicesNamingBackendAndModuleButNotTheirVariants)
{
    const QStringList voices = service->availableVoices();
    ASSERT_TRUE(voices.contains(kPaced)) << voices.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(voiceBackend(kPaced), QStringLiteral("speechd"));
    EXPECT_EQ(service->attributesForVoice(kPaced),
        (VoiceAttributes{QStringLiteral("Paced: one (paced)"), QStringLiteral("en_US"), 35}));
    const QString american = QStringLiteral("speechd:espeak-ng:English (America)");
    ASSERT_TRUE(voices.contains(american));
    EXPECT_EQ(service->attributesForVoice(american).localeIdentifier, QStringLiteral("en_US"));
    EXPECT_FALSE(voices.contains(american + QStringLiteral("+Alex"))) << "variants are left out";
    EXPECT_EQ(service->rateRange(), (RateRange{80, 450}));
    EXPECT_EQ(SpeechDispatcherSynthesizer::daemonRate(80), -100);
    EXPECT_EQ(SpeechDispatcherSynthesizer::daemonRate(175), 0);
    EXPECT_EQ(SpeechDispatcherSynthesizer::daemonRate(600), 100);
}

TEST_F(SpeechDispatcherTest, ReportsEachUtteranceOnceAndStoppedOrReplacedOnesAsNotFinished)
{
    const auto speaker = service->createSynthesizer(kPaced);
    speaker->setDelegate(&reports);
    EXPECT_EQ(speaker->voice(), kPaced);
    speaker->startSpeakingString(QStringLiteral("One."));
    EXPECT_TRUE(speaker->isSpeaking());
    ASSERT_TRUE(spinUntil([&] { return !reports.finishes.empty(); }));
    EXPECT_FALSE(speaker->isSpeaking());

    speaker->startSpeakingString(QStringLiteral("Stopped."));
    speaker->stopSpeaking();
    EXPECT_FALSE(speaker->isSpeaking());
    speaker->startSpeakingString(QStringLiteral("Replaced."));
    speaker->startSpeakingString(QStringLiteral("Spoken."));
    ASSERT_TRUE(spinUntil([&] { return reports.finishes.size() == 4; }));
    // A late word from the daemon on the stopped and replaced ones would come before a second
    // finished utterance's report.
    speaker->startSpeakingString(QStringLiteral("Last."));
    ASSERT_TRUE(spinUntil([&] { return reports.finishes.size() > 4; }));
    EXPECT_EQ(reports.finishes, (std::vector<bool>{true, false, false, true, true}));
}

TEST(SpeechDispatcherAbsent, LeavesTheOtherVoicesAlone)
{
    qputenv("SPEECHD_ADDRESS", "unix_socket:/nonexistent/narrata-speechd.sock");
    auto primary = std::make_unique<SpeechDispatcherSpeechService>(std::make_shared<SpeechDispatcherConnection>());
    SpeechService *alone = primary.get();
    EXPECT_EQ(withSpeechDispatcherVoices(std::move(primary), std::chrono::seconds(20)).get(), alone);
    qunsetenv("SPEECHD_ADDRESS");
}

TEST(SpeechDispatcherAbsent, ADaemonThatNeverAnswersHoldsNothingUp)
{
    // A socket that takes connections and never says a word, as a stuck daemon does.
    const QTemporaryDir folder;
    const QByteArray path = folder.filePath(QStringLiteral("mute.sock")).toLocal8Bit();
    const int mute = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(::bind(mute, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(mute, 4), 0);
    qputenv("SPEECHD_ADDRESS", "unix_socket:" + path);
    {
        const SpeechDispatcherConnection connection;
        EXPECT_FALSE(connection.waitForVoices(std::chrono::milliseconds(300)));
    } // leaving the scope must not wait for the daemon
    qunsetenv("SPEECHD_ADDRESS");
    ::close(mute);
}

} // namespace
} // namespace narrata
