// Making a sentence speakable (web addresses, fixed and user word mappings) and ligature repair.
#include "speech/ligaturemap.h"
#include "speech/speakabletext.h"

#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace narrata {
namespace {

QString speakable(const QString &text, const WordMappings &user = {})
{
    return speakableStringWithWordMappings(text, user);
}

WordMappings one(const QString &word, const QString &replacement)
{
    WordMappings result;
    result.insert(word, replacement);
    return result;
}

TEST(SpeakableText, PlainTextIsUnchanged)
{
    EXPECT_EQ(speakable(QStringLiteral("Nothing to change here.")), QStringLiteral("Nothing to change here."));
}

TEST(SpeakableText, ConsecutiveSpacesArePreservedAsEmptyTokens)
{
    EXPECT_EQ(speakable(QStringLiteral("a  b   c ")), QStringLiteral("a  b   c "));
}

TEST(SpeakableText, TokensAreTrimmedOfWhitespaceAndObjectReplacement)
{
    EXPECT_EQ(speakable(QStringLiteral("a \uFFFC b")), QStringLiteral("a  b"));
    EXPECT_EQ(speakable(QStringLiteral("\nmacOS\t \uFFFCmacOS\u00A0")), QStringLiteral("Mac OS Mac OS"));
}

TEST(SpeakableText, WebAddressIsSpokenAsItsHostAndTheWordUrl)
{
    EXPECT_EQ(speakable(QStringLiteral("See https://www.example.com/docs/page.html?q=1&r=two#top now")),
        QStringLiteral("See  www.example.com URL  now"));
    EXPECT_EQ(speakable(QStringLiteral("http://user:pw@example.org:8080/x")), QStringLiteral(" example.org URL "));
}

TEST(SpeakableText, WebAddressPrefixIsCaseSensitiveAndMustStartTheToken)
{
    EXPECT_EQ(speakable(QStringLiteral("HTTPS://example.com")), QStringLiteral("HTTPS://example.com"));
    EXPECT_EQ(speakable(QStringLiteral("(https://example.com)")), QStringLiteral("(https://example.com)"));
    EXPECT_EQ(speakable(QStringLiteral("ftp://example.com")), QStringLiteral("ftp://example.com"));
}

TEST(SpeakableText, AddressThatDoesNotParseOrHasNoHostIsSpokenAsWritten)
{
    EXPECT_EQ(speakable(QStringLiteral("https://exa<mple.com")), QStringLiteral("https://exa<mple.com"));
    EXPECT_EQ(speakable(QStringLiteral("use https: only")), QStringLiteral("use https: only"));
    EXPECT_EQ(speakable(QStringLiteral("http:relative")), QStringLiteral("http:relative"));
}

TEST(SpeakableText, WebAddressIsNotLookedUpInTheMappings)
{
    const QString address = QStringLiteral("https://narrata.app/index.html");
    EXPECT_EQ(speakable(address, one(address, QStringLiteral("home"))), QStringLiteral(" narrata.app URL "));
}

TEST(SpeakableText, FixedMappingsGiveTheProductAndItsAddressesASpokenForm)
{
    EXPECT_EQ(speakable(QStringLiteral("Narrata runs on Linux, not macOS")),
        QStringLiteral("Narata runs on Linux, not Mac OS"));
    EXPECT_EQ(speakable(QStringLiteral("Visit narrata.app today")), QStringLiteral("Visit Narata dot app today"));
    EXPECT_EQ(
        speakable(QStringLiteral("narrata.app/index.html")), QStringLiteral("Narata dot app slash index dot html"));
}

TEST(SpeakableText, LookupsCompareWholeTokensExactly)
{
    EXPECT_EQ(speakable(QStringLiteral("macOS, and MacOS and macos")), QStringLiteral("macOS, and MacOS and macos"));
    EXPECT_EQ(speakable(QStringLiteral("Narrata's")), QStringLiteral("Narrata's"));
    // A declared word containing a space never matches, since tokens are split at spaces.
    EXPECT_EQ(speakable(QStringLiteral("New York"), one(QStringLiteral("New York"), QStringLiteral("NYC"))),
        QStringLiteral("New York"));
}

TEST(SpeakableText, UserMappingWinsOverAFixedOneForTheSameWord)
{
    const WordMappings user = one(QStringLiteral("macOS"), QStringLiteral("mac oh ess"));
    EXPECT_EQ(speakable(QStringLiteral("on macOS and Narrata"), user), QStringLiteral("on mac oh ess and Narata"));
    EXPECT_EQ(fixedWordMappings().value(QStringLiteral("macOS")), QStringLiteral("Mac OS")) << "fixed table untouched";
}

TEST(SpeakableText, UserMappingsReplaceTokensAndMayRemoveThem)
{
    WordMappings user = one(QStringLiteral("GUI"), QStringLiteral("gooey"));
    user.insert(QStringLiteral("[1]"), QString());
    EXPECT_EQ(speakable(QStringLiteral("A GUI [1] here"), user), QStringLiteral("A gooey  here"));
}

TEST(SpeakableText, ReplacementIsNotLookedUpAgain)
{
    WordMappings user = one(QStringLiteral("A"), QStringLiteral("B"));
    user.insert(QStringLiteral("B"), QStringLiteral("C"));
    EXPECT_EQ(speakable(QStringLiteral("A B"), user), QStringLiteral("B C"));
}

class LigatureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    void writeList(const QString &ligature, const QByteArray &words)
    {
        QFile file(QDir(folder.path()).filePath(ligature + QStringLiteral(".txt")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(words);
    }
    QTemporaryDir folder;
};

TEST_F(LigatureTest, MapHoldsTheFragmentsTheRulesDescribe)
{
    writeList(QStringLiteral("fi"), "Fine\nOfficial\nwifi\nfix\nnotes\n");
    const LigatureMap map = prepareMapForLigatures({QStringLiteral("fi")}, folder.path());
    LigatureMap expected;
    expected.insert(QStringLiteral("  ne"), QStringLiteral(" fine"));
    expected.insert(QStringLiteral("of cial"), QStringLiteral("official"));
    expected.insert(QStringLiteral("wi  "), QStringLiteral("wifi "));
    expected.insert(QStringLiteral("wi ."), QStringLiteral("wifi."));
    expected.insert(QStringLiteral("wi ?"), QStringLiteral("wifi?"));
    expected.insert(QStringLiteral("wi ,"), QStringLiteral("wifi,"));
    expected.insert(QStringLiteral("  x"), QStringLiteral(" fix"));
    EXPECT_EQ(map, expected);
}

TEST_F(LigatureTest, SubstitutionLowersTheTextAndRepairsLostLigatures)
{
    writeList(QStringLiteral("fi"), "fine\ndefine\nofficial\n");
    writeList(QStringLiteral("fl"), "flow\nreflect\n");
    const LigatureMap map = prepareMapForLigatures({QStringLiteral("fi"), QStringLiteral("fl")}, folder.path());
    EXPECT_EQ(substituteForLigaturesInString(QStringLiteral("The  ne print will de ne the re ect of the  ow."), map),
        QStringLiteral("the fine print will define the reflect of the flow."));
    EXPECT_EQ(
        substituteForLigaturesInString(QStringLiteral("An Of cial Word"), map), QStringLiteral("an official word"));
}

TEST_F(LigatureTest, MissingWordListGivesNoEntries)
{
    EXPECT_TRUE(prepareMapForLigatures({QStringLiteral("zz")}, folder.path()).isEmpty());
    EXPECT_EQ(substituteForLigaturesInString(QStringLiteral("Unchanged"), {}), QStringLiteral("unchanged"));
}

TEST(LigatureResources, ShippedWordListsAreReadable)
{
    for (const QString &ligature : knownLigatures())
        EXPECT_GE(prepareMapForLigatures({ligature}).size(), 3) << ligature.toStdString();
    const LigatureMap all = prepareMapForLigatures(knownLigatures());
    EXPECT_EQ(
        substituteForLigaturesInString(QStringLiteral("The of cial report was signi cant, e cient and di cult."), all),
        QStringLiteral("the official report was significant, efficient and difficult."));
}

TEST(LigatureResources, ShippedWordListsLeaveOrdinaryPhrasesAlone)
{
    // Fragments such as "de ne" (define) or "of ce" (office) would also match across the words
    // of "made new" or "proof of certain"; the shipped lists leave such words out.
    const LigatureMap all = prepareMapForLigatures(knownLigatures());
    const QString phrases = QStringLiteral("we made new proof of certain points to counter a tree ect. "
                                           "do the office staff offer coffee? no, they differ");
    EXPECT_EQ(substituteForLigaturesInString(phrases, all), phrases);
}

} // namespace
} // namespace narrata
