// The word mappings file: its line format, its creation from the template, and re-reading it.
#include "speech/speakabletext.h"
#include "speech/wordmappings.h"
#include "speech/wordmappingtextpath.h"

#include "support/qtprinters.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
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

    ASSERT_TRUE(writeFile(path, "mine:\nkept\n"));
    EXPECT_TRUE(file.ensureExists());
    ASSERT_TRUE(file.reload());
    EXPECT_EQ(file.mappings(), mappings({{"mine", "kept"}})) << "the template does not replace it";
}

TEST_F(WordMappingsFileTest, TemplateChangesNoWordThatCanBeSpoken)
{
    WordMappingsFile file(pathIn(QStringLiteral("t")));
    ASSERT_TRUE(file.ensureExists());
    file.reload();
    // Its examples are switched off: every word they declare has a space in it.
    for (auto it = file.mappings().cbegin(); it != file.mappings().cend(); ++it)
        EXPECT_TRUE(it.key().contains(u' ')) << it.key().toStdString();
    EXPECT_EQ(speakableStringWithWordMappings(QStringLiteral("GUI SQL e.g. Nguyen"), file.mappings()),
        QStringLiteral("GUI SQL e.g. Nguyen"));
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

TEST_F(TextPathTest, EditIsHeardFromTheNextReloadOn)
{
    EXPECT_EQ(speak(QStringLiteral("the GUI")), QStringLiteral("the GUI"));
    ASSERT_TRUE(writeFile(path, "GUI:\ngooey\n"));
    EXPECT_EQ(textPath->speakableStringWithWordMappings(QStringLiteral("the GUI")), QStringLiteral("the GUI"))
        << "nothing changes before the reload";
    EXPECT_EQ(speak(QStringLiteral("the GUI")), QStringLiteral("the gooey"));
    ASSERT_TRUE(writeFile(path, "GUI:\ng u i\n"));
    EXPECT_EQ(speak(QStringLiteral("the GUI")), QStringLiteral("the g u i"));
    EXPECT_EQ(textPath->mappings(), mappings({{"GUI", "g u i"}}));
}

TEST_F(TextPathTest, FileEmptiedOfEntriesKeepsThePreviousMappings)
{
    ASSERT_TRUE(writeFile(path, "GUI:\ngooey\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
    ASSERT_TRUE(writeFile(path, ""));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
    ASSERT_TRUE(writeFile(path, "just a note\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
}

TEST_F(TextPathTest, OnlyARegularFileOfASaneSizeIsReadAndOnlyWhenItChanged)
{
    // The same size and time, long past: not read again before every sentence.
    const QDateTime modified = QDateTime::currentDateTime().addSecs(-3600);
    const auto writeStamped = [&](const QByteArray &bytes) {
        QFile file(path);
        return writeFile(path, bytes) && file.open(QIODevice::ReadWrite)
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
    ASSERT_TRUE(writeFile(path, "GUI:\nhuge\n" + QByteArray(WordMappingsFile::kMaximumFileSize, ' ')));
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
    ASSERT_TRUE(writeFile(path, "GUI:\ngooey\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));

    // Latin-1 "café" and a stray continuation byte: not UTF-8.
    ASSERT_TRUE(writeFile(path, "GUI:\ncaf\xe9\nSQL:\nsequel\x80\n"));
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
    EXPECT_EQ(speak(QStringLiteral("GUI SQL")), QStringLiteral("gooey SQL"));
    EXPECT_EQ(speak(QStringLiteral("GUI SQL")), QStringLiteral("gooey SQL"));
    EXPECT_EQ(speak(QStringLiteral("GUI SQL")), QStringLiteral("gooey SQL"));
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 1);
    EXPECT_FALSE(textPath->mappingsFile().problem().isEmpty());
    EXPECT_FALSE(textPath->mappingsFile().problem().contains(u'\n'));

    ASSERT_TRUE(writeFile(path, "GUI:\ncaf\xc3\xa9\n"));
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("caf\u00e9"));
    EXPECT_TRUE(textPath->mappingsFile().problem().isEmpty());
}

TEST_F(TextPathTest, TextOverrideIsReadInsteadOfTheFileWhileItGivesText)
{
    ASSERT_TRUE(writeFile(path, "GUI:\ngooey\n"));
    std::optional<QString> editorText = QStringLiteral("GUI:\nunsaved\n");
    textPath->mappingsFile().setTextOverride([&editorText] { return editorText; });
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("unsaved"));
    editorText.reset();
    EXPECT_EQ(speak(QStringLiteral("GUI")), QStringLiteral("gooey"));
}

} // namespace
} // namespace narrata
