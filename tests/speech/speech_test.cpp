// The speaking loop on a fake synthesizer and a recording view: its states and sentence walks;
// the sentences filtered and ordered before they are queued; the voice menu, the stored voice and
// rate; reading positions per PDF file name; and the session statistics line.
#include "speech/pagecontent.h"
#include "speech/readingprogress.h"
#include "speech/readingsession.h"
#include "speech/speakingloop.h"
#include "speech/speechsetsmartener.h"
#include "speech/voicecatalogue.h"

#include "platform/mupdf/mupdfservice.h"
#include "platform/settingsstores/memorydefaultsstore.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/registereddefaults.h"
#include "text/sentencesegmentation.h"

#include "settings/settingstestsupport.h"
#include "support/fakedocument.h"
#include "support/fakespeech.h"
#include "support/pdffixture.h"
#include "support/qtprinters.h"
#include "support/voicerig.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <map>

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
    EXPECT_EQ(view.selected.back().sentence, QStringLiteral("One."));

    synth().finishUtterance();
    EXPECT_TRUE(view.preparedAfter.empty()) << "the next page waits until one sentence is left";
    synth().finishUtterance();
    ASSERT_EQ(view.preparedAfter.size(), 1u);
    EXPECT_EQ(view.preparedAfter[0].sentence, QStringLiteral("Two.")) << "asked after the sentence that finished";
    EXPECT_EQ(view.selected.back().pageIndex, 1);
    synth().finishUtterance();
    synth().finishUtterance();
    EXPECT_TRUE(loop.speechSet().empty());
    EXPECT_EQ(loop.numSentencesCompleted, 4u) << "the document's last sentence counts";
    EXPECT_EQ(readingEnded, 1);
    EXPECT_EQ(view.selected.back().sentence, QStringLiteral("Last page.")) << "the last sentence stays selected";
    EXPECT_EQ(synth().spoken, QStringList({"One.", "Two.", "Page two.", "Last page."}));
    EXPECT_EQ(progress.mostRecentSentence()->sentence, QStringLiteral("Last page."));
}

TEST_F(SpeakingLoopTest, TheRestOfAPageHeldBackIsTakenOnceTheFirstSentenceIsSpokenAndQueuedAfterTheList)
{
    view.heldBack = {sentence("Three.", 0, 10)};
    loop.loadSpeechSet({sentence("One.", 0), sentence("Two.", 0, 5)});
    EXPECT_EQ(view.selectedWhenHeldBackTaken, 1u) << "taken only once the first sentence is under way";
    ASSERT_EQ(view.heldBackAfter.size(), 1u);
    EXPECT_EQ(view.heldBackAfter[0].sentence, QStringLiteral("Two."));
    synth().finishUtterance();
    synth().finishUtterance();
    EXPECT_EQ(synth().spoken, QStringList({"One.", "Two.", "Three."}));
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

TEST_F(SpeakingLoopTest, PauseResumesFromTheHeadWhichStopOnlyEmptiesWhileSpeaking)
{
    // With nothing queued a toggle only flips the flag.
    loop.togglePauseSpeech();
    EXPECT_TRUE(loop.isSpeechPausedByUser);
    loop.togglePauseSpeech();
    EXPECT_FALSE(loop.isSpeechPausedByUser);
    EXPECT_TRUE(synth().spoken.isEmpty());

    loop.loadSpeechSet({sentence("Halfway through this one.", 0), sentence("Then this.", 0, 26)});
    loop.togglePauseSpeech();
    EXPECT_TRUE(loop.isSpeechPausedByUser);
    EXPECT_FALSE(synth().isSpeaking());
    clock = clock.addSecs(30);
    loop.stopSpeaking();
    EXPECT_EQ(loop.speechSet().size(), 2u) << "stop while paused changes nothing";
    EXPECT_TRUE(loop.isSpeechPausedByUser);
    loop.togglePauseSpeech();
    // The interrupted sentence stayed at the head.
    EXPECT_EQ(synth().spoken, QStringList({"Halfway through this one.", "Halfway through this one."}));
    EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 30);

    loop.stopSpeaking();
    EXPECT_TRUE(loop.speechSet().empty()) << "stop while speaking empties the queue";
    EXPECT_FALSE(synth().isSpeaking());
    synth().deliverReport(true); // even a stray finished report finds nothing to take
    EXPECT_EQ(loop.numSentencesCompleted, 0u);

    loop.loadSpeechSet({sentence("Something.", 0)});
    loop.togglePauseSpeech();
    loop.resetCurrentSession();
    EXPECT_FALSE(loop.isSpeechPausedByUser) << "a reset forgets the pause";
    EXPECT_FALSE(session.sessionStartTime.has_value());
    const qsizetype spoken = synth().spoken.size();
    loop.togglePauseSpeech(); // only sets the flag again
    EXPECT_EQ(synth().spoken.size(), spoken);
    loop.togglePauseSpeech();
    EXPECT_EQ(synth().spoken.size(), spoken + 1) << "the second toggle resumes from the head";
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

TEST_F(SentenceWalksTest, WalksPastTheEndsOrFromAnUnknownSentenceSpeakNothingAndWithoutOneUseThePageShown)
{
    loop.startSentenceWalkK(SentenceRecord{QStringLiteral("Elsewhere."), {0, 10}, 1}); // no sentence of page 1
    EXPECT_TRUE(loop.speechSet().empty());
    EXPECT_TRUE(loop.pastSpeechSet().empty());
    loop.startSentenceWalkJ(sentence(0, 0));
    loop.startSentenceWalkL(sentence(2, 0));
    EXPECT_TRUE(synth().spoken.isEmpty());
    synth().deliverReport(true); // a stray report finds the walk flag set and ends in silence
    EXPECT_FALSE(loop.isModeSentenceWalkL);

    // Without a sentence the walk uses the page shown.
    view.shownPage = 1;
    loop.startSentenceWalkK(std::nullopt);
    EXPECT_EQ(lastSpoken(), QStringLiteral("Four."));
    view.shownPage = kNotFound;
    const std::vector<SentenceRecord> queued = loop.speechSet();
    loop.startSentenceWalkK(std::nullopt);
    EXPECT_EQ(loop.speechSet(), queued) << "no page shown: the lists stay as they were";
}

const PDFFont kBody{QStringLiteral("Times-Roman"), 10, false};
const PDFFont kCode{QStringLiteral("Courier"), 9, true};

// A document that knows each sentence's box and font by its range location.
class BoxesView final : public ReadingContent {
public:
    std::map<quint64, std::pair<QRectF, PDFFont>> boxes;

    std::vector<SentenceRecord> prepareContentAfter(const SentenceRecord &) override { return {}; }
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

TEST_F(SmarteningTest, FixedPitchAndIgnoredFontsAreLeftOutOrCutOffASentenceTheyOpen)
{
    const std::vector<SentenceRecord> sentences{
        add("Prose.", {72, 700, 30, 10}), add("int main();", {72, 680, 50, 9}, kCode)};
    EXPECT_EQ(spoken(sentences).size(), 2);
    smartener.options.skipFixedWidthFonts = true;
    EXPECT_EQ(spoken(sentences), QStringList{"Prose."});
    smartener.options.skipFixedWidthFonts = false;
    smartener.currentPDFignoredFontsList.insert(QStringLiteral("Times-Roman 10.0 pt"));
    EXPECT_EQ(spoken(sentences), QStringList{"int main();"});

    // An ignored font opening a sentence is cut off: a paragraph whose first run is a caption.
    smartener.currentPDFignoredFontsList.clear();
    const PDFFont caption{QStringLiteral("Helvetica-Oblique"), 8, false};
    const QString text = QStringLiteral("Figure 3: The river at dusk.");
    std::vector<TextLayer::Unit> units(static_cast<size_t>(text.size()), TextLayer::Unit{QRectF(), 1});
    for (size_t i = 0; i < 9; ++i)
        units[i].font = 0;
    const testing::FakeDocument document(
        {std::make_shared<testing::FakePage>(TextLayer(text, units, {caption, kBody}, {}, {}))});
    const SentenceRecord whole{text, {0, static_cast<quint64>(text.size())}, 0};
    EXPECT_EQ(smartener.cutIgnoredFontLeadIn(whole, document), whole);
    smartener.currentPDFignoredFontsList.insert(QStringLiteral("Helvetica-Oblique 8.0 pt"));
    const SentenceRecord cut = smartener.cutIgnoredFontLeadIn(whole, document);
    EXPECT_EQ(cut.sentence, QStringLiteral(" The river at dusk."));
    EXPECT_EQ(cut.range, (TextRange{9, static_cast<quint64>(text.size()) - 9}));
}

TEST_F(SmarteningTest, VisualOrderReadsTopDownTiesByTextPositionAndDropsImplausiblyTallBoxes)
{
    // The text layer runs bottom first; the right column's box starts higher than the left's.
    const std::vector<SentenceRecord> sentences{add("Bottom.", {72, 100, 200, 10}),
        add("Left column.", {72, 690, 200, 12}), add("Right column.", {320, 695, 200, 10}),
        add("Same top one.", {72, 500, 100, 10}), add("Same top two.", {320, 500, 100, 10})};
    EXPECT_EQ(spoken(sentences).first(), QStringLiteral("Bottom.")) << "off: the text layer's order";
    smartener.options.sortVisually = true;
    EXPECT_EQ(
        spoken(sentences), QStringList({"Right column.", "Left column.", "Same top one.", "Same top two.", "Bottom."}));

    // Implausibly tall boxes are dropped, only when sorting visually.
    smartener.options.sortVisually = false;
    const std::vector<SentenceRecord> tall{add("One line.", {72, 700, 100, 10}),
        add("Exactly eight lines tall.", {72, 500, 100, 80}), add("Taller than eight.", {72, 300, 100, 80.5})};
    smartener.options.skipWeirdBounds = true;
    EXPECT_EQ(spoken(tall).size(), 3) << "without visual order the setting does nothing";
    smartener.options.sortVisually = true;
    EXPECT_EQ(spoken(tall), QStringList({"One line.", "Exactly eight lines tall."}));
    // Kept, a tall box is placed by its bottom line: above a box whose top is lower than that.
    smartener.options.skipWeirdBounds = false;
    const std::vector<SentenceRecord> more{add("Tall, bottom line at 610.", {72, 600, 100, 200}),
        add("Short at 650.", {300, 640, 100, 10}), add("Short at 605.", {300, 595, 100, 10})};
    EXPECT_EQ(spoken(more), QStringList({"Short at 650.", "Tall, bottom line at 610.", "Short at 605."}));
}

using settingskeys::kNarrataTTSVoiceRate;
using settingskeys::kNarrataTTSVoiceSelected;
using settingskeys::userPrefShowOnlyEnglishAdultVoices;

std::pair<const QString, VoiceAttributes> voice(
    const char *id, const char *name, const char *locale, int age = 35, bool novelty = false)
{
    return {QString::fromLatin1(id), {QString::fromUtf8(name), QString::fromLatin1(locale), age, novelty}};
}

class VoiceCatalogueTest : public ::testing::Test, protected testing::VoiceRig {
protected:
    VoiceCatalogueTest()
    {
        defaults.registerDefaults(registeredDefaults());
        service.voices = {voice("en", "English (Great Britain)", "en_GB"),
            voice("en+whisper", "English (Great Britain) + Whisper", "en_GB", 35, true),
            voice("en-gb-scotland", "English (Scotland)", "en_GB"), voice("en-us", "English (America)", "en_US"),
            voice("en-us+child", "Child", "en_US", 10), voice("en-us+old", "Old", "en_US", 56),
            voice("en-us+young", "Young", "en_US", 25), voice("en-us+ageless", "Ageless", "en_US", 0),
            voice("de", "German", "de_DE"), voice("enx", "Not English", "enx_ZZ")};
    }

    // Stores a voice (and a rate, when given) as a previous run left them, then prepares the menu.
    void prepare(const char *stored, const QVariant &rate = {})
    {
        defaults.setValue(kNarrataTTSVoiceSelected, QString::fromLatin1(stored));
        if (rate.isValid())
            defaults.setValue(kNarrataTTSVoiceRate, rate);
        catalogue.prepareVoices(loop);
    }
    QStringList titles() const
    {
        QStringList result;
        for (const auto &entry : catalogue.entries())
            result.append(entry.title);
        return result;
    }
    QString selectedTitle() const
    {
        const int index = catalogue.selectedIndex();
        return index < 0 ? QString() : catalogue.entries().at(std::size_t(index)).title;
    }
    // The voice and rate of the synthesizer made last and of the loop, and whether they are stored.
    std::pair<QString, float> heard() const { return {service.latest->voice(), service.latest->rate()}; }
    std::pair<std::optional<QString>, float> loopVoice() const { return {loop.ttsVoice, loop.ttsRate}; }
    std::pair<bool, bool> stored() const
    {
        return {defaults.contains(kNarrataTTSVoiceSelected), defaults.contains(kNarrataTTSVoiceRate)};
    }
};

TEST_F(VoiceCatalogueTest, TheFilterListsEnglishAdultsByNameAndWithoutItEveryVoiceByLocaleIfAny)
{
    ASSERT_TRUE(catalogue.showsOnlyEnglishAdultVoices()) << "on unless the user turned it off";
    catalogue.prepareVoices(loop);
    EXPECT_EQ(titles(),
        QStringList(
            {"English (America) (US)", "English (Great Britain) (GB)", "English (Scotland) (GB)", "Young (US)"}))
        << "no child, no one aged 56 or without an age, no whisper, no other language";
    EXPECT_EQ(catalogue.entries().at(3).identifier, QStringLiteral("en-us+young"));

    catalogue.setShowOnlyEnglishAdultVoices(false, loop);
    EXPECT_FALSE(defaults.boolForKey(userPrefShowOnlyEnglishAdultVoices));
    EXPECT_EQ(titles(),
        QStringList({"German (de_DE)", "English (Great Britain) (en_GB)", "English (Great Britain) + Whisper (en_GB)",
            "English (Scotland) (en_GB)", "Ageless (en_US)", "Child (en_US)", "English (America) (en_US)",
            "Old (en_US)", "Young (en_US)", "Not English (enx_ZZ)"}))
        << "every British voice before every American one, whatever the names say in parentheses";
    catalogue.setShowOnlyEnglishAdultVoices(true, loop);
    EXPECT_EQ(titles().size(), 4);

    // Of two voices with one title the later stays; equal names go by the whole title. Each
    // backend's voices come together, in the order the service lists the backends.
    service.voices = {voice("a", "Same", "en_US"), voice("flite:a", "Aaa", "en_US", 35), voice("b", "Same", "en_US"),
        voice("c", "Same", "en_GB")};
    catalogue.prepareVoices(loop);
    EXPECT_EQ(catalogue.entries(),
        (std::vector<VoiceMenuEntry>{
            {"c", "Same (GB)", "espeak-ng"}, {"b", "Same (US)", "espeak-ng"}, {"flite:a", "Aaa (US)", "flite"}}));

    // A service without voices gives an empty menu and nothing to select, whatever is done.
    service.voices.clear();
    prepare("en");
    EXPECT_TRUE(catalogue.entries().empty());
    EXPECT_FALSE(catalogue.selectedVoice().has_value());
    catalogue.reset(loop);
    catalogue.preparePopover(loop);
    catalogue.apply(loop);
    EXPECT_EQ(catalogue.selectedIndex(), -1);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
}

TEST_F(VoiceCatalogueTest, WithNothingStoredOrAfterAResetTheDefaultVoiceSpeaksAtItsDefaultRate)
{
    service.newSynthesizerRate = 190;
    defaults.setValue(kNarrataTTSVoiceRate, 300.0); // a rate without a voice is forgotten too
    catalogue.prepareVoices(loop);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (US)"));
    EXPECT_EQ(catalogue.rate(), 190.0f);
    EXPECT_EQ(catalogue.rateLabel(), QStringLiteral("190 wpm"));
    EXPECT_EQ(loopVoice(), std::pair(std::optional<QString>(), 190.0f));
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(loop.synthesizer(), nullptr) << "the loop makes its synthesizer after this";
    EXPECT_EQ(service.created, 0) << "the service tells its default rate without one";

    prepare("en", 300.0);
    loop.reloadSpeechSynthesizer();
    loop.loadSpeechSet({SentenceRecord{QStringLiteral("Being read."), {0, 11}, 0}});
    ASSERT_TRUE(service.latest->isSpeaking());

    service.newSynthesizerRate = 180;
    catalogue.reset(loop);
    EXPECT_EQ(stored(), std::pair(false, false));
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (US)"));
    EXPECT_EQ(catalogue.rate(), 180.0f);
    EXPECT_EQ(heard(), std::pair(QStringLiteral("en-us"), 180.0f));
    EXPECT_EQ(service.latest->spoken, QStringList({"Being read."})) << "the sentence starts again";
}

TEST_F(VoiceCatalogueTest, AStoredVoiceHiddenByTheFilterStillSpeaksAndOneThatIsGoneGivesWayButStaysStored)
{
    prepare("de");
    EXPECT_EQ(catalogue.selectedIndex(), 0);
    EXPECT_EQ(loopVoice(), std::pair(std::optional(QStringLiteral("de")), 0.0f)) << "no rate stored: the voice's own";
    EXPECT_EQ(catalogue.rate(), 175.0f) << "the slider shows what is heard";

    // A rate picked but never applied does not survive the menu being built again.
    catalogue.setRate(300);
    catalogue.setShowOnlyEnglishAdultVoices(false, loop);
    EXPECT_EQ(catalogue.rate(), 175.0f);
    EXPECT_EQ(loop.ttsRate, 0.0f);

    // A stored voice that is gone gives way to the default but stays stored.
    prepare("uninstalled", 210.0);
    EXPECT_EQ(loopVoice(), std::pair(std::optional<QString>(), 210.0f));
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (en_US)"));
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("uninstalled"));
    loop.reloadSpeechSynthesizer();
    EXPECT_EQ(heard(), std::pair(QStringLiteral("en-us"), 210.0f));

    // A backend that lists it after the launch brings it back, once.
    EXPECT_FALSE(catalogue.adoptStoredVoiceNowOffered(loop));
    service.voices.insert(voice("uninstalled", "Late", "en_US"));
    EXPECT_TRUE(catalogue.adoptStoredVoiceNowOffered(loop));
    EXPECT_EQ(loopVoice(), std::pair(std::optional(QStringLiteral("uninstalled")), 210.0f));
    EXPECT_EQ(selectedTitle(), QStringLiteral("Late (en_US)"));
    EXPECT_FALSE(catalogue.adoptStoredVoiceNowOffered(loop));
}

TEST_F(VoiceCatalogueTest, StoredRatesOutOfRangeAreHeldToTheServicesRangeAndUnusableOnesCountAsNone)
{
    service.rates = {90, 400};
    const std::pair<QVariant, float> rows[] = {
        {5000.0, 400}, {30.0, 90}, {-40.0, 0}, {0.0, 0}, {QStringLiteral("fast"), 0}, {qQNaN(), 0},
        {QStringLiteral("240"), 240}, // as an INI file gives it back
    };
    for (const auto &[stored, expected] : rows) {
        SCOPED_TRACE(stored.toString().toStdString());
        prepare("en", stored);
        EXPECT_EQ(loop.ttsRate, expected);
        if (expected > 0) {
            EXPECT_EQ(catalogue.rate(), expected) << "the slider shows it";
        }
    }
}

TEST_F(VoiceCatalogueTest, ApplyStoresOrRemovesTheChoiceWhichTheNextLaunchAndThePopoverRestore)
{
    catalogue.prepareVoices(loop);
    loop.reloadSpeechSynthesizer();
    const int flushed = defaults.synchronizeCount();

    catalogue.setSelectedIndex(1);
    catalogue.setRate(260);
    catalogue.apply(loop);
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("en"));
    EXPECT_EQ(defaults.doubleForKey(kNarrataTTSVoiceRate), 260.0);
    EXPECT_EQ(defaults.synchronizeCount(), flushed + 1);
    EXPECT_EQ(heard(), std::pair(QStringLiteral("en"), 260.0f)) << "spoken by a new synthesizer";

    VoiceCatalogue next(service, defaults);
    SpeakingLoop nextLoop{{service, view, view, filter, textPath, progress, session}};
    next.prepareVoices(nextLoop);
    EXPECT_EQ(next.selectedIndex(), 1);
    EXPECT_EQ(std::pair(nextLoop.ttsVoice, nextLoop.ttsRate), std::pair(std::optional(QStringLiteral("en")), 260.0f));
    next.setShowOnlyEnglishAdultVoices(false, nextLoop);
    EXPECT_EQ(
        next.entries().at(std::size_t(next.selectedIndex())).title, QStringLiteral("English (Great Britain) (en_GB)"))
        << "the rebuilt menu keeps it";

    // Without a rate or a voice, Apply removes them.
    catalogue.setRate(0);
    catalogue.setSelectedIndex(99);
    EXPECT_EQ(catalogue.selectedIndex(), -1);
    catalogue.apply(loop);
    EXPECT_EQ(stored(), std::pair(false, false));
    EXPECT_EQ(loop.ttsRate, 0.0f);
    EXPECT_EQ(heard(), std::pair(QStringLiteral("en-us"), 175.0f)) << "the voice's default rate";

    // Opening the popover puts the stored choice back over picks that were never applied.
    prepare("en", 300.0);
    catalogue.setSelectedIndex(0);
    catalogue.setRate(100);
    const int beforePopover = service.created;
    catalogue.preparePopover(loop);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (Great Britain) (en_GB)")) << "the next launch left all shown";
    EXPECT_EQ(catalogue.rate(), 300.0f);
    EXPECT_EQ(service.created, beforePopover + 1);
    EXPECT_EQ(service.latest->rate(), 300.0f);
}

const QString kMostRecent(settingskeys::mostRecentSentencesReadByPDF);
const QString kFurthest(settingskeys::furthestSentencesReadByPDF);
constexpr auto kNotFoundLocation = static_cast<quint64>(kNotFound);

TEST(PageScore, IsThePageIndexPlusTheRangeEndInWholeHundredThousandsAndNeverWraps)
{
    // The end, not the location, counts, truncated; a missing location counts as 0, a missing
    // length leaves the page alone.
    const struct {
        TextRange range;
        qint64 page;
        double score;
    } rows[] = {{{99990, 9}, 7, 7}, {{99999, 0}, 4, 4}, {{99999, 1}, 4, 5}, {{100000, 0}, 4, 5}, {{199999, 0}, 4, 5},
        {{150000, 100000}, 2, 4}, {{kNotFoundLocation, 250000}, 3, 5}, {{300000, kNotFoundLocation}, 3, 3},
        {{kNotFoundLocation, kNotFoundLocation}, 3, 3},
        {{std::numeric_limits<quint64>::max() - 10, 50}, 0, 184467440737095.0}}; // an end beyond 64 bits
    for (const auto &row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.range) + " on page " + std::to_string(row.page));
        EXPECT_DOUBLE_EQ(ReadingProgress::pageScore({"x", row.range, row.page}), row.score);
    }
}

// What the two Go To items show and do: "on" when enabled, then the sentence each goes to, or
// "beeps", or "-" when it does nothing.
QString goTos(const ReadingProgress &progress)
{
    const auto item = [](bool enabled, const ReadingProgress::GoTo &goTo) {
        return QString(enabled ? "on " : "off ") + (goTo.select ? goTo.select->sentence : goTo.beep ? "beeps" : "-");
    };
    return item(progress.hasMostRecentSentenceRead(), progress.goToMostRecentSentenceRead()) + ", "
        + item(progress.hasFurthestSentenceRead(), progress.goToFurthestSentenceRead());
}

class ReadingProgressTest : public ::testing::Test {
protected:
    MemoryDefaultsStore store;
    ReadingProgress progress{store};
};

TEST_F(ReadingProgressTest, FurthestMovesOnlyToALaterPageAndHoldsItsFirstSentence)
{
    progress.setDocumentFileName(QStringLiteral("book.pdf"));
    const SentenceRecord p3a = sentence("Three a.", 3), p3b = sentence("Three b.", 3, 9);
    const SentenceRecord p5 = sentence("Five.", 5), p5b = sentence("Five b.", 5, 6), p2 = sentence("Two.", 2);

    progress.saveSentencesReadProgress(p3a);
    progress.saveSentencesReadProgress(p3b);
    EXPECT_EQ(progress.furthestSentenceRead("book.pdf"), p3a) << "same page, same score: the first stays";
    EXPECT_EQ(progress.mostRecentSentenceRead("book.pdf"), p3b);

    progress.saveSentencesReadProgress(p5);
    progress.saveSentencesReadProgress(p5b);
    EXPECT_EQ(progress.furthestSentenceRead("book.pdf"), p5);
    EXPECT_EQ(progress.mostRecentSentenceRead("book.pdf"), p5b);

    progress.saveSentencesReadProgress(p2);
    EXPECT_EQ(progress.furthestSentenceRead("book.pdf"), p5) << "going back moves only the most recent";
    EXPECT_EQ(progress.mostRecentSentenceRead("book.pdf"), p2);
    EXPECT_EQ(progress.mostRecentSentence(), p2);
    EXPECT_EQ(progress.furthestSentence(), p5);
    EXPECT_EQ(store.synchronizeCount(), 2 * 5) << "both positions of every completed sentence are written out";
    const QString stored = store.mapForKey(kMostRecent).value(QStringLiteral("book.pdf")).toString();
    EXPECT_EQ(QJsonDocument::fromJson(stored.toUtf8()).object(), p2.toJson()) << "kept as JSON text";
}

TEST_F(ReadingProgressTest, PositionsAreKeptPerFileNameWhateverTheFolderAndNoneWithoutOne)
{
    progress.saveSentencesReadProgress(sentence("Unsaved.", 2));
    EXPECT_TRUE(store.values().isEmpty());
    EXPECT_EQ(store.synchronizeCount(), 0);
    EXPECT_EQ(goTos(progress), "off -, off -") << "no document name: no beep either";
    EXPECT_FALSE(progress.mostRecentSentenceRead(QString()));

    progress.setDocumentFileName(QStringLiteral("a.pdf"));
    progress.saveSentencesReadProgress(sentence("In a.", 4));
    progress.setDocumentFileName(QStringLiteral("b.pdf"));
    EXPECT_FALSE(progress.mostRecentSentence()) << "another document starts without this run's positions";
    EXPECT_EQ(goTos(progress), "off beeps, off -") << "without an entry only the most recent beeps";
    progress.saveSentencesReadProgress(sentence("In b.", 1));

    EXPECT_EQ(progress.furthestSentenceRead("a.pdf"), sentence("In a.", 4)) << "b's page 1 does not touch a";
    EXPECT_EQ(progress.furthestSentenceRead("b.pdf"), sentence("In b.", 1));
    EXPECT_EQ(store.mapForKey(kMostRecent).size(), 2);

    ReadingProgress other(store);
    other.setDocumentFileName(QStringLiteral("a.pdf"));
    EXPECT_EQ(goTos(other), "on In a., on In a.") << "a.pdf in another folder shares the positions";
}

TEST_F(ReadingProgressTest, MalformedStoredEntriesAndPagesOutsideTheDocumentAreIgnored)
{
    store.setValue(kMostRecent,
        QVariantMap{
            {"text.pdf", QStringLiteral("not json at all")},
            {"number.pdf", 42},
            {"shape.pdf", QStringLiteral(R"({"sentence": 3, "range": [0], "pageIndex": "x"})")},
            {"array.pdf", QStringLiteral("[1, 2]")},
            {"negative.pdf", QStringLiteral(R"({"sentence": "s", "range": [-1, 2], "pageIndex": 0})")},
        });
    store.setValue(kFurthest, QVariantMap{{"text.pdf", QStringLiteral("{broken")}});

    for (const char *name : {"text.pdf", "number.pdf", "shape.pdf", "array.pdf", "negative.pdf"}) {
        progress.setDocumentFileName(QString::fromLatin1(name));
        EXPECT_FALSE(progress.mostRecentSentenceRead(name)) << name;
        EXPECT_EQ(goTos(progress), QString(name) == "text.pdf" ? "on beeps, on -" : "on beeps, off -")
            << name << ": the menu item stays enabled";
    }

    progress.setDocumentFileName(QStringLiteral("text.pdf"));
    const SentenceRecord first = sentence("First.", 0);
    progress.saveSentencesReadProgress(first);
    EXPECT_EQ(progress.furthestSentenceRead("text.pdf"), first) << "an unreadable furthest entry gives way";
    EXPECT_EQ(progress.mostRecentSentenceRead("text.pdf"), first);
    EXPECT_FALSE(progress.mostRecentSentenceRead("number.pdf")) << "other entries are kept as they were";
    EXPECT_EQ(store.mapForKey(kMostRecent).value("number.pdf"), QVariant(42));

    // Something else where the maps should be is started afresh.
    store.setValue(kMostRecent, QStringLiteral("garbage"));
    store.setValue(kFurthest, 17);
    EXPECT_FALSE(progress.hasMostRecentSentenceRead());
    progress.saveSentencesReadProgress(first);
    EXPECT_EQ(progress.mostRecentSentenceRead("text.pdf"), first);
    EXPECT_EQ(progress.furthestSentenceRead("text.pdf"), first);

    // Records a damaged or hand-edited file may hold, for a document of ten pages.
    progress.setDocumentFileName(QStringLiteral("book.pdf"));
    progress.setDocumentPageCount(10);
    for (const qint64 page : {std::numeric_limits<qint64>::max(), qint64(10), qint64(-1)}) {
        SCOPED_TRACE(page);
        store.setValue(
            kMostRecent, QVariantMap{{QStringLiteral("book.pdf"), ReadingProgress::archived(sentence("X.", page))}});
        store.setValue(kFurthest, store.value(kMostRecent));
        EXPECT_EQ(progress.mostRecentSentenceRead(QStringLiteral("book.pdf")), std::nullopt);
        EXPECT_EQ(progress.goToFurthestSentenceRead().select, std::nullopt);
        // One past the end no longer keeps the furthest position from moving.
        progress.saveSentencesReadProgress(sentence("Two.", 2));
        EXPECT_EQ(progress.furthestSentenceRead(QStringLiteral("book.pdf")), sentence("Two.", 2));
    }
}

TEST(ReadingProgressArchive, RecordsReadBackFromTextANestedMapOrTheSettingsFileAndTheCounterIsAnInteger)
{
    const SentenceRecord record = sentence("Nested.", 2, 40);
    EXPECT_EQ(ReadingProgress::unarchived(record.toJson().toVariantMap()), record);
    EXPECT_EQ(ReadingProgress::unarchived(ReadingProgress::archived(record)), record);
    EXPECT_FALSE(ReadingProgress::unarchived(QVariant()));
    EXPECT_FALSE(ReadingProgress::unarchived(QVariantList{1, 2}));

    MemoryDefaultsStore memory;
    ReadingProgress(memory).saveNumSentencesCompleted(7);
    EXPECT_EQ(memory.values().value(QString(settingskeys::numSentencesCompleted)).typeId(), QMetaType::LongLong);
    EXPECT_EQ(memory.synchronizeCount(), 1);

    ReadingProgress plain; // without a store: only this run's positions
    plain.setDocumentFileName(QStringLiteral("book.pdf"));
    plain.saveSentencesReadProgress(record);
    EXPECT_EQ(plain.mostRecentSentenceRead("book.pdf"), record);
    EXPECT_EQ(plain.mostRecentSentence(), record);

    // Through the settings file, records and the counter read back equal.
    testing::SettingsFolder folder;
    const SentenceRecord unusual{
        QStringLiteral("Ünïcode “quotes”, a tab\tand\nnewline 🙂."), {kNotFoundLocation, 123456789}, 1234567};
    {
        QSettingsDefaultsStore store(folder.path());
        ReadingProgress progress(store);
        progress.setDocumentFileName(QStringLiteral("odd name [1] = x.pdf"));
        progress.saveSentencesReadProgress(sentence("Just a sentence.", 0, 17));
        progress.saveSentencesReadProgress(unusual);
        progress.saveNumSentencesCompleted(12);
        progress.saveNumSentencesCompleted(3); // a new run counts only itself
    }
    const std::unique_ptr<QSettingsDefaultsStore> reopened = folder.reopenCopy();
    ASSERT_TRUE(reopened->problem().isEmpty()) << reopened->problem().toStdString();
    EXPECT_EQ(reopened->integerForKey(QString(settingskeys::numSentencesCompleted)), 3);
    ReadingProgress progress(*reopened);
    EXPECT_EQ(progress.mostRecentSentenceRead("odd name [1] = x.pdf"), unusual);
    EXPECT_EQ(progress.furthestSentenceRead("odd name [1] = x.pdf"), unusual) << "page 1234567 beats page 0";
}

// Each step lets `run` seconds go by, then a pause of `paused` seconds that ended (or, when
// negative, one still running), then finishes a sentence of `words` words, or only updates the
// line (kUpdate), or resets the session and lets a pause it forgot end 500 seconds on (kReset).
TEST(SessionStatistics, MinutesWordsAndRoundedRateLeaveEndedPausesOutAndStartAfreshOnReset)
{
    constexpr int kUpdate = -1, kReset = -2;
    const QString start = ReadingSession::resetLabelText();
    const struct {
        int run, paused, words;
        QString line;
    } steps[] = {{0, 0, kUpdate, start}, // nothing before the first sentence
        {0, 0, 5, "0.000 min for 5 words"}, {30, 0, 7, "0.500 min for 12 words"},
        {30, 0, 8, "1.000 min for 20 words"}, // the rate only after the first minute
        {240, 0, kUpdate, "5.000 min for 20 words (4 WPM)"}, {0, 600, 83, "5.000 min for 103 words (21 WPM)"},
        {61, 0, 0, "6.017 min for 103 words (17 WPM)"}, {0, -120, 0, "8.017 min for 103 words (13 WPM)"},
        {0, 0, kReset, start}, {0, 0, 0, "0.000 min for 0 words"}, // the next sentence starts the clock
        {120, 0, kUpdate, "2.000 min for 0 words"}, // no words, no rate
        {0, 0, kReset, start}, {0, 120, 6, "0.000 min for 6 words"}}; // more pause than session: no time
    QDateTime now(QDate(2026, 3, 1), QTime(20, 0), Qt::UTC);
    ReadingSession session;
    session.clock = [&now] { return now; };
    int shown = 0;
    session.labelChanged = [&shown](const QString &) { ++shown; };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.line.toStdString());
        now = now.addSecs(step.run);
        if (step.paused != 0)
            session.sessionPauseBeginTime = now;
        now = now.addSecs(std::abs(step.paused));
        if (step.paused > 0)
            session.accountPauseEndingAt(now);
        if (step.words == kReset) {
            session.resetCurrentSession();
            now = now.addSecs(500);
            session.accountPauseEndingAt(now);
            EXPECT_DOUBLE_EQ(session.sessionPauseDurationSeconds, 0);
        } else if (step.words == kUpdate) {
            session.updateDisplayOfCurrentSessionStats();
        } else {
            session.updateCurrentSessionDidFinishSpeaking(static_cast<quint64>(step.words));
        }
        EXPECT_EQ(session.labelCurrentSessionStats, step.line);
    }
    EXPECT_EQ(shown, std::ssize(steps) - 1) << "once a step, none before the first sentence: the line does not tick";

    ReadingSession untracked;
    untracked.shouldTrackCurrentSession = false;
    untracked.updateCurrentSessionDidFinishSpeaking(9, now);
    EXPECT_FALSE(untracked.sessionStartTime) << "an untracked session starts no clock";

    // The text rounds the rate and keeps huge counts.
    EXPECT_EQ(ReadingSession::statsText(0.25, 3, 12), QStringLiteral("0.250 min for 3 words"));
    EXPECT_EQ(ReadingSession::statsText(1.0001, 3, 2.9997), QStringLiteral("1.000 min for 3 words (3 WPM)"));
    EXPECT_EQ(ReadingSession::statsText(12.3456, 18446744073709551615ULL, 1e6),
        QStringLiteral("12.346 min for 18446744073709551615 words (1000000 WPM)"));
}

// A start from any word hears what trimming the rest of its page whole keeps, though it hands
// out the sentences before the page's edges at once and holds the rest back.
TEST(PageContentOnABook, AStartFromAnyWordHearsWhatTrimmingTheRestOfItsPageKeeps)
{
    testing::PdfFixture pages; // a running head, twelve paragraphs and a page number each
    for (int p = 0; p < 5; ++p) {
        QStringList lines{QStringLiteral("Notes on Rivers"), QString()};
        for (int k = 0; k < 12; ++k)
            lines << QStringLiteral("The %1%2 river runs past a mill. It floods in spring.")
                         .arg(QChar(u'a' + p), QChar(u'a' + k))
                  << QString();
        pages.addPage(testing::textPage(lines << QString::number(p + 1)));
    }
    const auto document = MuPDFService().openData(pages.bytes());
    int heldBack = 0; // starts with a rest left to read
    for (const ContentPreparationOptions options :
        {ContentPreparationOptions{}, ContentPreparationOptions{false, true, true}}) {
        PageContent content;
        content.setDocument(document.get());
        content.setOptions(options);
        PageAnalyzer whole(*document);
        for (int p = 0; p < document->pageCount(); ++p) {
            const auto page = document->pageAtIndex(p);
            for (const SentenceRecord &s : sentencesOnPageIndex(page->string(), p)) {
                const QPointF point = page->characterBoundsAtIndex(static_cast<qint64>(s.range.location)).center();
                std::vector<SentenceRecord> heard = content.sentencesFromPointOnPage(p, point);
                const std::vector<SentenceRecord> rest
                    = heard.empty() ? heard : content.sentencesHeldBackAfter(heard.back());
                heldBack += rest.empty() ? 0 : 1;
                heard.insert(heard.end(), rest.begin(), rest.end());
                const qint64 index = page->characterIndexAtPoint(point);
                EXPECT_EQ(
                    heard, whole.trimSentencesArray(setOfSentencesFromIndex(page->string(), index, p), p, options))
                    << "page " << p << ": " << qPrintable(s.sentence);
            }
        }
    }
    EXPECT_GT(heldBack, 0);
}

} // namespace
} // namespace narrata
