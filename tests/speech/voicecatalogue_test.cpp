// The voice menu, the stored voice and rate, and how Apply and Reset hand them to the loop.
#include "speech/voicecatalogue.h"

#include "platform/settings/memorydefaultsstore.h"
#include "settings/registereddefaults.h"
#include "speech/speakingloop.h"

#include "support/fakespeech.h"
#include "support/qtprinters.h"
#include "support/silentview.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

using settingskeys::kNarrataTTSVoiceRate;
using settingskeys::kNarrataTTSVoiceSelected;
using settingskeys::userPrefShowOnlyEnglishAdultVoices;
using testing::FakeSpeechService;
using testing::SilentView;

VoiceAttributes voice(const char *name, const char *locale, int age = 35, bool novelty = false)
{
    return {QString::fromUtf8(name), QString::fromUtf8(locale), age, novelty};
}

class VoiceCatalogueTest : public ::testing::Test {
protected:
    VoiceCatalogueTest()
    {
        defaults.registerDefaults(registeredDefaults());
        // The service lists its voices by identifier: "a..." before "b..." and so on.
        service.voices = {
            {QStringLiteral("en"), voice("English (Great Britain)", "en_GB")},
            {QStringLiteral("en+whisper"), voice("English (Great Britain) + Whisper", "en_GB", 35, true)},
            {QStringLiteral("en-gb-scotland"), voice("English (Scotland)", "en_GB")},
            {QStringLiteral("en-us"), voice("English (America)", "en_US")},
            {QStringLiteral("en-us+child"), voice("Child", "en_US", 10)},
            {QStringLiteral("en-us+old"), voice("Old", "en_US", 56)},
            {QStringLiteral("en-us+young"), voice("Young", "en_US", 25)},
            {QStringLiteral("en-us+ageless"), voice("Ageless", "en_US", 0)},
            {QStringLiteral("de"), voice("German", "de_DE")},
            {QStringLiteral("enx"), voice("Not English", "enx_ZZ")},
        };
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
    void setFilter(bool on) { defaults.setValue(userPrefShowOnlyEnglishAdultVoices, on); }

    FakeSpeechService service;
    MemoryDefaultsStore defaults;
    SilentView view;
    SpeechSetFilter filter;
    SpeechTextPath textPath;
    ReadingProgress progress;
    ReadingSession session;
    SpeakingLoop loop{{service, view, filter, textPath, progress, session}};
    VoiceCatalogue catalogue{service, defaults};
};

TEST_F(VoiceCatalogueTest, TheFilterListsEnglishAdultsByNameWithTheirRegion)
{
    ASSERT_TRUE(catalogue.showsOnlyEnglishAdultVoices()) << "on unless the user turned it off";
    catalogue.prepareVoices(loop);
    EXPECT_EQ(titles(),
        QStringList(
            {"English (America) (US)", "English (Great Britain) (GB)", "English (Scotland) (GB)", "Young (US)"}))
        << "no child, no one aged 56 or without an age, no whisper, no other language";
    EXPECT_EQ(catalogue.entries().at(3).identifier, QStringLiteral("en-us+young"));
}

TEST_F(VoiceCatalogueTest, WithoutTheFilterEveryVoiceIsListedByLocaleThenName)
{
    setFilter(false);
    catalogue.prepareVoices(loop);
    EXPECT_EQ(titles(),
        QStringList({"German (de_DE)", "English (Great Britain) (en_GB)", "English (Great Britain) + Whisper (en_GB)",
            "English (Scotland) (en_GB)", "Ageless (en_US)", "Child (en_US)", "English (America) (en_US)",
            "Old (en_US)", "Young (en_US)", "Not English (enx_ZZ)"}))
        << "every British voice before every American one, whatever the names say in parentheses";
}

TEST_F(VoiceCatalogueTest, TwoVoicesWithOneTitleLeaveTheLaterOne)
{
    service.voices = {
        {QStringLiteral("a"), voice("Same", "en_US")},
        {QStringLiteral("b"), voice("Same", "en_US")},
        {QStringLiteral("c"), voice("Same", "en_GB")},
    };
    catalogue.prepareVoices(loop);
    ASSERT_EQ(catalogue.entries().size(), 2u);
    EXPECT_EQ(catalogue.entries().at(0), (VoiceMenuEntry{"c", "Same (GB)"})) << "equal names go by the whole title";
    EXPECT_EQ(catalogue.entries().at(1), (VoiceMenuEntry{"b", "Same (US)"}));
}

TEST_F(VoiceCatalogueTest, WithNothingStoredTheDefaultVoiceIsSelectedAtItsDefaultRate)
{
    service.defaultRate = 190;
    defaults.setValue(kNarrataTTSVoiceRate, 300.0); // a rate without a voice is forgotten too
    catalogue.prepareVoices(loop);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (US)"));
    EXPECT_EQ(catalogue.rate(), 190.0f);
    EXPECT_EQ(catalogue.rateLabel(), QStringLiteral("190 wpm"));
    EXPECT_FALSE(loop.ttsVoice.has_value());
    EXPECT_EQ(loop.ttsRate, 190.0f);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(loop.synthesizer(), nullptr) << "the loop makes its synthesizer after this";
}

TEST_F(VoiceCatalogueTest, TheStoredVoiceAndRateAreRestored)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en-gb-scotland"));
    defaults.setValue(kNarrataTTSVoiceRate, 220.0);
    catalogue.prepareVoices(loop);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (Scotland) (GB)"));
    EXPECT_EQ(loop.ttsVoice, QStringLiteral("en-gb-scotland"));
    EXPECT_EQ(catalogue.rate(), 220.0f);
    EXPECT_EQ(loop.ttsRate, 220.0f);

    setFilter(false);
    catalogue.prepareVoices(loop);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (Scotland) (en_GB)")) << "the rebuilt menu keeps it";
}

TEST_F(VoiceCatalogueTest, AStoredVoiceHiddenByTheFilterStillSpeaks)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("de"));
    catalogue.prepareVoices(loop);
    EXPECT_EQ(catalogue.selectedIndex(), 0);
    EXPECT_EQ(loop.ttsVoice, QStringLiteral("de"));
    EXPECT_EQ(loop.ttsRate, 0.0f) << "no rate stored: the voice's own";
    EXPECT_EQ(catalogue.rate(), 175.0f) << "the slider shows what is heard";
}

TEST_F(VoiceCatalogueTest, AStoredVoiceThatIsGoneGivesWayToTheDefaultButStaysStored)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("uninstalled"));
    defaults.setValue(kNarrataTTSVoiceRate, 210.0);
    catalogue.prepareVoices(loop);
    EXPECT_FALSE(loop.ttsVoice.has_value());
    EXPECT_EQ(loop.ttsRate, 210.0f);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (US)"));
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("uninstalled"));

    loop.reloadSpeechSynthesizer();
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(service.latest->rate(), 210.0f);
}

TEST_F(VoiceCatalogueTest, StoredRatesOutOfRangeAreHeldToTheSliderAndNoneCountsAsNone)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en"));
    defaults.setValue(kNarrataTTSVoiceRate, 5000.0);
    catalogue.prepareVoices(loop);
    EXPECT_EQ(catalogue.rate(), VoiceCatalogue::kMaximumRate);
    EXPECT_EQ(loop.ttsRate, VoiceCatalogue::kMaximumRate);

    defaults.setValue(kNarrataTTSVoiceRate, 30.0);
    catalogue.prepareVoices(loop);
    EXPECT_EQ(loop.ttsRate, VoiceCatalogue::kMinimumRate);

    for (const QVariant &none : {QVariant(-40.0), QVariant(0.0), QVariant(QStringLiteral("fast")), QVariant(qQNaN())}) {
        defaults.setValue(kNarrataTTSVoiceRate, none);
        catalogue.prepareVoices(loop);
        EXPECT_EQ(loop.ttsRate, 0.0f) << none.toString().toStdString();
    }
    defaults.setValue(kNarrataTTSVoiceRate, QStringLiteral("240")); // as an INI file gives it back
    catalogue.prepareVoices(loop);
    EXPECT_EQ(loop.ttsRate, 240.0f);
}

TEST_F(VoiceCatalogueTest, ApplyStoresTheChoiceAndReloadsTheSynthesizer)
{
    catalogue.prepareVoices(loop);
    loop.reloadSpeechSynthesizer();
    const int created = service.created;
    const int flushed = defaults.synchronizeCount();

    catalogue.setSelectedIndex(1);
    catalogue.setRate(260);
    EXPECT_EQ(catalogue.rateLabel(), QStringLiteral("260 wpm"));
    catalogue.apply(loop);
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("en"));
    EXPECT_EQ(defaults.doubleForKey(kNarrataTTSVoiceRate), 260.0);
    EXPECT_EQ(defaults.synchronizeCount(), flushed + 1);
    EXPECT_EQ(service.created, created + 1);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en"));
    EXPECT_EQ(service.latest->rate(), 260.0f);
    EXPECT_EQ(loop.ttsVoice, QStringLiteral("en"));

    // What was applied comes back at the next launch.
    VoiceCatalogue next(service, defaults);
    SpeakingLoop nextLoop{{service, view, filter, textPath, progress, session}};
    next.prepareVoices(nextLoop);
    EXPECT_EQ(next.selectedIndex(), 1);
    EXPECT_EQ(nextLoop.ttsRate, 260.0f);
}

TEST_F(VoiceCatalogueTest, ApplyWithoutARateOrAVoiceRemovesThem)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en"));
    defaults.setValue(kNarrataTTSVoiceRate, 300.0);
    catalogue.prepareVoices(loop);
    catalogue.setRate(0);
    catalogue.setSelectedIndex(99);
    EXPECT_EQ(catalogue.selectedIndex(), -1);
    catalogue.apply(loop);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(loop.ttsRate, 0.0f);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(service.latest->rate(), 175.0f) << "the voice's default rate";
}

TEST_F(VoiceCatalogueTest, ResetReturnsToTheDefaultVoiceAtItsDefaultRate)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en"));
    defaults.setValue(kNarrataTTSVoiceRate, 300.0);
    catalogue.prepareVoices(loop);
    loop.reloadSpeechSynthesizer();
    loop.loadSpeechSet({SentenceRecord{QStringLiteral("Being read."), {0, 11}, 0}});
    ASSERT_TRUE(service.latest->isSpeaking());

    service.defaultRate = 180;
    catalogue.reset(loop);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (US)"));
    EXPECT_EQ(catalogue.rate(), 180.0f);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(service.latest->rate(), 180.0f);
    EXPECT_EQ(service.latest->spoken, QStringList({"Being read."})) << "the sentence starts again";
}

TEST_F(VoiceCatalogueTest, OpeningThePopoverPutsTheStoredChoiceBack)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en"));
    defaults.setValue(kNarrataTTSVoiceRate, 300.0);
    catalogue.prepareVoices(loop);
    catalogue.setSelectedIndex(0);
    catalogue.setRate(100); // moved without Apply
    const int created = service.created;
    catalogue.preparePopover(loop);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (Great Britain) (GB)"));
    EXPECT_EQ(catalogue.rate(), 300.0f);
    EXPECT_EQ(service.created, created + 1);
    EXPECT_EQ(service.latest->rate(), 300.0f);
}

TEST_F(VoiceCatalogueTest, AServiceWithoutVoicesGivesAnEmptyMenuAndNothingToSelect)
{
    service.voices.clear();
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en"));
    catalogue.prepareVoices(loop);
    EXPECT_TRUE(catalogue.entries().empty());
    EXPECT_EQ(catalogue.selectedIndex(), -1);
    EXPECT_FALSE(catalogue.selectedVoice().has_value());
    catalogue.reset(loop);
    catalogue.preparePopover(loop);
    catalogue.apply(loop);
    EXPECT_EQ(catalogue.selectedIndex(), -1);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
}

TEST_F(VoiceCatalogueTest, TheFilterOptionIsStoredAndRebuildsTheMenu)
{
    catalogue.prepareVoices(loop);
    catalogue.setShowOnlyEnglishAdultVoices(false, loop);
    EXPECT_FALSE(defaults.boolForKey(userPrefShowOnlyEnglishAdultVoices));
    EXPECT_EQ(catalogue.entries().size(), 10u);
    catalogue.setShowOnlyEnglishAdultVoices(true, loop);
    EXPECT_EQ(catalogue.entries().size(), 4u);
}

} // namespace
} // namespace narrata
