// Filtering and ordering sentences before they are queued, on pages described by their boxes.
#include "speech/speechsetsmartener.h"

#include "support/fakedocument.h"
#include "support/fakespeech.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

#include <map>

namespace narrata {
namespace {

const PDFFont kBody{QStringLiteral("Times-Roman"), 10, false};
const PDFFont kCode{QStringLiteral("Courier"), 9, true};

// A view that knows each sentence's box and font by its range location.
class BoxesView final : public ReadingView {
public:
    std::map<quint64, std::pair<QRectF, PDFFont>> boxes;

    void selectSentence(const SentenceRecord &) override { }
    void prepareContentAfter(const SentenceRecord &) override { }
    qint64 currentPageIndex() const override { return 0; }
    SelectionCode selectionCodeForRange(TextRange range, qint64 pageIndex) const override
    {
        SelectionCode code;
        code.pageIndex = pageIndex;
        const auto it = boxes.find(range.location);
        if (it == boxes.end())
            return code;
        const auto &[box, font] = it->second;
        code.originX = code.X = box.x();
        code.originY = box.y();
        code.sizeW = box.width();
        code.sizeH = box.height();
        code.Y = box.y() + box.height();
        code.richText = {QString(static_cast<qsizetype>(range.length), u'x'), {{{0, range.length}, font}}};
        return code;
    }
};

class SmarteningTest : public ::testing::Test {
protected:
    SentenceRecord add(const QString &text, QRectF box, PDFFont font = kBody)
    {
        const SentenceRecord record{text, {next, static_cast<quint64>(text.size())}, 0};
        view.boxes[next] = {box, font};
        next += static_cast<quint64>(text.size()) + 1;
        return record;
    }
    QStringList spoken(const std::vector<SentenceRecord> &sentences)
    {
        QStringList texts;
        for (const SentenceRecord &s : smartener.smartenedSpeechSet(sentences))
            texts << s.sentence;
        return texts;
    }

    testing::FakeSpeechService service;
    BoxesView view;
    std::optional<QString> voice = QStringLiteral("en-us");
    SpeechSetSmartener smartener{service, view, [this] { return voice; }};
    quint64 next = 0;
};

TEST_F(SmarteningTest, NothingPronounceableIsDroppedOnlyForEnglishVoices)
{
    service.voices[QStringLiteral("de")] = {QStringLiteral("German"), QStringLiteral("de_DE"), 35, false};
    const std::vector<SentenceRecord> sentences{add("* * *", {72, 700, 30, 10}), add("Ελληνικά.", {72, 680, 50, 10}),
        add("Plain words.", {72, 660, 60, 10}), add("42", {72, 640, 10, 10})};
    EXPECT_EQ(spoken(sentences), QStringList({"Plain words.", "42"}));
    voice = QStringLiteral("de");
    EXPECT_EQ(spoken(sentences).size(), 4);
    voice.reset();
    EXPECT_EQ(spoken(sentences).size(), 4) << "no voice chosen: no test";
}

TEST_F(SmarteningTest, FixedPitchAndIgnoredFontsAreLeftOut)
{
    const std::vector<SentenceRecord> sentences{
        add("Prose.", {72, 700, 30, 10}), add("int main();", {72, 680, 50, 9}, kCode)};
    EXPECT_EQ(spoken(sentences).size(), 2);
    smartener.options.skipFixedWidthFonts = true;
    EXPECT_EQ(spoken(sentences), QStringList{"Prose."});
    smartener.options.skipFixedWidthFonts = false;
    smartener.currentPDFignoredFontsList.insert(QStringLiteral("Times-Roman 10.0 pt"));
    EXPECT_EQ(spoken(sentences), QStringList{"int main();"});
}

TEST_F(SmarteningTest, VisualOrderReadsTopDownAndTiesByTextPosition)
{
    // The text layer runs bottom first; the right column's box starts higher than the left's.
    const std::vector<SentenceRecord> sentences{add("Bottom.", {72, 100, 200, 10}),
        add("Left column.", {72, 690, 200, 12}), add("Right column.", {320, 695, 200, 10}),
        add("Same top one.", {72, 500, 100, 10}), add("Same top two.", {320, 500, 100, 10})};
    EXPECT_EQ(spoken(sentences).first(), QStringLiteral("Bottom.")) << "off: the text layer's order";
    smartener.options.sortVisually = true;
    EXPECT_EQ(
        spoken(sentences), QStringList({"Right column.", "Left column.", "Same top one.", "Same top two.", "Bottom."}));
}

TEST_F(SmarteningTest, ImplausiblyTallBoxesAreDroppedOnlyWhenSortingVisually)
{
    const std::vector<SentenceRecord> sentences{add("One line.", {72, 700, 100, 10}),
        add("Exactly eight lines tall.", {72, 500, 100, 80}), add("Taller than eight.", {72, 300, 100, 80.5})};
    smartener.options.skipWeirdBounds = true;
    EXPECT_EQ(spoken(sentences).size(), 3) << "without visual order the setting does nothing";
    smartener.options.sortVisually = true;
    EXPECT_EQ(spoken(sentences), QStringList({"One line.", "Exactly eight lines tall."}));
    // Kept, a tall box is placed by its bottom line: above a box whose top is lower than that.
    smartener.options.skipWeirdBounds = false;
    const std::vector<SentenceRecord> more{add("Tall, bottom line at 610.", {72, 600, 100, 200}),
        add("Short at 650.", {300, 640, 100, 10}), add("Short at 605.", {300, 595, 100, 10})};
    EXPECT_EQ(spoken(more), QStringList({"Short at 650.", "Tall, bottom line at 610.", "Short at 605."}));
}

TEST(SmarteningLeadIn, AnIgnoredFontOpeningASentenceIsCutOff)
{
    const PDFFont caption{QStringLiteral("Helvetica-Oblique"), 8, false};
    // One paragraph whose first run is the caption font, then body text.
    const QString text = QStringLiteral("Figure 3: The river at dusk.");
    std::vector<TextLayer::Unit> units(static_cast<size_t>(text.size()), TextLayer::Unit{QRectF(), 1});
    for (size_t i = 0; i < 9; ++i)
        units[i].font = 0;
    struct LayerPage final : PDFPage {
        TextLayer layer;
        const TextLayer &textLayer() const override { return layer; }
        QRectF boundsForBox(PDFDisplayBox) const override { return {}; }
        std::vector<PDFAnnotation> annotations() const override { return {}; }
        std::optional<PDFAnnotation> addAnnotation(const PDFAnnotation &) override { return std::nullopt; }
        bool removeAnnotation(const PDFAnnotation &) override { return false; }
        PageImage renderRegion(const QRectF &, double) const override { return {}; }
    };
    auto layered = std::make_shared<LayerPage>();
    layered->layer = TextLayer(text, units, {caption, kBody}, {}, {});
    const testing::FakeDocument document({layered});

    testing::FakeSpeechService service;
    BoxesView view;
    SpeechSetSmartener smartener(service, view, [] { return std::nullopt; });
    const SentenceRecord whole{text, {0, static_cast<quint64>(text.size())}, 0};
    EXPECT_EQ(smartener.cutIgnoredFontLeadIn(whole, document), whole);
    smartener.currentPDFignoredFontsList.insert(QStringLiteral("Helvetica-Oblique 8.0 pt"));
    const SentenceRecord cut = smartener.cutIgnoredFontLeadIn(whole, document);
    EXPECT_EQ(cut.sentence, QStringLiteral(" The river at dusk."));
    EXPECT_EQ(cut.range, (TextRange{9, static_cast<quint64>(text.size()) - 9}));
}

} // namespace
} // namespace narrata
