// Where pages stand in the page view, and how points go between the view and a page.
#include "view/pagelayout.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

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

} // namespace
} // namespace narrata
