// Reading in the window: double-clicks, keys and the held mouse, on real widgets and MuPDF
// with a fake synthesizer.
#include "view/readerwindowfixture.h"

#include "text/sentencesegmentation.h"
#include "view/readingkeys.h"

#include "support/qtprinters.h"

#include <QLabel>
#include <QScrollBar>

namespace narrata {
namespace {

using testing::ReaderWindowTest;

// Which command a key stroke gives is decided on the press: X11 delivers the release's text
// without Shift, so a test of the release alone would not see Shift+P pause.
TEST(ReadingKeys, ModifiersDecideAsPressed)
{
    const struct {
        KeyStroke stroke;
        ReadingKey command;
    } cases[] = {
        {{Qt::Key_P, QStringLiteral("p"), {}}, ReadingKey::TogglePause},
        {{Qt::Key_P, QStringLiteral("P"), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_0, QStringLiteral("0"), {}}, ReadingKey::ResetSession},
        {{Qt::Key_0, QStringLiteral("0"), Qt::ControlModifier}, ReadingKey::None}, // Fit Width
        {{Qt::Key_ParenRight, QStringLiteral(")"), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_J, QStringLiteral("j"), Qt::ControlModifier}, ReadingKey::None},
        {{Qt::Key_L, QStringLiteral("l"), Qt::AltModifier}, ReadingKey::None},
        {{Qt::Key_Less, QStringLiteral("<"), Qt::ShiftModifier}, ReadingKey::SelectPrevious},
        {{Qt::Key_Tab, QStringLiteral("\t"), {}}, ReadingKey::TogglePause},
        {{Qt::Key_Backtab, QString(), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_Right, QString(), Qt::KeypadModifier}, ReadingKey::SelectNext},
        {{Qt::Key_Up, QString(), Qt::ShiftModifier}, ReadingKey::None},
        {{Qt::Key_PageDown, QString(), {}}, ReadingKey::None},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stroke.text.toStdString() + " key " + std::to_string(c.stroke.key));
        EXPECT_EQ(readingKeyFor(c.stroke), c.command);
    }
}

class ReadingInWindowTest : public ReaderWindowTest {
protected:
    std::vector<SentenceRecord> pageSentences(int pageIndex)
    {
        return sentencesOnPageIndex(shown().pageAtIndex(pageIndex)->string(), pageIndex);
    }
    SentenceRecord sentenceHolding(int pageIndex, const QString &text)
    {
        const qint64 at = indexOf(pageIndex, text);
        return setOfSentencesFromIndex(shown().pageAtIndex(pageIndex)->string(), at, pageIndex).front();
    }
    // The darkest grey in the viewport's square of a radius around a point.
    int darkestAround(QPoint centre, int radius = 3)
    {
        const QImage image = view().viewport()->grab().toImage();
        int darkest = 255;
        for (int dx = -radius; dx <= radius; ++dx)
            for (int dy = -radius; dy <= radius; ++dy)
                darkest = std::min(darkest, qGray(image.pixel(centre + QPoint(dx, dy))));
        return darkest;
    }
};

TEST_F(ReadingInWindowTest, DoubleClicksReadFromTheWordsSentenceIgnoreTrimmedTextAndStopInTheMargin)
{
    const SentenceRecord sentence = sentenceHolding(0, QStringLiteral("bakery"));
    doubleClick(pointOfCharacter(0, indexOf(0, QStringLiteral("bakery")) + 2));
    ASSERT_FALSE(speech.latest->spoken.isEmpty());
    EXPECT_TRUE(speech.latest->spoken.back().startsWith(QStringLiteral("The town had one bakery")));
    ASSERT_FALSE(loop().speechSet().empty());
    EXPECT_EQ(loop().speechSet().front(), sentence);
    // The clicked word is not what ends up selected: the spoken sentence is, once the button
    // is up again.
    EXPECT_TRUE(testing::waitUntil([&] { return selectedText() == sentence.sentence; }));
    EXPECT_FALSE(view().isMouseDown);

    // The page number is never read: a double-click on it leaves the reading as it was.
    doubleClick(pointOfCharacter(0, shown().pageAtIndex(0)->string().size() - 1));
    EXPECT_TRUE(speech.latest->isSpeaking());
    EXPECT_TRUE(speech.latest->spoken.back().startsWith(QStringLiteral("The town had one bakery")));

    doubleClick(view().viewportPointForPagePoint(0, {20, 400}));
    EXPECT_FALSE(speech.latest->isSpeaking());
    EXPECT_TRUE(loop().speechSet().empty());

    // Without a document a double-click asks for one.
    const int spoken = speech.latest->spoken.size();
    view().setDocument(nullptr);
    doubleClick(QPoint(100, 100));
    EXPECT_EQ(desktop.openPanels, 1);
    EXPECT_EQ(speech.latest->spoken.size(), spoken);
}

TEST_F(ReadingInWindowTest, ReadingFollowsTheSentenceAcrossThePageTurn)
{
    doubleClick(pointOfCharacter(0, indexOf(0, QStringLiteral("It was a better question"))));
    ASSERT_TRUE(testing::waitUntil([&] { return !view().currentSelection().isEmpty(); }));
    // The last sentence of the page runs on to the next one; the page number is never read.
    for (int i = 0; i < 3 && view().currentSelection().pages().front() == shown().pageAtIndex(0); ++i) {
        speech.latest->finishUtterance();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(view().currentPageIndex(), 1);
    EXPECT_EQ(view().currentSelection().pages().front(), shown().pageAtIndex(1));
    for (const QString &spoken : speech.latest->spoken)
        EXPECT_NE(spoken.trimmed(), QStringLiteral("1"));
    // The selection is on screen.
    const QRect selection = QRect(pointOfCharacter(1, loop().speechSet().front().range.location), QSize(1, 1));
    EXPECT_TRUE(view().viewport()->rect().contains(selection.topLeft()));
}

TEST_F(ReadingInWindowTest, SelectionKeysStepWithinThePageAndClearAtItsEdges)
{
    const std::vector<SentenceRecord> sentences = pageSentences(0);
    ASSERT_GE(sentences.size(), 4u);
    // A selection in the middle of a sentence grows to the whole sentence.
    const SentenceRecord second = sentenceHolding(0, QStringLiteral("bakery"));
    view().setCurrentSelection(shown().pageAtIndex(0)->selectionForRange({second.range.location + 5, 3}));
    keyStroke(Qt::Key_Down);
    EXPECT_EQ(selectedText(), second.sentence);

    keyStroke(Qt::Key_Right);
    const SentenceRecord third = *delegate->pageContent().nextSentenceFor(second);
    EXPECT_EQ(selectedText(), third.sentence);
    keyStroke(Qt::Key_Period, {}, QStringLiteral("."));
    keyStroke(Qt::Key_Less, Qt::ShiftModifier, QStringLiteral("<"));
    EXPECT_EQ(selectedText(), third.sentence);
    keyStroke(Qt::Key_Left);
    keyStroke(Qt::Key_Comma, {}, QStringLiteral(","));
    EXPECT_EQ(selectedText(), sentences[1].sentence);
    keyStroke(Qt::Key_Left);
    EXPECT_EQ(selectedText(), sentences[0].sentence); // the running head is a sentence of the page too
    // Nothing before the first sentence of the page: the selection goes.
    keyStroke(Qt::Key_Left);
    EXPECT_TRUE(view().currentSelection().isEmpty());
    // None of this speaks.
    EXPECT_TRUE(speech.latest->spoken.isEmpty());

    view().selectSentence(sentences.back());
    keyStroke(Qt::Key_Right);
    EXPECT_TRUE(view().currentSelection().isEmpty());
}

TEST_F(ReadingInWindowTest, LetterAndSlashKeysSpeakPauseStopWalkAndResetAsTyped)
{
    const SentenceRecord second = sentenceHolding(0, QStringLiteral("bakery"));
    view().selectSentence(second);

    keyStroke(Qt::Key_K, {}, QStringLiteral("k"));
    EXPECT_EQ(speech.latest->spoken.back(), second.sentence);
    speech.latest->finishUtterance();
    keyStroke(Qt::Key_L, {}, QStringLiteral("l"));
    EXPECT_EQ(speech.latest->spoken.back(), delegate->pageContent().nextSentenceFor(second)->sentence);
    speech.latest->finishUtterance();
    EXPECT_TRUE(testing::waitUntil(
        [&] { return selectedText() == delegate->pageContent().nextSentenceFor(second)->sentence; }));
    keyStroke(Qt::Key_J, {}, QStringLiteral("j"));
    EXPECT_EQ(speech.latest->spoken.back(), second.sentence);

    // Space, P and Tab pause and resume; Shift-P is not P.
    keyStroke(Qt::Key_Space, {}, QStringLiteral(" "));
    EXPECT_TRUE(loop().isSpeechPausedByUser);
    keyStroke(Qt::Key_P, Qt::ShiftModifier, QStringLiteral("P"));
    EXPECT_TRUE(loop().isSpeechPausedByUser);
    keyStroke(Qt::Key_Tab);
    EXPECT_FALSE(loop().isSpeechPausedByUser);
    keyStroke(Qt::Key_P, {}, QStringLiteral("p"));
    EXPECT_TRUE(loop().isSpeechPausedByUser);

    // Paused, the place is kept even through S; speaking, S stops and forgets the queue.
    keyStroke(Qt::Key_S, {}, QStringLiteral("s"));
    EXPECT_FALSE(loop().speechSet().empty());
    keyStroke(Qt::Key_Space, {}, QStringLiteral(" "));
    keyStroke(Qt::Key_S, {}, QStringLiteral("s"));
    EXPECT_FALSE(speech.latest->isSpeaking());
    EXPECT_TRUE(loop().speechSet().empty());

    window.setLabelCurrentSessionStats(QStringLiteral("something else"));
    keyStroke(Qt::Key_0, {}, QStringLiteral("0"));
    EXPECT_EQ(window.labelCurrentSessionStats()->text(), QStringLiteral("Double-click a word to start reading."));

    // Slash reads from the selected sentence, or from the top of the page without the head.
    view().setCurrentSelection(shown().pageAtIndex(0)->selectionForRange({second.range.location + 10, 4}));
    keyStroke(Qt::Key_Slash, {}, QStringLiteral("/"));
    EXPECT_EQ(speech.latest->spoken.back(), second.sentence);
    keyStroke(Qt::Key_S, {}, QStringLiteral("s"));
    view().setCurrentSelection({});
    keyStroke(Qt::Key_Slash, {}, QStringLiteral("/"));
    EXPECT_TRUE(speech.latest->spoken.back().startsWith(QStringLiteral("Every story has to begin")));
}

TEST_F(ReadingInWindowTest, OnTurnedCroppedOrSmallPagesTheSentencePickedIsTheSentenceRead)
{
    testing::PdfFixture turned;
    testing::FixturePage rotated = testing::textPage(
        {QStringLiteral("Turned pages are read as shown."), QStringLiteral("The second line says so again.")});
    rotated.rotate = 90;
    turned.addPage(rotated);
    testing::FixturePage cropped = testing::textPage(
        {QStringLiteral("A cropped page starts here."), QStringLiteral("Its margins were cut away.")});
    cropped.cropBox = QRectF(50, 600, 400, 150);
    turned.addPage(cropped);
    // Lines of 6-point type, 7 points apart: a point a fixed 10 points into the selection's
    // first line would land on the line above.
    turned.addPage(testing::textPage(
        {QStringLiteral("The first sentence is set small."), QStringLiteral("The second one is set small as well.")},
        720, 72, 7, QStringLiteral("Helvetica"), 6));
    waitForJumpAfter([&] {
        ASSERT_TRUE(delegate->documents().openFileInternal(writeFile(QStringLiteral("turned.pdf"), turned.bytes())));
    });
    // The drawn page and its text agree on where the word stands: there is ink under it.
    view().waitForRenderedPages();
    EXPECT_LT(darkestAround(pointOfCharacter(0, indexOf(0, QStringLiteral("again")) + 2)), 128);
    EXPECT_GE(darkestAround(view().viewportPointForPagePoint(0, {20, 20})), 128);

    doubleClick(pointOfCharacter(0, indexOf(0, QStringLiteral("again"))));
    ASSERT_FALSE(speech.latest->spoken.isEmpty());
    EXPECT_EQ(speech.latest->spoken.back(), QStringLiteral("The second line says so again."));
    view().goToPageIndex(1, {0, 150});
    view().waitForRenderedPages();
    EXPECT_LT(darkestAround(pointOfCharacter(1, indexOf(1, QStringLiteral("margins")) + 2)), 128);
    doubleClick(pointOfCharacter(1, indexOf(1, QStringLiteral("margins"))));
    EXPECT_EQ(speech.latest->spoken.back(), QStringLiteral("Its margins were cut away."));

    const SentenceRecord small = sentenceHolding(2, QStringLiteral("second"));
    view().selectSentence(small);
    delegate->menuCommandSpeakFromCurrentSelection();
    EXPECT_EQ(speech.latest->spoken.back(), small.sentence);
}

TEST_F(ReadingInWindowTest, WhileTheButtonIsHeldTheSpokenSentenceWaitsAndComesBackAfterRelease)
{
    const std::vector<SentenceRecord> sentences = pageSentences(0);
    delegate->loadSpeechSet({sentences.begin() + 1, sentences.end()});
    view().verticalScrollBar()->setValue(view().verticalScrollBar()->maximum());
    const int scrolledAway = view().verticalScrollBar()->value();

    const QPoint somewhere(view().viewport()->width() / 2, 50);
    QTest::mousePress(view().viewport(), Qt::LeftButton, {}, somewhere);
    ASSERT_TRUE(view().isMouseDown);
    for (int i = 0; i < 3; ++i)
        speech.latest->finishUtterance();
    const SentenceRecord third = loop().speechSet().front();
    EXPECT_EQ(selectedText(), third.sentence); // selected, but not scrolled to
    EXPECT_EQ(view().verticalScrollBar()->value(), scrolledAway);
    EXPECT_TRUE(view().didSkipUpdateOfSelection);

    // A drag of the user's own is replaced by the spoken sentence a moment after the release.
    QTest::mouseMove(view().viewport(), somewhere + QPoint(40, 0));
    QTest::mouseRelease(view().viewport(), Qt::LeftButton, {}, somewhere + QPoint(40, 0));
    EXPECT_FALSE(view().didSkipUpdateOfSelection);
    EXPECT_TRUE(testing::waitUntil([&] { return selectedText() == third.sentence; }));
    EXPECT_TRUE(testing::waitUntil([&] { return view().verticalScrollBar()->value() != scrolledAway; }));
}

TEST_F(ReadingInWindowTest, PagesAreDrawnAndTheSelectionTintsThem)
{
    view().waitForRenderedPages();
    const QPoint word = pointOfCharacter(0, indexOf(0, QStringLiteral("Margaret")));
    const QImage before = view().viewport()->grab().toImage();
    // Ink where the word is, white paper in the page's margin, the window behind the pages.
    EXPECT_LT(darkestAround(word, 4), 100);
    const QPoint margin = view().viewportPointForPagePoint(0, {30, 400});
    EXPECT_EQ(before.pixelColor(margin), QColor(Qt::white));

    view().selectSentence(sentenceHolding(0, QStringLiteral("Margaret")));
    const QImage selected = view().viewport()->grab().toImage();
    const QPoint besideWord = word + QPoint(0, -3);
    EXPECT_NE(selected.pixelColor(besideWord), before.pixelColor(besideWord));

    if (const QByteArray path = qgetenv("NARRATA_SCREENSHOT"); !path.isEmpty())
        window.grab().save(QString::fromLocal8Bit(path));
}

} // namespace
} // namespace narrata
