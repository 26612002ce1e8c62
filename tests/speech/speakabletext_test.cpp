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

WordMappings mappings(std::initializer_list<std::pair<const char *, const char *>> pairs)
{
    WordMappings result;
    for (const auto &[word, replacement] : pairs)
        result.insert(QString::fromUtf8(word), QString::fromUtf8(replacement));
    return result;
}

TEST(SpeakableText, AddressesAndFixedMappingsAreSpokenOtherTokensAsWritten)
{
    const std::pair<QString, QString> rows[] = {
        {"Nothing to change here.", "Nothing to change here."},
        {"a  b   c ", "a  b   c "}, // consecutive spaces are empty tokens
        {"a \uFFFC b", "a  b"}, // tokens are trimmed of white space and object replacement
        {"\nmacOS\t \uFFFCmacOS\u00A0", "Mac OS Mac OS"},
        {"See https://www.example.com/docs/page.html?q=1&r=two#top now", "See  www.example.com URL  now"},
        {"http://user:pw@example.org:8080/x", " example.org URL "},
        {"HTTPS://example.com", "HTTPS://example.com"}, // the prefix is case-sensitive
        {"(https://example.com)", "(https://example.com)"}, // and must start the token
        {"ftp://example.com", "ftp://example.com"},
        {"https://exa<mple.com", "https://exa<mple.com"}, // does not parse
        {"use https: only", "use https: only"}, // no host
        {"http:relative", "http:relative"},
        {"Narrata runs on Linux, not macOS", "Narata runs on Linux, not Mac OS"},
        {"Visit narrata.app today", "Visit Narata dot app today"},
        {"narrata.app/index.html", "Narata dot app slash index dot html"},
        {"macOS, and MacOS and macos", "macOS, and MacOS and macos"}, // whole tokens, exactly
        {"Narrata's", "Narrata's"},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(speakableStringWithWordMappings(text, {}), expected) << "for " << qPrintable(text);
}

TEST(SpeakableText, UserMappingsReplaceTokensOnceAndWinOverFixedOnes)
{
    const struct {
        QString text;
        WordMappings user;
        QString expected;
    } rows[] = {
        {"on macOS and Narrata", mappings({{"macOS", "mac oh ess"}}), "on mac oh ess and Narata"},
        {"A GUI [1] here", mappings({{"GUI", "gooey"}, {"[1]", ""}}), "A gooey  here"},
        {"A B", mappings({{"A", "B"}, {"B", "C"}}), "B C"}, // a replacement is not looked up again
        {"New York", mappings({{"New York", "NYC"}}), "New York"}, // tokens are split at spaces
        {"https://narrata.app/index.html", mappings({{"https://narrata.app/index.html", "home"}}), " narrata.app URL "},
    };
    for (const auto &row : rows)
        EXPECT_EQ(speakableStringWithWordMappings(row.text, row.user), row.expected) << "for " << qPrintable(row.text);
    EXPECT_EQ(fixedWordMappings().value(QStringLiteral("macOS")), QStringLiteral("Mac OS")) << "fixed table untouched";
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
    EXPECT_TRUE(prepareMapForLigatures({QStringLiteral("zz")}, folder.path()).isEmpty()) << "no word list";
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

TEST(LigatureResources, ShippedWordListsRepairWordsButLeaveOrdinaryPhrasesAlone)
{
    for (const QString &ligature : knownLigatures())
        EXPECT_GE(prepareMapForLigatures({ligature}).size(), 3) << ligature.toStdString();
    const LigatureMap all = prepareMapForLigatures(knownLigatures());
    EXPECT_EQ(
        substituteForLigaturesInString(QStringLiteral("The of cial report was signi cant, e cient and di cult."), all),
        QStringLiteral("the official report was significant, efficient and difficult."));
    // Fragments such as "de ne" (define) or "of ce" (office) would also match across the words
    // of "made new" or "proof of certain"; the shipped lists leave such words out.
    const QString phrases = QStringLiteral("we made new proof of certain points to counter a tree ect. "
                                           "do the office staff offer coffee? no, they differ");
    EXPECT_EQ(substituteForLigaturesInString(phrases, all), phrases);
}

} // namespace
} // namespace narrata
