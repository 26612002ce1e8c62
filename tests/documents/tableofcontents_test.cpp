// The table of contents of packs: flattening outlines, the pack's rebuilt outline as other
// viewers read it back, and the outline menu's lines.
#include "documents/pdfpack.h"
#include "documents/tableofcontents.h"
#include "platform/mupdf/mupdfservice.h"

#include "support/pdffixture.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace narrata {
namespace {

std::unique_ptr<PDFDocument> pagesDocument(int pageCount, const QString &name)
{
    return MuPDFService().openData(testing::numberedPages(pageCount, name));
}

PDFOutline item(const QString &label, int pageIndex, std::vector<PDFOutline> children = {})
{
    return {label, {pageIndex, QPointF(72, 700)}, std::move(children)};
}

// A of ten pages with Intro on page 1 and Chapter 2 on page 5 holding Section 2.1 on page 6; B of
// three pages without an outline.
struct TwoPDFPack {
    TwoPDFPack()
    {
        std::unique_ptr<PDFDocument> a = pagesDocument(10, QStringLiteral("A"));
        PDFOutline root;
        root.children = {item(QStringLiteral("Intro"), 0),
            item(QStringLiteral("Chapter 2"), 4, {item(QStringLiteral("Section 2.1"), 5)})};
        EXPECT_TRUE(a->setOutlineRoot(root));
        pack.append(*a, QStringLiteral("A"));
        pack.append(*pagesDocument(3, QStringLiteral("B")), QStringLiteral("B"));
    }
    PDFPack pack;
};

// The labels and page numbers (from 1) of an outline, nested in brackets.
QString shape(const PDFOutline &outline)
{
    QString text;
    for (const PDFOutline &child : outline.children) {
        text += QStringLiteral("%1@%2").arg(child.label).arg(child.destination.pageIndex + 1);
        if (!child.children.empty())
            text += QLatin1Char('[') + shape(child) + QLatin1Char(']');
        text += QLatin1Char(' ');
    }
    return text.trimmed();
}

QString shape(const std::vector<OutlineMenuItem> &items)
{
    QStringList lines;
    for (const OutlineMenuItem &line : items)
        lines.append(line.submenu.empty() ? line.title : line.title + QLatin1Char('[') + shape(line.submenu) + ']');
    return lines.join(QStringLiteral(" | "));
}

TEST(TableOfContents, APacksOutlineHoldsEachPDFWithItsOwnOutlineAtItsOffset)
{
    const TwoPDFPack two;
    ASSERT_EQ(two.pack.document()->pageCount(), 13);
    const QString expected = QStringLiteral("A@1[Intro@1 Chapter 2@5[Section 2.1@6]] B@11");
    const PDFOutline outline = TableOfContents::packOutline(*two.pack.document(), two.pack.entries(), "AB.pdf");
    EXPECT_EQ(shape(outline), expected);
    // Each PDF's item leads to the top centre of its first page.
    EXPECT_EQ(outline.children[1].destination.point, QPointF(306, 792));

    // Written and read back as another viewer would.
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("AB.pdf"));
    ASSERT_TRUE(two.pack.copyForWriting(QStringLiteral("AB.pdf"), true)->writeToFile(path));
    const std::unique_ptr<PDFDocument> saved = MuPDFService().openFile(path);
    ASSERT_TRUE(saved && saved->outlineRoot());
    EXPECT_EQ(shape(*saved->outlineRoot()), expected);
    EXPECT_EQ(saved->outlineRoot()->children[0].children[1].children[0].destination.point, QPointF(72, 700));
    // The pack in memory keeps the first PDF's outline: the written one went into a copy.
    EXPECT_EQ(shape(*two.pack.document()->outlineRoot()), QStringLiteral("Intro@1 Chapter 2@5[Section 2.1@6]"));
}

TEST(TableOfContents, TheMenuHasALinePerPDFWithSubmenusForItemsWithChildren)
{
    const TwoPDFPack two;
    const std::vector<OutlineMenuItem> menu = TableOfContents::outlineMenu(two.pack.entries());
    EXPECT_EQ(shape(menu),
        QStringLiteral(
            "A[\u20221\u2022 A | \u20221\u2022 Intro | Chapter 2[\u20225\u2022 Chapter 2 | \u20226\u2022 Section 2.1]]"
            " | \u202211\u2022 B"));
    // The PDF's own line stands at its first page with no point: the jump goes to its top.
    const OutlineEntry &b = *menu[1].entry;
    EXPECT_EQ(b.pageIndex, 10u);
    EXPECT_TRUE(b.locationOnPage.isNull());
    EXPECT_EQ(menu[0].submenu[2].submenu[1].entry->pageIndex, 5u);
}

TEST(TableOfContents, BucketsFollowTheDeepestLevelAndStrayPlacesGoToThePDFsFirstPage)
{
    const std::unique_ptr<PDFDocument> document = pagesDocument(3, QStringLiteral("C"));
    OutlineEntries deep;
    for (quint64 level = 1; level <= 6; ++level)
        deep.push_back({level, 1, QPointF(10, 10), QStringLiteral("L%1").arg(level)});
    EXPECT_EQ(TableOfContents::pdfOutlineItemsArrayFromAbstractArray(*document, deep, 0).size(), 8u);
    EXPECT_EQ(TableOfContents::menuItemsArrayFromOutlineArray(deep, 0).size(), 8u);
    OutlineEntries none;
    EXPECT_EQ(TableOfContents::pdfOutlineItemsArrayFromAbstractArray(*document, none, 0).size(), 5u);

    // Page 9 of a three-page PDF standing at offset 1, and an item without a place of its own.
    const OutlineEntries stray{{1, 8, QPointF(10, 10), QStringLiteral("Gone")}, {1, 1, QPointF(), "Unplaced"}};
    const PDFOutline built = TableOfContents::pdfOutlineFromArray(*document, stray, QStringLiteral("C"), 1);
    ASSERT_EQ(built.children.size(), 2u);
    EXPECT_EQ(built.children[0].destination, (PDFDestination{1, QPointF(306, 792)}));
    EXPECT_EQ(built.children[1].destination, (PDFDestination{2, QPointF(306, 792)}));
}

} // namespace
} // namespace narrata
