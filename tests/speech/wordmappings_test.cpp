// Making a sentence speakable: web addresses, the fixed and the user's word mappings, the word
// mappings file (its line format, its creation from the template, re-reading it), and ligature
// repair.
#include "speech/ligaturemap.h"
#include "speech/speakabletext.h"
#include "speech/speechtextpath.h"
#include "speech/wordmappings.h"
#include "speech/wordmappingtextpath.h"

#include "support/pdffixture.h"
#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace narrata {
namespace {

WordMappings mappings(std::initializer_list<std::pair<QString, QString>> pairs)
{
    WordMappings result;
    for (const auto &[word, replacement] : pairs)
        result.insert(word, replacement);
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

TEST(SpeakableText, ARowOfLeaderDotsIsOnePause)
{
    const std::pair<QString, QString> rows[] = {
        {"2.1 Formatting . . . . . . . . . 5", "2.1 Formatting, 5"},
        {"3 Type 1 fonts . . . . . . . .", "3 Type 1 fonts."},
        {"7.1 Which License Applies? . . . . .", "7.1 Which License Applies?"},
        {"Contents........12 and Index \u2026\u2026\u2026\u2026 40", "Contents, 12 and Index, 40"},
        {"Wait... what? A. B. C. D.", "Wait... what? A. B. C. D."}, // an ellipsis, and initials
        {"Split exam- ple . . . .", "Split example."},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(sentenceForSpeech(text), expected) << "for " << qPrintable(text);
    EXPECT_EQ(spokenWordCount(QStringLiteral("2.1 Formatting . . . . . . . . . 5")), 3u);
}

class LigatureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    void writeList(const QString &ligature, const QByteArray &words)
    {
        ASSERT_TRUE(testing::writeBytes(QDir(folder.path()).filePath(ligature + QStringLiteral(".txt")), words));
    }
    QTemporaryDir folder;
};

TEST_F(LigatureTest, MapHoldsTheFragmentsTheRulesDescribeAndSubstitutionRepairsThem)
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

    // Substitution lowers the text and repairs the lost ligatures.
    writeList(QStringLiteral("fi"), "fine\ndefine\nofficial\n");
    writeList(QStringLiteral("fl"), "flow\nreflect\n");
    const LigatureMap both = prepareMapForLigatures({QStringLiteral("fi"), QStringLiteral("fl")}, folder.path());
    EXPECT_EQ(substituteForLigaturesInString(QStringLiteral("The  ne print will de ne the re ect of the  ow."), both),
        QStringLiteral("the fine print will define the reflect of the flow."));
    EXPECT_EQ(
        substituteForLigaturesInString(QStringLiteral("An Of cial Word"), both), QStringLiteral("an official word"));
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

TEST(WordMappingsParser, AWordLineEndingInAColonDeclaresTheNextLineAsItsReplacement)
{
    const std::pair<QString, WordMappings> rows[] = {
        {"GUI:\ngooey\n", mappings({{"GUI", "gooey"}})},
        {" e.g. :\nfor example\nkey::\nvalue: x ", mappings({{" e.g. ", "for example"}, {"key:", "value: x "}})},
        {"first:\nsecond:\nthird", mappings({{"first", "second:"}, {"second", "third"}})},
        {"a:\nb\nlast:", mappings({{"a", "b"}})}, // a declaring last line declares nothing
        {"only:", {}},
        {"skip:\n", mappings({{"skip", ""}})}, // a final line feed gives an empty last line
        {"um:\n\nah:\nnothing", mappings({{"um", ""}, {"ah", "nothing"}})},
        {"GUI:\r\ngooey\r\nSQL:\r\nsequel\r\n", {}}, // CR LF line ends declare nothing
        {"GUI:\ngooey\r\n", mappings({{"GUI", "gooey\r"}})},
        {"GUI:\ngooey\nGUI:\ng u i", mappings({{"GUI", "g u i"}})}, // the later declaration wins
        {"\n\nA note.\nGUI:\ngooey\n\n\nAnother note\nSQL:\nsequel\n\n",
            mappings({{"GUI", "gooey"}, {"SQL", "sequel"}})},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(parseWordMappings(text), expected) << "for " << qPrintable(text);
}

class WordMappingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QString pathIn(const QString &subfolder) const
    {
        return QDir(folder.path()).filePath(subfolder + u'/' + wordMappingsFileName());
    }

    QTemporaryDir folder;
};

TEST_F(WordMappingsFileTest, AMissingFileReadsNothingUntilMadeFromTheTemplateAndAnExistingOneIsKept)
{
    const QString path = pathIn(QStringLiteral("not/yet/there"));
    WordMappingsFile file(path);
    EXPECT_FALSE(file.contents().has_value());
    EXPECT_FALSE(file.reload());
    EXPECT_TRUE(file.mappings().isEmpty());
    EXPECT_TRUE(file.problem().isEmpty());
    ASSERT_TRUE(file.ensureExists());

    initSpeechResources();
    QFile resource(wordMappingsTemplateResource());
    ASSERT_TRUE(resource.open(QIODevice::ReadOnly));
    const QByteArray expected = resource.readAll();
    EXPECT_FALSE(expected.isEmpty());
    QFile created(path);
    ASSERT_TRUE(created.open(QIODevice::ReadOnly));
    EXPECT_EQ(created.readAll(), expected);
    EXPECT_TRUE(QFileInfo(path).isWritable());
    // The template's examples are switched off: every word they declare has a space in it.
    ASSERT_TRUE(file.reload());
    for (auto it = file.mappings().cbegin(); it != file.mappings().cend(); ++it)
        EXPECT_TRUE(it.key().contains(u' ')) << it.key().toStdString();
    EXPECT_EQ(speakableStringWithWordMappings(QStringLiteral("GUI SQL e.g. Nguyen"), file.mappings()),
        QStringLiteral("GUI SQL e.g. Nguyen"));

    ASSERT_TRUE(testing::writeBytes(path, "mine:\nkept\n"));
    EXPECT_TRUE(file.ensureExists());
    ASSERT_TRUE(file.reload());
    EXPECT_EQ(file.mappings(), mappings({{"mine", "kept"}})) << "the template does not replace it";
}

class TextPathTest : public WordMappingsFileTest {
protected:
    void SetUp() override
    {
        WordMappingsFileTest::SetUp();
        path = pathIn(QStringLiteral("app"));
        textPath = std::make_unique<WordMappingTextPath>(WordMappingsFile(path));
        textPath->initializeCustomPronunciationFileAtFirstLaunch();
        ASSERT_TRUE(QFileInfo::exists(path));
    }
    QString speak(const QString &text)
    {
        textPath->runtimeReloadCustomDictionaryMap();
        return textPath->speakableStringWithWordMappings(text);
    }

    QString path;
    std::unique_ptr<WordMappingTextPath> textPath;
};

TEST_F(TextPathTest, EditsAreHeardFromTheNextReloadOnButAnEmptiedFileChangesNothing)
{
    EXPECT_EQ(speak(QStringLiteral("the GUI")), QStringLiteral("the GUI"));
    ASSERT_TRUE(testing::writeBytes(path, "GUI:\ngooey\n"));
    EXPECT_EQ(textPath->speakableStringWithWordMappings(QStringLiteral("the GUI")), QStringLiteral("the GUI"))
        << "nothing changes before the reload";
    EXPECT_EQ(speak(QStringLiteral("the GUI")), QStringLiteral("the gooey"));
    ASSERT_TRUE(testing::writeBytes(path, "GUI:\ng u i\n"));
    EXPECT_EQ(speak(QStringLiteral("the GUI")), QStringLiteral("the g u i"));
    EXPECT_EQ(textPath->mappings(), mappings({{"GUI", "g u i"}}));

    // Emptied of entries, or gone, the file leaves the previous mappings in place.
    for (const QByteArray &bytes : {QByteArray(), QByteArray("just a note\n")}) {
        ASSERT_TRUE(testing::writeBytes(path, bytes));
        EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("g u i")) << bytes.constData();
    }
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("g u i"));

    // An editor's text is read instead of the file while it gives one.
    ASSERT_TRUE(testing::writeBytes(path, "GUI:\ngooey\n"));
    std::optional<QString> editorText = QStringLiteral("GUI:\nunsaved\n");
    textPath->mappingsFile().setTextOverride([&editorText] { return editorText; });
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("unsaved"));
    editorText.reset();
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
}

TEST_F(TextPathTest, OnlyARegularFileOfASaneSizeIsReadAndOnlyWhenItChanged)
{
    // The same size and time, long past: not read again before every sentence.
    const QDateTime modified = QDateTime::currentDateTime().addSecs(-3600);
    const auto writeStamped = [&](const QByteArray &bytes) {
        QFile file(path);
        return testing::writeBytes(path, bytes) && file.open(QIODevice::ReadWrite)
            && file.setFileTime(modified, QFileDevice::FileModificationTime);
    };
    ASSERT_TRUE(writeStamped("GUI:\ngooey\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
    ASSERT_TRUE(writeStamped("GUI:\nfooey\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));

    // A pipe would block for ever, a huge file cost its reading before every sentence.
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
    EXPECT_TRUE(textPath->mappingsFile().problem().contains(QStringLiteral("not a regular file")));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(testing::writeBytes(path, "GUI:\nhuge\n" + QByteArray(WordMappingsFile::kMaximumFileSize, ' ')));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
    EXPECT_TRUE(textPath->mappingsFile().problem().contains(QStringLiteral("1 MB")));
}

int warnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext &, const QString &)
{
    if (type == QtWarningMsg)
        ++warnings;
}

TEST_F(TextPathTest, InvalidUtf8KeepsThePreviousMappingsAndIsReportedOnce)
{
    ASSERT_TRUE(testing::writeBytes(path, "GUI:\ngooey\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));

    // Latin-1 "café" and a stray continuation byte: not UTF-8.
    ASSERT_TRUE(testing::writeBytes(path, "GUI:\ncaf\xe9\nSQL:\nsequel\x80\n"));
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    EXPECT_EQ(speak(QStringLiteral("GUI SQL")), QStringLiteral("gooey SQL"));
    EXPECT_EQ(speak(QStringLiteral("GUI SQL")), QStringLiteral("gooey SQL"));
    EXPECT_EQ(speak(QStringLiteral("GUI SQL")), QStringLiteral("gooey SQL"));
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 1);
    EXPECT_FALSE(textPath->mappingsFile().problem().isEmpty());
    EXPECT_FALSE(textPath->mappingsFile().problem().contains(u'\n'));

    ASSERT_TRUE(testing::writeBytes(path, "GUI:\ncaf\xc3\xa9\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("caf\u00e9"));
    EXPECT_TRUE(textPath->mappingsFile().problem().isEmpty());
}

} // namespace
} // namespace narrata
