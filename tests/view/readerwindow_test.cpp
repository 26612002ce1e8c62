// The reader's window on real widgets and MuPDF, speaking into a fake synthesizer: pages, menus,
// drops, zoom, reading by clicks, keys and the held mouse, the popovers and word mappings window.
#include "view/custompdfview.h"
#include "view/helppopover.h"
#include "view/mainwindow.h"
#include "view/pagelayout.h"
#include "view/preferencespopover.h"
#include "view/readingkeys.h"
#include "view/voicepopover.h"
#include "view/wordmappingseditor.h"

#include "settings/registereddefaults.h"
#include "speech/wordmappings.h"
#include "text/sentencesegmentation.h"

#include "readerwindowrig.h"
#include "support/delegateservices.h"
#include "support/pdffixture.h"
#include "support/qtprinters.h"
#include "support/voicerig.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace narrata {
namespace {

using testing::ReaderWindowTest;
using testing::widgetApp;
using testing::WidgetTest;

TEST(PageLayout, PlacesPagesCentredAndMapsPointsAndPagesBothWays)
{
    PageLayout layout;
    layout.setPageSizes({QSizeF(612, 792), QSizeF(792, 612), QSizeF(612, 792)});
    layout.setViewportWidth(900);
    layout.setScale(layout.fitWidthScale(900));
    // The widest page fills the width and the others are centred.
    EXPECT_NEAR(layout.pageRect(1).width(), 900 - 2 * PageLayout::kGap, 1);
    EXPECT_NEAR(layout.pageRect(0).center().x(), 450, 1);
    EXPECT_DOUBLE_EQ(layout.pageRect(1).top(), layout.pageRect(0).bottom() + PageLayout::kGap);
    EXPECT_NEAR(layout.contentSize().height(), layout.pageRect(2).bottom() + PageLayout::kGap, 0.001);

    // The page's top-left corner in the view is its upper-left corner in page space, y up.
    EXPECT_LT(QLineF(layout.pagePoint(2, layout.pageRect(2).topLeft()), {0, 792}).length(), 1e-6);
    const QPointF point(100.5, 300.25);
    EXPECT_LT(QLineF(layout.pagePoint(2, layout.contentPoint(2, point)), point).length(), 1e-9);
    // A box of a line keeps its height and stands with its top edge up.
    const QRectF line = layout.contentRect(2, QRectF(72, 700, 200, 12));
    EXPECT_NEAR(line.top(), layout.contentPoint(2, {72, 712}).y(), 1e-9);
    EXPECT_NEAR(line.height(), 12 * layout.scale(), 1e-9);

    // The page under a point, and the nearest one from a gap.
    const QRectF second = layout.pageRect(1);
    EXPECT_EQ(layout.pageAt(second.center(), false), 1);
    EXPECT_EQ(layout.pageAt(second.topLeft(), false), 1);
    EXPECT_EQ(layout.pageAt({450, second.bottom() + 2}, false), -1);
    EXPECT_EQ(layout.pageAt({450, second.bottom() + 2}, true), 1);
    EXPECT_EQ(layout.pageAt({450, second.bottom() + PageLayout::kGap - 2}, true), 2);
    EXPECT_EQ(layout.pageAt({450, -50}, true), 0);
    EXPECT_EQ(layout.pageAt({450, 1e6}, true), 2);
    EXPECT_EQ(layout.pagesBetween(second.top() + 5, second.bottom() + 5), std::make_pair(1, 1));
    EXPECT_EQ(layout.pagesBetween(second.top() + 5, second.bottom() + PageLayout::kGap + 5), std::make_pair(1, 2));
    EXPECT_EQ(PageLayout().pageAt({0, 0}, true), -1);
}

TEST_F(ReaderWindowTest, LaunchShowsTheUserGuideAtTheTopOfItsFirstPageWhoseHeadsCanBeChecked)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Narrata User Guide.pdf"));
    ASSERT_NE(delegate->documents().pdfDocument(), nullptr);
    EXPECT_EQ(view().currentPageIndex(), 0);
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 1 of 6 (17%)"));
    EXPECT_EQ(window.labelCurrentSessionStats()->text(), QStringLiteral("Double-click a word to start reading."));
    // A document the view shows is its own copy.
    EXPECT_NE(view().document(), delegate->documents().pdfDocument());
    EXPECT_TRUE(QFile::exists(delegate->wordMappings().mappingsFile().path()));

    // Checking a page's heads selects its running head and its number, nothing of the body.
    view().goToPageIndex(2, {0, 792});
    ASSERT_EQ(view().currentPageIndex(), 2);
    window.action(QStringLiteral("checkHeadersFootersOnPage"))->trigger();
    const QString selected = selectedText();
    EXPECT_TRUE(selected.startsWith(QStringLiteral("A Short Sample Book"))) << qPrintable(selected);
    EXPECT_TRUE(selected.endsWith(QStringLiteral("3"))) << qPrintable(selected);
    EXPECT_LT(selected.size(), 40);
}

TEST_F(ReaderWindowTest, APDFDroppedOnTheWindowIsShownWithItsPageLabelAndPagesAtTheirOwnSizes)
{
    testing::PdfFixture three;
    three.addPage(testing::textPage({QStringLiteral("First page.")}));
    testing::FixturePage landscape = testing::textPage({QStringLiteral("Second page.")}, 500);
    landscape.width = 792;
    landscape.height = 612;
    three.addPage(landscape);
    three.addPage(testing::textPage({QStringLiteral("Third page.")}));
    const QString path = writeFile(QStringLiteral("three.pdf"), three.bytes());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder.filePath(QStringLiteral("notes.txt"))), QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    waitForJumpAfter([&] { QApplication::sendEvent(&window, &drop); });
    EXPECT_EQ(window.windowTitle(), QStringLiteral("three.pdf"));
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 1 of 3 (33%)"));

    // The landscape page's top edge is one gap under the portrait page's bottom edge.
    view().waitForRenderedPages();
    const auto gap = [this] {
        return view().viewportPointForPagePoint(1, {0, 612}).y() - view().viewportPointForPagePoint(0, {0, 0}).y();
    };
    EXPECT_TRUE(QTest::qWaitFor([&gap] { return std::abs(gap() - PageLayout::kGap) <= 1; }));

    view().goToPageIndex(1, {0, 612});
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 2 of 3 (67%)"));
    // A selection near the top of page 2 counts a little of that page.
    view().setCurrentSelection(view().document()->pageAtIndex(1)->selectionForRange({0, 6}));
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 2 of 3 (39%)"));
}

TEST_F(ReaderWindowTest, TheWheelScrollsAndWithControlZoomsAroundThePointer)
{
    const auto wheel = [this](int notches, Qt::KeyboardModifiers modifiers, QPointF at) {
        QWheelEvent event(at, view().viewport()->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
            modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view().viewport(), &event);
    };
    const QPointF centre(view().viewport()->width() / 2.0, view().viewport()->height() / 2.0);
    wheel(-2, {}, centre);
    EXPECT_TRUE(QTest::qWaitFor([this] { return view().verticalScrollBar()->value() > 0; }));

    const double fitted = view().scaleFactor();
    const auto [page, underPointer] = view().pagePointForViewportPoint(centre);
    wheel(1, Qt::ControlModifier, centre);
    EXPECT_GT(view().scaleFactor(), fitted);
    EXPECT_FALSE(view().autoScales());
    // What was under the pointer still is.
    const auto [pageAfter, underPointerAfter] = view().pagePointForViewportPoint(centre);
    EXPECT_EQ(pageAfter, page);
    EXPECT_NEAR(underPointerAfter.y(), underPointer.y(), 2);

    window.action(QStringLiteral("fitWidth"))->trigger();
    EXPECT_DOUBLE_EQ(view().scaleFactor(), fitted);
    EXPECT_TRUE(view().autoScales());
}

TEST_F(ReaderWindowTest, MenusFollowTheSelectionThePageAndTheWindowAndRecentPdfsPopUp)
{
    // Which items the state enables is checked without a window; here, that the menus show it.
    QAction *speak = window.action(QStringLiteral("menuCommandSpeakFromCurrentSelection"));
    QAction *onTop = window.action(QStringLiteral("keepMainWindowOnTop"));
    window.validateMenus();
    EXPECT_EQ(speak->text(), QStringLiteral("Speak from Top of Page"));
    view().setCurrentSelection(view().document()->pageAtIndex(0)->selectionForRange({25, 5}));
    window.validateMenus();
    EXPECT_EQ(speak->text(), QStringLiteral("Speak from Selected Text"));

    onTop->trigger();
    EXPECT_EQ(window.windowLevel(), 25);
    window.validateMenus();
    EXPECT_TRUE(onTop->isChecked());
    onTop->trigger();
    EXPECT_EQ(window.windowLevel(), 0);

    defaults.setValue(settingskeys::rememberPreferenceShouldKeepMainWindowOnTop, true);
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(window.windowLevel(), 25) << "a window remembered on top opens on top";
    window.validateMenus();
    onTop->trigger();
    EXPECT_EQ(window.windowLevel(), 0);

    // The watched folder's recent PDFs pop up by name and the one chosen is handed back.
    const std::vector<RecentFileEntry> entries{{QUrl::fromLocalFile(QStringLiteral("/papers/paper 6.pdf")), {}},
        {QUrl::fromLocalFile(QStringLiteral("/papers/paper 5.pdf")), {}}};
    std::optional<RecentFileEntry> chosen;
    window.popUpRecentPDFs(entries, [&chosen](const RecentFileEntry &entry) { chosen = entry; });
    auto *menu = window.findChild<QMenu *>(QStringLiteral("watchedFilesMenu"));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->title(), QStringLiteral("Recent PDFs"));
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions().at(0)->text(), QStringLiteral("paper 6"));
    menu->actions().at(1)->trigger();
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->URL, entries[1].URL);
}

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

TEST_F(ReaderWindowTest, DoubleClicksReadFromTheWordsSentenceIgnoreTrimmedTextAndStopInTheMargin)
{
    const SentenceRecord sentence = sentenceHolding(0, QStringLiteral("bakery"));
    const QPoint word = pointOfCharacter(0, indexOf(0, QStringLiteral("bakery")) + 2);
    view().waitForRenderedPages();
    const QColor beside = view().viewport()->grab().toImage().pixelColor(word + QPoint(0, -3));
    doubleClick(word);
    ASSERT_FALSE(speech.latest->spoken.isEmpty());
    EXPECT_TRUE(speech.latest->spoken.back().startsWith(QStringLiteral("The town had one bakery")));
    ASSERT_FALSE(loop().speechSet().empty());
    EXPECT_EQ(loop().speechSet().front(), sentence);
    // The clicked word is not what ends up selected: the spoken sentence is, once the button
    // is up again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return selectedText() == sentence.sentence; }));
    EXPECT_FALSE(view().isMouseDown);
    EXPECT_NE(view().viewport()->grab().toImage().pixelColor(word + QPoint(0, -3)), beside) << "and tinted";

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

TEST_F(ReaderWindowTest, ReadingFollowsTheSentenceAcrossThePageTurn)
{
    doubleClick(pointOfCharacter(0, indexOf(0, QStringLiteral("It was a better question"))));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view().currentSelection().isEmpty(); }));
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

    // Assistive technology follows too: the page's text, the sentence selected, the caret on it.
    QAccessibleTextInterface *text = QAccessible::queryAccessibleInterface(&view())->textInterface();
    ASSERT_NE(text, nullptr);
    int start = 0;
    int end = 0;
    text->selection(0, &start, &end);
    EXPECT_EQ(text->text(start, end), view().currentSelection().string());
    EXPECT_EQ(text->cursorPosition(), start);
}

TEST_F(ReaderWindowTest, EveryControlHasAnAccessibleName)
{
    window.action(QStringLiteral("buttonPreferencesPopoverClicked"))->trigger();
    window.action(QStringLiteral("buttonTTSVoicePopoverClicked"))->trigger();
    window.action(QStringLiteral("buttonOrvikPopoverClicked"))->trigger();
    QStringList unnamed;
    for (QWidget *control : window.findChildren<QWidget *>()) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        const QAccessible::Role role = accessible ? accessible->role() : QAccessible::NoRole;
        const bool named = accessible && !accessible->text(QAccessible::Name).trimmed().isEmpty();
        if (!named
            && (role == QAccessible::PushButton || role == QAccessible::CheckBox || role == QAccessible::ComboBox
                || role == QAccessible::Slider || role == QAccessible::SpinBox || role == QAccessible::EditableText
                || role == QAccessible::ButtonMenu || role == QAccessible::RadioButton))
            unnamed.append(control->objectName());
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(QStringLiteral(", ")).toStdString();
}

TEST_F(ReaderWindowTest, KeysStepTheSelectionWithinThePageAndSpeakPauseStopWalkAndResetAsTyped)
{
    const std::vector<SentenceRecord> sentences = pageSentences(0);
    ASSERT_GE(sentences.size(), 5u);
    // A selection in the middle of a sentence grows to the whole sentence; Right and "." step on,
    // Left, "," and "<" back, to the running head, a sentence of the page too, and then off it.
    const SentenceRecord second = sentences[2], third = sentences[3];
    ASSERT_TRUE(second.sentence.contains(QStringLiteral("bakery")));
    view().setCurrentSelection(shown().pageAtIndex(0)->selectionForRange({second.range.location + 5, 3}));
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, const char *, int> steps[] = {{Qt::Key_Down, {}, "", 2},
        {Qt::Key_Right, {}, "", 3}, {Qt::Key_Period, {}, ".", 4}, {Qt::Key_Less, Qt::ShiftModifier, "<", 3},
        {Qt::Key_Left, {}, "", 2}, {Qt::Key_Comma, {}, ",", 1}, {Qt::Key_Left, {}, "", 0}, {Qt::Key_Left, {}, "", -1}};
    for (const auto &[key, modifiers, text, expected] : steps) {
        keyStroke(key, modifiers, QString::fromLatin1(text));
        EXPECT_EQ(selectedText(), expected < 0 ? QString() : sentences[size_t(expected)].sentence) << key;
    }
    EXPECT_TRUE(speech.latest->spoken.isEmpty()) << "none of this speaks";

    view().selectSentence(sentences.back());
    keyStroke(Qt::Key_Right);
    EXPECT_TRUE(view().currentSelection().isEmpty());

    view().selectSentence(second);

    keyStroke(Qt::Key_K, {}, QStringLiteral("k"));
    EXPECT_EQ(speech.latest->spoken.back(), second.sentence);
    speech.latest->finishUtterance();
    keyStroke(Qt::Key_L, {}, QStringLiteral("l"));
    EXPECT_EQ(speech.latest->spoken.back(), third.sentence);
    speech.latest->finishUtterance();
    EXPECT_TRUE(QTest::qWaitFor([&] { return selectedText() == third.sentence; }));
    keyStroke(Qt::Key_J, {}, QStringLiteral("j"));
    EXPECT_EQ(speech.latest->spoken.back(), second.sentence);

    // Space pauses; Shift-P is not P, though the release comes as a plain "p".
    keyStroke(Qt::Key_Space, {}, QStringLiteral(" "));
    EXPECT_TRUE(loop().isSpeechPausedByUser);
    keyStroke(Qt::Key_P, Qt::ShiftModifier, QStringLiteral("P"));
    EXPECT_TRUE(loop().isSpeechPausedByUser);
    // The window says so: Resume in the toolbar, "Paused" in the status bar.
    EXPECT_EQ(window.action(QStringLiteral("togglePauseSpeech"))->iconText(), QStringLiteral("Resume"));
    EXPECT_TRUE(window.findChild<QLabel *>(QStringLiteral("labelReadingPaused"))->isVisible());

    // Paused, the place is kept even through S; speaking, S stops and forgets the queue.
    keyStroke(Qt::Key_S, {}, QStringLiteral("s"));
    EXPECT_FALSE(loop().speechSet().empty());
    keyStroke(Qt::Key_Space, {}, QStringLiteral(" "));
    EXPECT_EQ(window.action(QStringLiteral("togglePauseSpeech"))->iconText(), QStringLiteral("Pause"));
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

TEST_F(ReaderWindowTest, OnTurnedCroppedOrSmallPagesTheSentencePickedIsTheSentenceRead)
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

TEST_F(ReaderWindowTest, WhileTheButtonIsHeldTheSpokenSentenceWaitsAndComesBackAfterRelease)
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return selectedText() == third.sentence; }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return view().verticalScrollBar()->value() != scrolledAway; }));
}

using namespace settingskeys;

class PreferencesPopoverTest : public WidgetTest {
protected:
    PreferencesPopoverTest()
    {
        store.registerDefaults(registeredDefaults());
        QObject::connect(&popover, &PreferencesPopover::preferencesChanged,
            [this](const Preferences &preferences) { reported.push_back(preferences); });
    }

    MemoryDefaultsStore store;
    PreferencesPopover popover{store};
    std::vector<Preferences> reported;
};

TEST_F(PreferencesPopoverTest, EachBoxReportsItsOwnPreferenceAndSettingThemReportsNothing)
{
    for (const PreferenceProperty &property : preferenceProperties) {
        auto *box = popover.findChild<QCheckBox *>(QString(property.key));
        ASSERT_NE(box, nullptr) << property.key.data();
        const Preferences before = popover.preferences();
        Preferences expected = before;
        expected.*property.member = !(before.*property.member);

        reported.clear();
        box->click();
        ASSERT_EQ(reported.size(), 1u) << property.key.data();
        EXPECT_EQ(reported[0], expected) << property.key.data() << " reported, and no other";
    }

    reported.clear();
    Preferences all;
    for (const PreferenceProperty &property : preferenceProperties)
        all.*property.member = true;
    popover.setPreferences(all);
    EXPECT_EQ(popover.preferences(), all);
    EXPECT_TRUE(reported.empty()) << "setting the boxes is no change of the user's";
}

TEST_F(PreferencesPopoverTest, WindowAndLinkSettingsAreLoadedAtEachShowAndWrittenWhenChanged)
{
    store.setValue(rememberPreferenceShouldKeepMainWindowOnTop, true);
    store.setValue(kOrvikURLRichTextFontSize, QStringLiteral("18")); // as an INI file gives it back
    popover.showBelow(nullptr);
    auto *onTop = popover.findChild<QCheckBox *>(QString(rememberPreferenceShouldKeepMainWindowOnTop));
    auto *size = popover.findChild<QDoubleSpinBox *>(QString(kOrvikURLRichTextFontSize));
    ASSERT_TRUE(onTop && size);
    EXPECT_TRUE(onTop->isChecked());
    EXPECT_EQ(size->value(), 18.0);
    EXPECT_EQ(store.synchronizeCount(), 0) << "showing is no change";
    EXPECT_FALSE(store.contains(kOrvikURLRichTextFontName));

    onTop->click();
    EXPECT_FALSE(store.boolForKey(rememberPreferenceShouldKeepMainWindowOnTop));
    EXPECT_TRUE(store.contains(rememberPreferenceShouldKeepMainWindowOnTop));
    size->setValue(100);
    EXPECT_EQ(store.doubleForKey(kOrvikURLRichTextFontSize), 72.0) << "held to the box's range";
    EXPECT_EQ(store.synchronizeCount(), 2);
    EXPECT_TRUE(reported.empty()) << "these are not among the reported preferences";

    popover.hide();
    store.setValue(rememberPreferenceShouldKeepMainWindowOnTop, true);
    popover.showBelow(nullptr);
    EXPECT_TRUE(onTop->isChecked()) << "changed elsewhere while hidden";
}

class VoicePopoverTest : public WidgetTest, protected testing::VoiceRig {
protected:
    VoicePopoverTest()
    {
        defaults.registerDefaults(registeredDefaults());
        service.voices.emplace(
            QStringLiteral("de"), VoiceAttributes{QStringLiteral("German"), QStringLiteral("de_DE"), 35, false});
        catalogue.prepareVoices(loop);
        loop.reloadSpeechSynthesizer();
        QObject::connect(&popover, &VoicePopover::voiceChanged, [this] { ++changes; });
    }

    template<typename T> T *control(const char *name) { return popover.findChild<T *>(QLatin1String(name)); }
    QComboBox *voices() { return control<QComboBox>("popupButtonTTSVoiceList"); }
    QSlider *slider() { return control<QSlider>("ttsSpeedSlider"); }
    QString speedLabel() { return control<QLabel>("ttsSpeedLabel")->text(); }
    int indexOf(const char *identifier) { return voices()->findData(QString::fromLatin1(identifier)); }

    VoicePopover popover{catalogue, loop};
    int changes = 0;
};

TEST_F(VoicePopoverTest, PicksWaitForApplyWhichStoresAndSpeaksThemAndResetForgetsThem)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en-us"));
    defaults.setValue(kNarrataTTSVoiceRate, 200.0);
    QWidget statusBar;
    statusBar.setGeometry(100, 300, 300, 40);
    statusBar.show();
    popover.showAbove(&statusBar);
    EXPECT_EQ(popover.frameGeometry().bottom() + 1, 300) << "right above its button";
    EXPECT_EQ(popover.x(), 100);
    ASSERT_EQ(voices()->count(), 2) << "English adults only";
    EXPECT_EQ(voices()->currentData().toString(), QStringLiteral("en-us"));
    EXPECT_EQ(slider()->value(), 200);

    // Picks are neither heard nor stored before Apply; the catalogue's tests check that the next
    // showing forgets them.
    const int created = service.created;
    voices()->setCurrentIndex(indexOf("en"));
    slider()->setValue(260);
    EXPECT_EQ(speedLabel(), QStringLiteral("260 wpm"));
    EXPECT_EQ(service.created, created);
    EXPECT_EQ(defaults.doubleForKey(kNarrataTTSVoiceRate), 200.0);
    EXPECT_EQ(changes, 0);
    control<QPushButton>("buttonApply")->click();
    EXPECT_FALSE(popover.isVisible());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en")) << "the catalogue's tests check what is stored";
    EXPECT_EQ(service.latest->rate(), 260.0f);

    // The filter box rebuilds the menu around the stored voice.
    popover.showAbove(nullptr);
    EXPECT_EQ(slider()->value(), 260);
    auto *englishOnly = control<QCheckBox>("showOnlyEnglishAdultVoices");
    ASSERT_TRUE(englishOnly->isChecked());
    englishOnly->click();
    EXPECT_EQ(voices()->count(), 3);
    EXPECT_EQ(voices()->currentData().toString(), QStringLiteral("en"));
    EXPECT_EQ(catalogue.selectedIndex(), voices()->currentIndex()) << "the menu and the catalogue agree";

    control<QPushButton>("buttonReset")->click();
    EXPECT_FALSE(popover.isVisible());
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
    EXPECT_EQ(service.latest->rate(), 175.0f);
}

TEST(HelpPopover, OpensNextToItsButtonOnScreenAndReadsItsTextAtEveryShow)
{
    widgetApp();
    QWidget bar;
    bar.setGeometry(100, 200, 300, 40);
    auto *button = new QPushButton(QStringLiteral("?"), &bar);
    button->setGeometry(10, 5, 30, 20);
    bar.show();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("help.html"));
    HelpPopover help(path);
    help.showBelow(button);
    EXPECT_EQ(help.pos(), button->mapToGlobal(QPoint(0, button->height())));
    auto *label = help.findChild<QLabel *>(QStringLiteral("labelHelpPopoverText"));
    EXPECT_EQ(label->text(), QStringLiteral("Help is not available."));

    ASSERT_TRUE(testing::writeBytes(path, QStringLiteral("<p>Press <b>Space</b> to pause — or resume.</p>").toUtf8()));
    const QRect screen = button->screen()->availableGeometry();
    bar.move(screen.right() - 40, screen.bottom() - 30);
    help.hide();
    help.showBelow(button);
    EXPECT_TRUE(screen.contains(help.frameGeometry())) << "pulled back from the corner";
    EXPECT_EQ(label->text(), QStringLiteral("<p>Press <b>Space</b> to pause — or resume.</p>"));
}

const QString kSaved = QStringLiteral("colour:\ncolor\n");

class WordMappingsEditorTest : public WidgetTest {
protected:
    WordMappingsEditorTest() { testing::writeBytes(path, kSaved.toUtf8()); }

    QByteArray onDisk() const
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    QPlainTextEdit &text()
    {
        return *editor.findChild<QPlainTextEdit *>(QStringLiteral("textViewCustomPronunciationEditor"));
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("word mappings.txt"));
    WordMappingsFile file{path};
    WordMappingsEditor editor{file};
};

TEST_F(WordMappingsEditorTest, WhileOpenTheSpeechHearsTheUnsavedTextAndCancelThrowsItAway)
{
    editor.menuClickedEditCustomPronunciations();
    ASSERT_TRUE(editor.isVisible());
    EXPECT_EQ(text().toPlainText(), kSaved);
    text().setPlainText(QStringLiteral("teh:\nthe\n"));
    EXPECT_EQ(file.contents(), QStringLiteral("teh:\nthe\n"));
    ASSERT_TRUE(file.reload());
    EXPECT_EQ(file.mappings().value(QStringLiteral("teh")), QStringLiteral("the"));

    editor.buttonClickedCustomPronunciationEditorCanceled();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(text().toPlainText().isEmpty());
    EXPECT_EQ(file.contents(), kSaved);
    EXPECT_EQ(onDisk(), kSaved.toUtf8());
}

TEST_F(WordMappingsEditorTest, OKSavesTheTextAndKeepsItForTheNextOpening)
{
    editor.menuClickedEditCustomPronunciations();
    const QString edited = QStringLiteral("naïve:\nnah eve\nCO₂:\nsee oh two\n");
    text().setPlainText(edited);
    editor.buttonClickedCustomPronunciationEditorOK();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(onDisk(), edited.toUtf8());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"word mappings.txt"}))
        << "no temporary file left beside it";

    ASSERT_TRUE(testing::writeBytes(path, "changed elsewhere:\n\n"));
    editor.menuClickedEditCustomPronunciations();
    EXPECT_EQ(text().toPlainText(), edited) << "the window's text is not replaced";

    editor.close(); // the title bar's button leaves the text as it is
    EXPECT_EQ(text().toPlainText(), edited);
    EXPECT_EQ(file.contents(), QStringLiteral("changed elsewhere:\n\n"));
}

TEST_F(WordMappingsEditorTest, AFailedSaveKeepsTheWindowOpenWithTheReason)
{
    editor.menuClickedEditCustomPronunciations();
    text().setPlainText(QStringLiteral("kept:\nsafe\n"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("word mappings.txt"))); // cannot be written over

    editor.buttonClickedCustomPronunciationEditorOK();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(text().toPlainText(), QStringLiteral("kept:\nsafe\n"));
    EXPECT_TRUE(editor.findChild<QLabel *>(QStringLiteral("labelStatus"))->text().startsWith("Could not save: "));
}

TEST_F(WordMappingsEditorTest, WithoutAFileNoneIsCreatedAndAClosedDownEditorLetsTheFileGo)
{
    ASSERT_TRUE(QFile::remove(path));
    editor.menuClickedEditCustomPronunciations();
    EXPECT_TRUE(text().toPlainText().isEmpty());
    text().setPlainText(QStringLiteral("only:\nhere\n"));
    EXPECT_EQ(file.contents(), QStringLiteral("only:\nhere\n"));
    editor.buttonClickedCustomPronunciationEditorOK();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(file.contents(), std::nullopt);

    {
        WordMappingsEditor other(file);
        other.menuClickedEditCustomPronunciations();
        other.findChild<QPlainTextEdit *>()->setPlainText(QStringLiteral("gone:\nsoon\n"));
        ASSERT_TRUE(file.contents().has_value());
    }
    EXPECT_EQ(file.contents(), std::nullopt) << "a closed-down editor no longer speaks for the file";
}

} // namespace
} // namespace narrata
