// The voice menu, the stored voice and rate, and how Apply and Reset hand them to the loop.
#include "speech/voicecatalogue.h"

#include "platform/settingsstores/memorydefaultsstore.h"
#include "settings/registereddefaults.h"
#include "speech/speakingloop.h"

#include "support/fakespeech.h"
#include "support/qtprinters.h"
#include "support/voicerig.h"

#include <gtest/gtest.h>

namespace narrata {
namespace {

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

    // Of two voices with one title the later stays; equal names go by the whole title.
    service.voices = {voice("a", "Same", "en_US"), voice("b", "Same", "en_US"), voice("c", "Same", "en_GB")};
    catalogue.prepareVoices(loop);
    EXPECT_EQ(catalogue.entries(), (std::vector<VoiceMenuEntry>{{"c", "Same (GB)"}, {"b", "Same (US)"}}));

    // A service without voices gives an empty menu and nothing to select, whatever is done.
    service.voices.clear();
    prepare("en");
    EXPECT_TRUE(catalogue.entries().empty());
    EXPECT_EQ(catalogue.selectedIndex(), -1);
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
    EXPECT_FALSE(loop.ttsVoice.has_value());
    EXPECT_EQ(loop.ttsRate, 190.0f);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(loop.synthesizer(), nullptr) << "the loop makes its synthesizer after this";
    EXPECT_EQ(service.created, 0) << "the service tells its default rate without one";

    prepare("en", 300.0);
    loop.reloadSpeechSynthesizer();
    loop.loadSpeechSet({SentenceRecord{QStringLiteral("Being read."), {0, 11}, 0}});
    ASSERT_TRUE(service.latest->isSpeaking());

    service.newSynthesizerRate = 180;
    catalogue.reset(loop);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (US)"));
    EXPECT_EQ(catalogue.rate(), 180.0f);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(service.latest->rate(), 180.0f);
    EXPECT_EQ(service.latest->spoken, QStringList({"Being read."})) << "the sentence starts again";
}

TEST_F(VoiceCatalogueTest, AStoredVoiceHiddenByTheFilterStillSpeaksAndOneThatIsGoneGivesWayButStaysStored)
{
    prepare("de");
    EXPECT_EQ(catalogue.selectedIndex(), 0);
    EXPECT_EQ(loop.ttsVoice, QStringLiteral("de"));
    EXPECT_EQ(loop.ttsRate, 0.0f) << "no rate stored: the voice's own";
    EXPECT_EQ(catalogue.rate(), 175.0f) << "the slider shows what is heard";

    // A rate picked but never applied does not survive the menu being built again.
    catalogue.setRate(300);
    catalogue.setShowOnlyEnglishAdultVoices(false, loop);
    EXPECT_EQ(catalogue.rate(), 175.0f);
    EXPECT_EQ(loop.ttsRate, 0.0f);

    // A stored voice that is gone gives way to the default but stays stored.
    prepare("uninstalled", 210.0);
    EXPECT_FALSE(loop.ttsVoice.has_value());
    EXPECT_EQ(loop.ttsRate, 210.0f);
    EXPECT_EQ(selectedTitle(), QStringLiteral("English (America) (en_US)"));
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("uninstalled"));
    loop.reloadSpeechSynthesizer();
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(service.latest->rate(), 210.0f);
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
    const int created = service.created;
    const int flushed = defaults.synchronizeCount();

    catalogue.setSelectedIndex(1);
    catalogue.setRate(260);
    catalogue.apply(loop);
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("en"));
    EXPECT_EQ(defaults.doubleForKey(kNarrataTTSVoiceRate), 260.0);
    EXPECT_EQ(defaults.synchronizeCount(), flushed + 1);
    EXPECT_EQ(service.created, created + 1);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en"));
    EXPECT_EQ(service.latest->rate(), 260.0f);
    EXPECT_EQ(loop.ttsVoice, QStringLiteral("en"));

    VoiceCatalogue next(service, defaults);
    SpeakingLoop nextLoop{{service, view, view, filter, textPath, progress, session}};
    next.prepareVoices(nextLoop);
    EXPECT_EQ(next.selectedIndex(), 1);
    EXPECT_EQ(nextLoop.ttsVoice, QStringLiteral("en"));
    EXPECT_EQ(nextLoop.ttsRate, 260.0f);
    next.setShowOnlyEnglishAdultVoices(false, nextLoop);
    EXPECT_EQ(
        next.entries().at(std::size_t(next.selectedIndex())).title, QStringLiteral("English (Great Britain) (en_GB)"))
        << "the rebuilt menu keeps it";

    // Without a rate or a voice, Apply removes them.
    catalogue.setRate(0);
    catalogue.setSelectedIndex(99);
    EXPECT_EQ(catalogue.selectedIndex(), -1);
    catalogue.apply(loop);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(loop.ttsRate, 0.0f);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(service.latest->rate(), 175.0f) << "the voice's default rate";

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

} // namespace
} // namespace narrata
