// espeak-ng's voices as the service offers them: identifiers, attributes, the default voice; and
// the silent service that offers them too, with utterances that last as long as their words.
#include "speechtesting.h"

#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/espeak/silentspeechservice.h"

namespace narrata {
namespace {

std::unique_ptr<EspeakSpeechService> serviceFor(const char *userLocale)
{
    return EspeakSpeechService::create({}, QLocale(QString::fromLatin1(userLocale)));
}

TEST(EspeakVoices, OfferEnglishVoicesOfAmericaAndBritainAndTheirVariants)
{
    const auto service = serviceFor("en_US");
    ASSERT_NE(service, nullptr) << "espeak-ng and its voice data are needed";
    const QStringList voices = service->availableVoices();
    EXPECT_GT(voices.size(), 50);
    EXPECT_EQ(QStringList(voices).removeDuplicates(), 0);
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("en-us")),
        (VoiceAttributes{QStringLiteral("English (America)"), QStringLiteral("en_US"), 35, false}));
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("en")),
        (VoiceAttributes{QStringLiteral("English (Great Britain)"), QStringLiteral("en_GB"), 35, false}));
    int novelties = 0;
    for (const QString &voice : voices) {
        const VoiceAttributes attributes = service->attributesForVoice(voice);
        EXPECT_FALSE(attributes.name.isEmpty()) << qPrintable(voice);
        EXPECT_FALSE(attributes.localeIdentifier.isEmpty()) << qPrintable(voice);
        EXPECT_GE(attributes.age, 18) << qPrintable(voice);
        novelties += attributes.novelty ? 1 : 0;
    }
    EXPECT_GE(novelties, 3);

    // Variants are spoken by a voice, and the effects among them are novelties.
    for (const char *offered : {"en+whisper", "en+croak", "en+f2", "en+grandma"})
        EXPECT_TRUE(voices.contains(QLatin1String(offered))) << offered;
    const VoiceAttributes whisper = service->attributesForVoice(QStringLiteral("en+whisper"));
    EXPECT_EQ(whisper,
        (VoiceAttributes{QStringLiteral("English (Great Britain) + whisper"), QStringLiteral("en_GB"), 35, true}));
    // Where a variant's file gives an age, the voice has it.
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("en+croak")).age, 70);
    EXPECT_TRUE(service->attributesForVoice(QStringLiteral("en+croak")).novelty);
    EXPECT_EQ(service->attributesForVoice(QStringLiteral("en+grandma")).age, 90);
    EXPECT_FALSE(service->attributesForVoice(QStringLiteral("en+grandma")).novelty);
    // Another language voice with an offered variant is a voice too, unlisted.
    const VoiceAttributes american = service->attributesForVoice(QStringLiteral("en-us+whisper"));
    EXPECT_EQ(american.localeIdentifier, QStringLiteral("en_US"));
    EXPECT_TRUE(american.novelty);
}

TEST(EspeakVoices, UnknownVoicesHaveNoAttributes)
{
    const auto service = serviceFor("en_US");
    ASSERT_NE(service, nullptr);
    // espeak-ng itself would take "en+nonexistent" for plain "en".
    for (const char *unknown :
        {"", "xx", "en+nonexistent", "en+Mr serious", "en-us+", "+whisper", "EN-US", "gmw/en-US"})
        EXPECT_EQ(service->attributesForVoice(QString::fromLatin1(unknown)), VoiceAttributes{}) << unknown;
}

TEST(EspeakVoices, TheDefaultVoiceIsTheEnglishOfTheUsersRegion)
{
    const std::pair<const char *, const char *> expected[] = {
        {"en_US", "en-us"},
        {"en_GB", "en"},
        {"en_IE", "en"}, // no Irish English in espeak-ng
        {"fr_FR", "en"},
        {"C", "en"},
    };
    for (const auto &[userLocale, voice] : expected) {
        const auto service = serviceFor(userLocale);
        ASSERT_NE(service, nullptr);
        EXPECT_EQ(service->defaultVoice(), QLatin1String(voice)) << userLocale;
    }
}

TEST(EspeakVoiceLocales, TakeTheRegionFromTheTagThenTheListedLanguagesThenQt)
{
    const struct {
        EspeakVoiceFile voice;
        const char *locale;
    } cases[] = {
        {{{}, QStringLiteral("gmw/en-US"), {QStringLiteral("en-us"), QStringLiteral("en")}}, "en_US"},
        {{{}, QStringLiteral("gmw/en"), {QStringLiteral("en-gb"), QStringLiteral("en")}}, "en_GB"},
        {{{}, QStringLiteral("gmw/en-GB-x-rp"), {QStringLiteral("en-gb-x-rp")}}, "en_GB"},
        {{{}, QStringLiteral("gmw/en-029"), {QStringLiteral("en-029")}}, "en_029"},
        {{{}, QStringLiteral("roa/fr"), {QStringLiteral("fr-fr"), QStringLiteral("fr")}}, "fr_FR"},
        {{{}, QStringLiteral("roa/pt"), {QStringLiteral("pt"), QStringLiteral("pt-pt")}}, "pt_PT"},
        {{{}, QStringLiteral("aav/vi-VN-x-central"), {}}, "vi_VN"},
        {{{}, QStringLiteral("gmw/de"), {QStringLiteral("de")}}, "de_DE"},
        {{{}, QStringLiteral("sit/cmn-Latn-pinyin"), {QStringLiteral("zh-cmn")}}, "cmn"},
        {{{}, QStringLiteral("art/eo"), {QStringLiteral("eo")}}, "eo"},
        {{{}, QStringLiteral("iro/chr"), {QStringLiteral("chr-US-Qaaa-x-west")}}, "chr_US"},
    };
    for (const auto &[voice, locale] : cases)
        EXPECT_EQ(localeIdentifierForVoice(voice), QLatin1String(locale)) << qPrintable(voice.identifier);
}

TEST(SilentSpeech, OffersEspeakVoicesAndEndsAnUtteranceWhenItsWordsWouldHaveBeenSpoken)
{
    testing::ensureApplication();
    const auto espeak = EspeakSpeechService::create({});
    ASSERT_NE(espeak, nullptr) << "espeak-ng and its voice data are needed";
    SilentSpeechService silent(EspeakEngine::instance());
    EXPECT_EQ(silent.availableVoices(), espeak->availableVoices());
    EXPECT_EQ(silent.defaultVoice(), espeak->defaultVoice());

    testing::ReportLog reports;
    const auto synthesizer = silent.createSynthesizer(QStringLiteral("en"));
    synthesizer->setDelegate(&reports);
    synthesizer->setRate(300); // five words a second
    synthesizer->startSpeakingString(QStringLiteral("Stopped at once, so never reported as finished."));
    synthesizer->stopSpeaking();
    synthesizer->startSpeakingString(QStringLiteral(" Six words take a while here. "));
    QCoreApplication::processEvents();
    EXPECT_TRUE(synthesizer->isSpeaking()) << "the words take their time";
    ASSERT_TRUE(testing::spinUntil([&] { return reports.reports.size() == 2; }));
    // One more utterance: a second report of the last one would come before its own.
    synthesizer->startSpeakingString(QStringLiteral("Done."));
    ASSERT_TRUE(testing::spinUntil([&] { return reports.reports.size() >= 3; }));
    EXPECT_EQ(reports.reports, (std::vector<bool>{false, true, true}));
}

} // namespace
} // namespace narrata
