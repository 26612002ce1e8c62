// Where pages stand in the page view; and launch, opening documents, the labels, the menus, the
// watched folder's pop-up, zoom and drops in the real window.
#include "view/pagelayout.h"
#include "view/readerwindowfixture.h"

#include "settings/registereddefaults.h"

#include "support/qtprinters.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QWheelEvent>

namespace narrata {
namespace {

using testing::ReaderWindowTest;

PageLayout letterAndLandscape()
{
    PageLayout layout;
    layout.setPageSizes({QSizeF(612, 792), QSizeF(792, 612), QSizeF(612, 792)});
    layout.setViewportWidth(900);
    layout.setScale(layout.fitWidthScale(900));
    return layout;
}

TEST(PageLayout, TheWidestPageFillsTheWidthAndTheOthersAreCentred)
{
    const PageLayout layout = letterAndLandscape();
    EXPECT_NEAR(layout.pageRect(1).width(), 900 - 2 * PageLayout::kGap, 1);
    EXPECT_NEAR(layout.pageRect(0).center().x(), 450, 1);
    EXPECT_DOUBLE_EQ(layout.pageRect(1).top(), layout.pageRect(0).bottom() + PageLayout::kGap);
    EXPECT_NEAR(layout.contentSize().height(), layout.pageRect(2).bottom() + PageLayout::kGap, 0.001);
}

TEST(PageLayout, PointsGoToPageSpaceWithYUpAndBack)
{
    const PageLayout layout = letterAndLandscape();
    const QRectF page = layout.pageRect(2);
    // The page's top-left corner in the view is its upper-left corner in page space.
    const QPointF corner = layout.pagePoint(2, page.topLeft());
    EXPECT_NEAR(corner.x(), 0, 1e-9);
    EXPECT_NEAR(corner.y(), 792, 1e-6);
    const QPointF point(100.5, 300.25);
    const QPointF back = layout.pagePoint(2, layout.contentPoint(2, point));
    EXPECT_NEAR(back.x(), point.x(), 1e-9);
    EXPECT_NEAR(back.y(), point.y(), 1e-9);
    // A box of a line keeps its height and stands with its top edge up.
    const QRectF line = layout.contentRect(2, QRectF(72, 700, 200, 12));
    EXPECT_NEAR(line.top(), layout.contentPoint(2, {72, 712}).y(), 1e-9);
    EXPECT_NEAR(line.height(), 12 * layout.scale(), 1e-9);
}

TEST(PageLayout, FindsThePageUnderAPointAndTheNearestOneFromAGap)
{
    const PageLayout layout = letterAndLandscape();
    const QRectF second = layout.pageRect(1);
    EXPECT_EQ(layout.pageAt(second.center(), false), 1);
    EXPECT_EQ(layout.pageAt(second.topLeft(), false), 1);
    const QPointF inGapBelowSecond(450, second.bottom() + 2);
    EXPECT_EQ(layout.pageAt(inGapBelowSecond, false), -1);
    EXPECT_EQ(layout.pageAt(inGapBelowSecond, true), 1);
    EXPECT_EQ(layout.pageAt({450, second.bottom() + PageLayout::kGap - 2}, true), 2);
    EXPECT_EQ(layout.pageAt({450, -50}, true), 0);
    EXPECT_EQ(layout.pageAt({450, 1e6}, true), 2);
    EXPECT_EQ(layout.pagesBetween(second.top() + 5, second.bottom() + 5), std::make_pair(1, 1));
    EXPECT_EQ(layout.pagesBetween(second.top() + 5, second.bottom() + PageLayout::kGap + 5), std::make_pair(1, 2));
    EXPECT_EQ(PageLayout().pageAt({0, 0}, true), -1);
}

class DocumentsInWindowTest : public ReaderWindowTest { };

TEST_F(DocumentsInWindowTest, LaunchShowsTheUserGuideAtTheTopOfItsFirstPageWhoseHeadsCanBeChecked)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Narrata User Guide.pdf"));
    ASSERT_NE(delegate->documents().pdfDocument(), nullptr);
    ASSERT_EQ(delegate->documents().listOfPDFDocs().size(), 1u);
    EXPECT_EQ(delegate->documents().listOfPDFDocs().front().filename, QStringLiteral("Narrata User Guide"));
    EXPECT_EQ(view().currentPageIndex(), 0);
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 1 of 6 (17%)"));
    EXPECT_EQ(window.labelCurrentSessionStats()->text(), QStringLiteral("Double-click a word to start reading."));
    // A document the view shows is its own copy.
    EXPECT_NE(view().document(), delegate->documents().pdfDocument());
    EXPECT_TRUE(QFile::exists(delegate->wordMappings().mappingsFile().path()));
    EXPECT_EQ(window.windowLevel(), 0);

    // Checking a page's heads selects its running head and its number, nothing of the body.
    view().goToPageIndex(2, {0, 792});
    ASSERT_EQ(view().currentPageIndex(), 2);
    window.action(QStringLiteral("checkHeadersFootersOnPage"))->trigger();
    const QString selected = selectedText();
    EXPECT_TRUE(selected.startsWith(QStringLiteral("A Short Sample Book"))) << qPrintable(selected);
    EXPECT_TRUE(selected.endsWith(QStringLiteral("3"))) << qPrintable(selected);
    EXPECT_LT(selected.size(), 40);
}

TEST_F(DocumentsInWindowTest, APDFDroppedOnTheWindowIsShownWithItsPageLabelAndPagesAtTheirOwnSizes)
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
    EXPECT_EQ(view().document()->pageCount(), 3);
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 1 of 3 (33%)"));

    // The landscape page's top edge is one gap under the portrait page's bottom edge.
    view().waitForRenderedPages();
    const auto gap = [this] {
        return view().viewportPointForPagePoint(1, {0, 612}).y() - view().viewportPointForPagePoint(0, {0, 0}).y();
    };
    EXPECT_TRUE(testing::waitUntil([&gap] { return std::abs(gap() - PageLayout::kGap) <= 1; }));

    view().goToPageIndex(1, {0, 612});
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 2 of 3 (67%)"));
    // A selection near the top of page 2 counts a little of that page.
    view().setCurrentSelection(view().document()->pageAtIndex(1)->selectionForRange({0, 6}));
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 2 of 3 (39%)"));
    view().setCurrentSelection({});
    EXPECT_EQ(window.labelTextPDFInfo()->text(), QStringLiteral("Page 2 of 3 (67%)"));
}

TEST_F(DocumentsInWindowTest, TheWheelScrollsAndWithControlZoomsAroundThePointer)
{
    const auto wheel = [this](int notches, Qt::KeyboardModifiers modifiers, QPointF at) {
        QWheelEvent event(at, view().viewport()->mapToGlobal(at), QPoint(), QPoint(0, notches * 120), Qt::NoButton,
            modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view().viewport(), &event);
    };
    const QPointF centre(view().viewport()->width() / 2.0, view().viewport()->height() / 2.0);
    wheel(-2, {}, centre);
    EXPECT_TRUE(testing::waitUntil([this] { return view().verticalScrollBar()->value() > 0; }));

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

TEST_F(DocumentsInWindowTest, MenusFollowTheSelectionThePageAndTheWindow)
{
    QAction *speak = window.action(QStringLiteral("menuCommandSpeakFromCurrentSelection"));
    QAction *ignoreFont = window.action(QStringLiteral("menuCommandAddFontToIgnoreList"));
    QAction *onTop = window.action(QStringLiteral("keepMainWindowOnTop"));
    QAction *mostRecent = window.action(QStringLiteral("menuCommandGoToMostRecentSentenceRead"));

    window.validateMenus();
    EXPECT_EQ(speak->text(), QStringLiteral("Speak from Top of Page"));
    EXPECT_TRUE(speak->isEnabled());
    EXPECT_FALSE(ignoreFont->isEnabled());
    EXPECT_FALSE(mostRecent->isEnabled());
    EXPECT_FALSE(onTop->isChecked());

    view().setCurrentSelection(view().document()->pageAtIndex(0)->selectionForRange({25, 5}));
    window.validateMenus();
    EXPECT_EQ(speak->text(), QStringLiteral("Speak from Selected Text"));
    EXPECT_TRUE(ignoreFont->isEnabled());

    onTop->trigger();
    EXPECT_EQ(window.windowLevel(), 25);
    window.validateMenus();
    EXPECT_TRUE(onTop->isChecked());
    onTop->trigger();
    EXPECT_EQ(window.windowLevel(), 0);

    // A sentence read to its end gives the document a most recent position.
    delegate->speakingLoop().startSentenceWalkK(view().currentSelectionSentenceDict());
    speech.latest->finishUtterance();
    window.validateMenus();
    EXPECT_TRUE(mostRecent->isEnabled());

    defaults.setValue(settingskeys::rememberPreferenceShouldKeepMainWindowOnTop, true);
    delegate->applicationDidFinishLaunching();
    EXPECT_EQ(window.windowLevel(), 25) << "a window remembered on top opens on top";
    window.validateMenus();
    onTop->trigger();
    EXPECT_EQ(window.windowLevel(), 0);
}

TEST_F(DocumentsInWindowTest, RecentPdfsPopUpByNameAndTheOneChosenIsHandedBack)
{
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

} // namespace
} // namespace narrata
