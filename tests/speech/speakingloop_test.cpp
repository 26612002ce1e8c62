// The speaking loop's state machine and its sentence walks, driven through a fake synthesizer and a
// recording view.
#include "speech/speakingloop.h"

#include "support/fakedocument.h"
#include "support/qtprinters.h"
#include "support/voicerig.h"
#include "text/sentencesegmentation.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

using testing::FakeSynthesizer;

SentenceRecord sentence(const QString &text, qint64 page, quint64 location = 0)
{
    return {text, {location, static_cast<quint64>(text.size())}, page};
}

class SpeakingLoopTest : public ::testing::Test, protected testing::LoopRig {
protected:
    SpeakingLoopTest()
    {
        loop.readingEnded = [this] { ++readingEnded; };
        loop.reloadSpeechSynthesizer();
    }

    int readingEnded = 0;
};

TEST_F(SpeakingLoopTest, ReadsPageAfterPageAndEndsWithTheDocument)
{
    view.pages[1] = {sentence("Page two.", 1)};
    view.pages[2] = {}; // nothing to read here
    view.pages[3] = {sentence("Last page.", 3)};
    loop.loadSpeechSet({sentence("One.", 0), sentence("Two.", 0, 5)});
    EXPECT_EQ(loop.startPageIndex, 0);
    EXPECT_EQ(session.sessionStartTime, clock);
    EXPECT_EQ(lastSpoken(), QStringLiteral("One."));
    EXPECT_EQ(view.selected.back().sentence, QStringLiteral("One."));

    synth().finishUtterance();
    EXPECT_TRUE(view.preparedAfter.empty()) << "the next page waits until one sentence is left";
    synth().finishUtterance();
    ASSERT_EQ(view.preparedAfter.size(), 1u);
    EXPECT_EQ(view.preparedAfter[0].sentence, QStringLiteral("Two.")) << "asked after the sentence that finished";
    EXPECT_EQ(lastSpoken(), QStringLiteral("Page two."));
    EXPECT_EQ(view.selected.back().pageIndex, 1);

    synth().finishUtterance();
    EXPECT_EQ(lastSpoken(), QStringLiteral("Last page."));
    synth().finishUtterance();
    EXPECT_TRUE(loop.speechSet().empty());
    EXPECT_EQ(loop.numSentencesCompleted, 4u) << "the document's last sentence counts";
    EXPECT_EQ(readingEnded, 1);
    EXPECT_EQ(view.selected.back().sentence, QStringLiteral("Last page.")) << "the last sentence stays selected";
    EXPECT_EQ(synth().spoken.size(), 4);
    EXPECT_EQ(progress.mostRecentSentence()->sentence, QStringLiteral("Last page."));
}

TEST_F(SpeakingLoopTest, ANewSetReplacesTheOneBeingSpokenAndItsLateReportMovesNothing)
{
    loop.loadSpeechSet({sentence("Old one.", 0), sentence("Old two.", 0, 9)});
    loop.loadSpeechSet({sentence("New one.", 4), sentence("New two.", 4, 9)});
    EXPECT_EQ(synth().unfinishedReports, 1);
    EXPECT_EQ(lastSpoken(), QStringLiteral("New one."));
    EXPECT_EQ(loop.startPageIndex, 4);

    synth().deliverReport(false); // arrives late, for the old utterance
    EXPECT_EQ(loop.speechSet().size(), 2u);
    EXPECT_EQ(loop.numSentencesCompleted, 0u);
    synth().finishUtterance();
    EXPECT_EQ(lastSpoken(), QStringLiteral("New two."));
}

TEST_F(SpeakingLoopTest, PauseAndResumeRestartTheSentenceAndTheSessionLeavesThePauseOut)
{
    loop.loadSpeechSet({sentence("Halfway through this one.", 0), sentence("Then this.", 0, 26)});
    loop.togglePauseSpeech();
    EXPECT_TRUE(loop.isSpeechPausedByUser);
    EXPECT_FALSE(synth().isSpeaking());
    EXPECT_EQ(loop.speechSet().size(), 2u) << "the interrupted sentence stays at the head";

    clock = clock.addSecs(30);
    loop.stopSpeaking();
    EXPECT_EQ(loop.speechSet().size(), 2u) << "stop while paused changes nothing";
    EXPECT_TRUE(loop.isSpeechPausedByUser);

    loop.togglePauseSpeech();
    EXPECT_FALSE(loop.isSpeechPausedByUser);
    EXPECT_EQ(synth().spoken, QStringList({"Halfway through this one.", "Halfway through this one."}));
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 30);
}

TEST_F(SpeakingLoopTest, TogglingWithNothingQueuedOrAfterAResetOnlyFlipsTheFlag)
{
    loop.togglePauseSpeech();
    EXPECT_TRUE(loop.isSpeechPausedByUser);
    loop.togglePauseSpeech();
    EXPECT_FALSE(loop.isSpeechPausedByUser);
    EXPECT_TRUE(synth().spoken.isEmpty());

    loop.loadSpeechSet({sentence("Something.", 0)});
    loop.togglePauseSpeech();
    loop.resetCurrentSession();
    EXPECT_FALSE(loop.isSpeechPausedByUser) << "a reset forgets the pause";
    EXPECT_FALSE(session.sessionStartTime.has_value());
    loop.togglePauseSpeech(); // only sets the flag again
    EXPECT_EQ(synth().spoken.size(), 1);
    loop.togglePauseSpeech();
    EXPECT_EQ(synth().spoken.size(), 2) << "the second toggle resumes from the head";
}

TEST_F(SpeakingLoopTest, StopEmptiesTheQueueOnlyWhileSpeaking)
{
    loop.loadSpeechSet({sentence("One.", 0), sentence("Two.", 0, 5)});
    loop.stopSpeaking();
    EXPECT_TRUE(loop.speechSet().empty());
    EXPECT_FALSE(synth().isSpeaking());
    synth().deliverReport(true); // even a stray finished report finds nothing to take
    EXPECT_EQ(loop.numSentencesCompleted, 0u);
}

TEST_F(SpeakingLoopTest, HyphenatedLineEndsAreJoinedAndWordsCountedAsSpoken)
{
    loop.loadSpeechSet({sentence("An exam- ple  here.", 0)});
    EXPECT_EQ(lastSpoken(), QStringLiteral("An example  here."));
    synth().finishUtterance();
    EXPECT_EQ(session.sessionWordCount, 4u) << "two spaces in a row make an empty word that counts";
}

TEST_F(SpeakingLoopTest, WalksFinishOneSentenceAndNeverTakeFromAnEmptyList)
{
    const SentenceRecord a = sentence("A.", 0), b = sentence("B.", 0, 3);
    const auto reportAfterWalk = [this](bool SpeakingLoop::*walk, const SentenceRecord &spoken) {
        loop.*walk = true;
        synth().startSpeakingString(spoken.sentence);
        synth().finishUtterance();
        EXPECT_FALSE(loop.*walk);
    };
    // With nothing behind, with one sentence left, or with nothing queued, a report changes nothing.
    loop.loadSpeechSet({b});
    loop.onlyPauseSpeaking();
    for (bool SpeakingLoop::*walk :
        {&SpeakingLoop::isModeSentenceWalkJ, &SpeakingLoop::isModeSentenceWalkL, &SpeakingLoop::isModeSentenceWalkK}) {
        reportAfterWalk(walk, b);
        EXPECT_EQ(loop.speechSet(), std::vector<SentenceRecord>{b});
    }
    loop.resetSpeechEngine();
    reportAfterWalk(&SpeakingLoop::isModeSentenceWalkK, b);
    EXPECT_TRUE(loop.speechSet().empty());
    EXPECT_TRUE(loop.pastSpeechSet().empty());

    loop.loadSpeechSet({a, b});
    loop.onlyPauseSpeaking();
    reportAfterWalk(&SpeakingLoop::isModeSentenceWalkL, b);
    EXPECT_EQ(loop.pastSpeechSet(), std::vector<SentenceRecord>{a});
    EXPECT_FALSE(synth().isSpeaking()) << "a walk speaks one sentence and stops";
    EXPECT_EQ(progress.mostRecentSentence(), a) << "progress is for the sentence that was current";
}

TEST_F(SpeakingLoopTest, ANewVoiceRestartsTheSentenceOnlyWhenSpeaking)
{
    loop.loadSpeechSet({sentence("Current.", 0)});
    FakeSynthesizer *old = &synth();
    loop.ttsVoice = QStringLiteral("en");
    loop.ttsRate = 240;
    loop.reloadSpeechSynthesizer();
    EXPECT_NE(&synth(), old);
    EXPECT_EQ(synth().spoken, QStringList{"Current."});
    EXPECT_EQ(synth().rate(), 240);
    EXPECT_EQ(loop.labelTextVoiceInfo(), QStringLiteral("Voice: English (GB) (240 wpm)"));

    synth().stopSpeaking();
    loop.ttsRate = 0; // none stored: the voice's own rate
    loop.reloadSpeechSynthesizer();
    EXPECT_TRUE(synth().spoken.isEmpty());
    EXPECT_EQ(loop.labelTextVoiceInfo(), QStringLiteral("Voice: English (GB) (175 wpm)"));
}

class SentenceWalksTest : public ::testing::Test, protected testing::LoopRig {
protected:
    SentenceWalksTest()
    {
        loop.setDocument(&document);
        loop.reloadSpeechSynthesizer();
    }

    SentenceRecord sentence(qint64 page, size_t index)
    {
        return sentencesOnPageIndex(document.pageAtIndex(static_cast<int>(page))->string(), page).at(index);
    }

    testing::FakeDocument document{{std::make_shared<testing::FakePage>(QStringLiteral("One. Two. Three.")),
        std::make_shared<testing::FakePage>(QStringLiteral("Four. Five.")),
        std::make_shared<testing::FakePage>(QStringLiteral("Six."))}};
};

TEST_F(SentenceWalksTest, EachWalkSpeaksOneSentenceAcrossPagesAndLeavesTheQueueAtIt)
{
    using Walk = void (SpeakingLoop::*)(const std::optional<SentenceRecord> &);
    const struct {
        const char *name;
        Walk walk;
        std::pair<qint64, size_t> from, to;
        size_t past;
    } rows[] = {
        {"previous, back to the page before", &SpeakingLoop::startSentenceWalkJ, {1, 0}, {0, 2}, 2},
        {"next, on to the page after", &SpeakingLoop::startSentenceWalkL, {0, 2}, {1, 0}, 3},
        {"current", &SpeakingLoop::startSentenceWalkK, {0, 1}, {0, 1}, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const SentenceRecord to = sentence(row.to.first, row.to.second);
        (loop.*row.walk)(sentence(row.from.first, row.from.second));
        EXPECT_EQ(lastSpoken(), to.sentence);
        synth().finishUtterance();
        EXPECT_EQ(loop.speechSet().front(), to) << "the spoken sentence heads the queue";
        EXPECT_EQ(view.selected.back(), to);
        EXPECT_EQ(loop.pastSpeechSet().size(), row.past);
        EXPECT_FALSE(synth().isSpeaking());
    }
}

TEST_F(SentenceWalksTest, WalksPastTheDocumentsEndsOrFromAnUnknownSentenceSpeakNothing)
{
    loop.startSentenceWalkK(SentenceRecord{QStringLiteral("Elsewhere."), {0, 10}, 1}); // no sentence of page 1
    EXPECT_TRUE(loop.speechSet().empty());
    EXPECT_TRUE(loop.pastSpeechSet().empty());
    loop.startSentenceWalkJ(sentence(0, 0));
    loop.startSentenceWalkL(sentence(2, 0));
    EXPECT_TRUE(synth().spoken.isEmpty());
    synth().deliverReport(true); // a stray report finds the walk flag set and ends in silence
    EXPECT_FALSE(loop.isModeSentenceWalkL);
}

TEST_F(SentenceWalksTest, WithoutASentenceTheWalkUsesThePageShown)
{
    view.shownPage = 1;
    loop.startSentenceWalkK(std::nullopt);
    EXPECT_EQ(lastSpoken(), QStringLiteral("Four."));
    view.shownPage = kNotFound;
    const std::vector<SentenceRecord> queued = loop.speechSet();
    loop.startSentenceWalkK(std::nullopt);
    EXPECT_EQ(loop.speechSet(), queued) << "no page shown: the lists stay as they were";
}

} // namespace
} // namespace narrata
