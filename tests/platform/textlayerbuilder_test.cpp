// The text layer built from glyphs as a PDF library hands them over: what a listener hears
// and what the geometry of every character is.
#include "platform/pdf/textlayerbuilder.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

constexpr double kAdvance = 6;

// A line of glyphs set left to right from (x, baseline), each kAdvance wide and size tall.
GlyphLine lineOf(const std::u32string &text, double x, double baseline, int font = 0, double size = 10)
{
    GlyphLine line;
    for (char32_t c : text) {
        line.glyphs.push_back({c, QRectF(x, baseline - 0.2 * size, kAdvance, size), font});
        x += kAdvance;
    }
    return line;
}

RawPageText pageOf(std::vector<GlyphBlock> blocks, std::vector<PDFFont> fonts = {{"Times-Roman", 10, false}})
{
    return {std::move(blocks), std::move(fonts)};
}

TEST(TextLayerBuilder, JoinsLinesWithOneSpaceAndBlocksWithOneLineFeedThatTakeNoRoom)
{
    const TextLayer layer = buildTextLayer(pageOf({
        {{lineOf(U"The first exam-", 72, 700), lineOf(U"ple is here.", 72, 688)}},
        {{lineOf(U"Second  block ", 72, 600)}},
    }));
    EXPECT_EQ(layer.string(), QStringLiteral("The first exam- ple is here.\nSecond block"));
    ASSERT_EQ(layer.blocks().size(), 2u);
    EXPECT_EQ(layer.blocks()[1], (TextRange{29, 12}));
    ASSERT_EQ(layer.lines().size(), 3u);
    EXPECT_EQ(layer.lines()[1].range, (TextRange{16, 12}));
    // A separator's box has no width and follows the character before it, which a hit finds.
    for (qint64 separator : {15, 28}) {
        const QRectF box = layer.characterBoundsAtIndex(separator);
        EXPECT_EQ(box.width(), 0);
        EXPECT_EQ(box.left(), layer.characterBoundsAtIndex(separator - 1).right());
        EXPECT_EQ(layer.characterIndexAtPoint(box.center()), separator - 1) << "a separator is never hit";
    }
}

TEST(TextLayerBuilder, WideCharactersLigaturesAndOverstruckAccentsKeepTheirBoxes)
{
    // Characters outside the basic plane take two units with one box.
    const TextLayer wide = buildTextLayer(pageOf({{{lineOf(U"x\U0001D400y", 72, 700)}}}));
    ASSERT_EQ(wide.string().size(), 4);
    EXPECT_TRUE(wide.string().at(1).isHighSurrogate());
    EXPECT_EQ(wide.characterBoundsAtIndex(1), wide.characterBoundsAtIndex(2));
    EXPECT_EQ(wide.string().at(3), u'y');
    EXPECT_EQ(wide.characterBoundsAtIndex(3).left(), 72 + 2 * kAdvance);

    // Ligatures become letters that share the glyph box.
    const TextLayer ligatures = buildTextLayer(pageOf({{{lineOf(U"e\uFB03cient \uFB02ow \uFB00", 72, 700)}}}));
    EXPECT_EQ(ligatures.string(), QStringLiteral("efficient flow ff"));
    const QRectF f = ligatures.characterBoundsAtIndex(1), i = ligatures.characterBoundsAtIndex(3);
    EXPECT_DOUBLE_EQ(f.width(), kAdvance / 3);
    EXPECT_DOUBLE_EQ(f.left(), 72 + kAdvance);
    EXPECT_DOUBLE_EQ(i.right(), 72 + 2 * kAdvance);

    // An accent set at the letter's position, as TeX fonts without a Unicode map do it, is
    // composed with it.
    GlyphLine line = lineOf(U"Pr\u00B4eface r`eglures na\u00A8\u0131ve", 72, 700);
    for (size_t k = 0; k + 1 < line.glyphs.size(); ++k)
        if (line.glyphs[k].c == U'\u00B4' || line.glyphs[k].c == U'`' || line.glyphs[k].c == U'\u00A8')
            for (size_t m = k + 1; m < line.glyphs.size(); ++m)
                line.glyphs[m].box.translate(-kAdvance, 0);
    const TextLayer layer = buildTextLayer(pageOf({{{line}}}));
    EXPECT_EQ(layer.string(), QStringLiteral("Préface règlures naïve"));
    EXPECT_EQ(layer.characterBoundsAtIndex(2).left(), 72 + 2 * kAdvance) << "the letter keeps its box";
}

TEST(TextLayerBuilder, ReplacementCharactersControlsAndEmptyBlocksOrPagesLeaveNothing)
{
    const TextLayer layer
        = buildTextLayer(pageOf({{{lineOf(U"a\uFFFDb\u0007c", 72, 700)}}, {{lineOf(U"\uFFFD", 72, 600)}}}));
    EXPECT_EQ(layer.string(), QStringLiteral("abc"));
    EXPECT_EQ(layer.blocks().size(), 1u) << "a block with nothing left is dropped";

    const TextLayer empty = buildTextLayer(pageOf({}));
    EXPECT_TRUE(empty.isEmpty());
    EXPECT_EQ(empty.characterIndexAtPoint(QPointF(0, 0)), kNotFound);
    EXPECT_TRUE(empty.characterBoundsAtIndex(0).isNull());
    EXPECT_TRUE(empty.characterBoundsAtIndex(-1).isNull());
    EXPECT_TRUE(empty.attributedString().runs.empty());
}

TEST(TextLayerBuilder, ParagraphsAreFoundAndReadInOrder)
{
    const std::pair<RawPageText, QString> rows[] = {
        // A running head and page number set close to the body become blocks of their own.
        {pageOf({{{lineOf(U"Chapter 4 Results", 72, 740, 1, 8), lineOf(U"The body starts here and", 72, 720),
                    lineOf(U"goes on to the end.", 72, 708), lineOf(U"17", 300, 670)}}},
             {{"Times-Roman", 10, false}, {"Times-Italic", 8, false}}),
            "Chapter 4 Results\nThe body starts here and goes on to the end.\n17"},
        // So do list items set without space between them.
        {pageOf({{{lineOf(U"\u2022 First item that", 72, 700), lineOf(U"runs on.", 80, 688),
             lineOf(U"\u2022 Second item.", 72, 676)}}}),
            "\u2022 First item that runs on.\n\u2022 Second item."},
        // Columns drawn row by row, as some producers write them, are read one after the other
        // between the full-width parts.
        {pageOf({{{lineOf(U"A title that runs right across both columns", 72, 740)}},
             {{lineOf(U"Left one.", 72, 700), lineOf(U"Left one on.", 72, 688)}},
             {{lineOf(U"Right one.", 320, 700), lineOf(U"Right one on.", 320, 688)}}, {{lineOf(U"Left two.", 72, 650)}},
             {{lineOf(U"Right two.", 320, 640)}},
             {{lineOf(U"A closing note that runs right across both columns", 72, 560)}}, {{lineOf(U"3", 300, 40)}}}),
            "A title that runs right across both columns\nLeft one. Left one on.\nLeft two.\nRight one. Right one "
            "on.\nRight two.\nA closing note that runs right across both columns\n3"},
        // A head with its page number at the far side stays first.
        {pageOf({{{lineOf(U"Short head", 72, 760)}}, {{lineOf(U"42", 500, 760)}},
             {{lineOf(U"Left column text.", 72, 700)}}, {{lineOf(U"Right column text.", 320, 700)}},
             {{lineOf(U"Left column more.", 72, 680)}}}),
            "Short head\n42\nLeft column text.\nLeft column more.\nRight column text."},
        // Accents set beside letters, and backticked code, stay as they are.
        {pageOf({{{lineOf(U"run `make` and caf\u00B4", 72, 700)}}}), "run `make` and caf\u00B4"},
    };
    for (const auto &[page, expected] : rows)
        EXPECT_EQ(buildTextLayer(page).string(), expected);
}

TEST(TextLayerBuilder, FontsOfRunsCoverEveryCharacterIncludingSeparators)
{
    const TextLayer layer = buildTextLayer(pageOf({{{lineOf(U"plain", 72, 700, 0), lineOf(U"code", 72, 688, 1)}}},
        {{"Times-Roman", 10, false}, {"Courier", 10, true}}));
    const AttributedString text = layer.attributedString();
    ASSERT_EQ(text.runs.size(), 2u);
    EXPECT_EQ(text.runs[0].range, (TextRange{0, 6})) << "the joining space takes the font before it";
    EXPECT_EQ(text.runs[1].font, (PDFFont{"Courier", 10, true}));
    EXPECT_EQ(text.fontAtIndex(7)->name, QStringLiteral("Courier"));
    EXPECT_FALSE(text.fontAtIndex(10).has_value());
}

} // namespace
} // namespace narrata
