// The previous, current and next sentence walks across pages and at the document's ends.
#include "speech/speakingloop.h"

#include "support/fakedocument.h"
#include "support/qtprinters.h"
#include "support/voicerig.h"
#include "text/sentencesegmentation.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

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

TEST_F(SentenceWalksTest, TheDocumentsEndsSpeakNothing)
{
    loop.startSentenceWalkJ(sentence(0, 0));
    EXPECT_TRUE(synth().spoken.isEmpty());
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

TEST_F(SentenceWalksTest, AnAnchorThatIsNoSentenceOfItsPageFillsNothing)
{
    loop.startSentenceWalkK(SentenceRecord{QStringLiteral("Elsewhere."), {0, 10}, 1});
    EXPECT_TRUE(synth().spoken.isEmpty());
    EXPECT_TRUE(loop.speechSet().empty());
    EXPECT_TRUE(loop.pastSpeechSet().empty());
}

} // namespace
} // namespace narrata
