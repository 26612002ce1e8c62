// The word mappings window: what the speech hears while it is open, and what reaches the file.
#include "view/wordmappingseditor.h"

#include "speech/wordmappings.h"

#include "support/pdffixture.h"
#include "support/qtprinters.h"
#include "view/widgettesting.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace narrata {
namespace {

const QString kSaved = QStringLiteral("colour:\ncolor\n");

class WordMappingsEditorTest : public testing::WidgetTest {
protected:
    WordMappingsEditorTest() { testing::writeBytes(path, kSaved.toUtf8()); }

    QByteArray onDisk() const
    {
        QFile in(path);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    QPlainTextEdit &text()
    {
        return *editor.findChild<QPlainTextEdit *>(QStringLiteral("textViewCustomPronunciationEditor"));
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("word mappings.txt"));
    WordMappingsFile file{path};
    WordMappingsEditor editor{file};
};

TEST_F(WordMappingsEditorTest, WhileOpenTheSpeechHearsTheUnsavedTextAndCancelThrowsItAway)
{
    editor.menuClickedEditCustomPronunciations();
    ASSERT_TRUE(editor.isVisible());
    EXPECT_EQ(text().toPlainText(), kSaved);
    text().setPlainText(QStringLiteral("teh:\nthe\n"));
    EXPECT_EQ(file.contents(), QStringLiteral("teh:\nthe\n"));
    ASSERT_TRUE(file.reload());
    EXPECT_EQ(file.mappings().value(QStringLiteral("teh")), QStringLiteral("the"));

    editor.buttonClickedCustomPronunciationEditorCanceled();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_TRUE(text().toPlainText().isEmpty());
    EXPECT_EQ(file.contents(), kSaved);
    EXPECT_EQ(onDisk(), kSaved.toUtf8());
}

TEST_F(WordMappingsEditorTest, OKSavesTheTextAndKeepsItForTheNextOpening)
{
    editor.menuClickedEditCustomPronunciations();
    const QString edited = QStringLiteral("naïve:\nnah eve\nCO₂:\nsee oh two\n");
    text().setPlainText(edited);
    editor.buttonClickedCustomPronunciationEditorOK();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_EQ(onDisk(), edited.toUtf8());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"word mappings.txt"}))
        << "no temporary file left beside it";

    ASSERT_TRUE(testing::writeBytes(path, "changed elsewhere:\n\n"));
    editor.menuClickedEditCustomPronunciations();
    EXPECT_EQ(text().toPlainText(), edited) << "the window's text is not replaced";

    editor.close(); // the title bar's button leaves the text as it is
    EXPECT_EQ(text().toPlainText(), edited);
    EXPECT_EQ(file.contents(), QStringLiteral("changed elsewhere:\n\n"));
}

TEST_F(WordMappingsEditorTest, AFailedSaveKeepsTheWindowOpenWithTheReason)
{
    editor.menuClickedEditCustomPronunciations();
    text().setPlainText(QStringLiteral("kept:\nsafe\n"));
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("word mappings.txt"))); // cannot be written over

    editor.buttonClickedCustomPronunciationEditorOK();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_EQ(text().toPlainText(), QStringLiteral("kept:\nsafe\n"));
    EXPECT_TRUE(editor.findChild<QLabel *>(QStringLiteral("labelStatus"))->text().startsWith("Could not save: "));
}

TEST_F(WordMappingsEditorTest, WithoutAFileNoneIsCreated)
{
    ASSERT_TRUE(QFile::remove(path));
    editor.menuClickedEditCustomPronunciations();
    EXPECT_TRUE(text().toPlainText().isEmpty());
    text().setPlainText(QStringLiteral("only:\nhere\n"));
    EXPECT_EQ(file.contents(), QStringLiteral("only:\nhere\n"));
    editor.buttonClickedCustomPronunciationEditorOK();
    EXPECT_FALSE(editor.isVisible());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(file.contents(), std::nullopt);
}

TEST(WordMappingsEditor, AClosedDownEditorNoLongerSpeaksForTheFile)
{
    testing::widgetApp();
    QTemporaryDir dir;
    WordMappingsFile file(dir.filePath(QStringLiteral("absent.txt")));
    {
        WordMappingsEditor editor(file);
        editor.menuClickedEditCustomPronunciations();
        editor.findChild<QPlainTextEdit *>()->setPlainText(QStringLiteral("gone:\nsoon\n"));
        ASSERT_TRUE(file.contents().has_value());
    }
    EXPECT_EQ(file.contents(), std::nullopt);
}

} // namespace
} // namespace narrata
