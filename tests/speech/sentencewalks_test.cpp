// The previous, current and next sentence walks across pages and at the document's ends.
#include "speech/speakingloop.h"

#include "support/fakedocument.h"
#include "support/fakespeech.h"
#include "support/qtprinters.h"
#include "text/sentencesegmentation.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

class ShownPageView final : public ReadingView, public ReadingContent {
public:
    qint64 shownPage = 0;
    std::vector<SentenceRecord> selected;

    void selectSentence(const SentenceRecord &s) override { selected.push_back(s); }
    std::vector<SentenceRecord> prepareContentAfter(const SentenceRecord &) override { return {}; }
    qint64 currentPageIndex() const override { return shownPage; }
    SelectionCode selectionCodeForRange(TextRange, qint64 pageIndex) const override
    {
        SelectionCode code;
        code.pageIndex = pageIndex;
        return code;
    }
};

class SentenceWalksTest : public ::testing::Test {
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
    testing::FakeSynthesizer &synth() { return *service.latest; }
    QString lastSpoken() { return synth().spoken.isEmpty() ? QString() : synth().spoken.last(); }

    testing::FakeDocument document{{std::make_shared<testing::FakePage>(QStringLiteral("One. Two. Three.")),
        std::make_shared<testing::FakePage>(QStringLiteral("Four. Five.")),
        std::make_shared<testing::FakePage>(QStringLiteral("Six."))}};
    testing::FakeSpeechService service;
    ShownPageView view;
    SpeechSetFilter filter;
    SpeechTextPath textPath;
    ReadingProgress progress;
    ReadingSession session;
    SpeakingLoop loop{{service, view, view, filter, textPath, progress, session}};
};

TEST_F(SentenceWalksTest, PreviousWalkCrossesBackToTheLastSentenceOfThePageBefore)
{
    loop.startSentenceWalkJ(sentence(1, 0));
    EXPECT_EQ(lastSpoken(), QStringLiteral("Three."));
    synth().finishUtterance();
    EXPECT_EQ(loop.speechSet().front(), sentence(0, 2)) << "the spoken sentence heads the queue";
    EXPECT_EQ(view.selected.back(), sentence(0, 2));
    EXPECT_EQ(loop.pastSpeechSet().size(), 2u);
    EXPECT_FALSE(synth().isSpeaking());
}

TEST_F(SentenceWalksTest, NextWalkCrossesOnToTheFirstSentenceOfThePageAfter)
{
    loop.startSentenceWalkL(sentence(0, 2));
    EXPECT_EQ(lastSpoken(), QStringLiteral("Four."));
    synth().finishUtterance();
    EXPECT_EQ(loop.speechSet().front(), sentence(1, 0));
    EXPECT_EQ(loop.pastSpeechSet().back(), sentence(0, 2));
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

TEST_F(SentenceWalksTest, CurrentWalkSpeaksTheSentenceAndLeavesTheQueueAtIt)
{
    loop.startSentenceWalkK(sentence(0, 1));
    EXPECT_EQ(lastSpoken(), QStringLiteral("Two."));
    synth().finishUtterance();
    EXPECT_EQ(loop.speechSet().front(), sentence(0, 1));
    EXPECT_EQ(loop.speechSet().size(), 2u);
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
