// The preferences, voice and help popovers and the word mappings window: what the user's clicks
// report, store and show, and what the speech hears while the window is open.
#include "view/helppopover.h"
#include "view/preferencespopover.h"
#include "view/voicepopover.h"
#include "view/wordmappingseditor.h"

#include "settings/registereddefaults.h"
#include "speech/wordmappings.h"

#include "support/pdffixture.h"
#include "support/qtprinters.h"
#include "support/voicerig.h"
#include "view/widgettesting.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace narrata {
namespace {

using namespace settingskeys;

class PreferencesPopoverTest : public testing::WidgetTest {
protected:
    PreferencesPopoverTest()
    {
        store.registerDefaults(registeredDefaults());
        QObject::connect(&popover, &PreferencesPopover::preferencesChanged,
            [this](const Preferences &preferences) { reported.push_back(preferences); });
    }

    MemoryDefaultsStore store;
    PreferencesPopover popover{store};
    std::vector<Preferences> reported;
};

TEST_F(PreferencesPopoverTest, EachBoxReportsItsOwnPreferenceAndSettingThemReportsNothing)
{
    for (const PreferenceProperty &property : preferenceProperties) {
        auto *box = popover.findChild<QCheckBox *>(QString(property.key));
        ASSERT_NE(box, nullptr) << property.key.data();
        const Preferences before = popover.preferences();
        Preferences expected = before;
        expected.*property.member = !(before.*property.member);

        reported.clear();
        box->click();
        ASSERT_EQ(reported.size(), 1u) << property.key.data();
        EXPECT_EQ(reported[0], expected) << property.key.data() << " reported, and no other";
    }

    reported.clear();
    Preferences all;
    for (const PreferenceProperty &property : preferenceProperties)
        all.*property.member = true;
    popover.setPreferences(all);
    EXPECT_EQ(popover.preferences(), all);
    EXPECT_TRUE(reported.empty()) << "setting the boxes is no change of the user's";
}

TEST_F(PreferencesPopoverTest, WindowAndLinkSettingsAreLoadedAtEachShowAndWrittenWhenChanged)
{
    store.setValue(rememberPreferenceShouldKeepMainWindowOnTop, true);
    store.setValue(kOrvikURLRichTextFontSize, QStringLiteral("18")); // as an INI file gives it back
    popover.showBelow(nullptr);
    auto *onTop = popover.findChild<QCheckBox *>(QString(rememberPreferenceShouldKeepMainWindowOnTop));
    auto *size = popover.findChild<QDoubleSpinBox *>(QString(kOrvikURLRichTextFontSize));
    ASSERT_TRUE(onTop && size);
    EXPECT_TRUE(onTop->isChecked());
    EXPECT_EQ(size->value(), 18.0);
    EXPECT_EQ(store.synchronizeCount(), 0) << "showing is no change";
    EXPECT_FALSE(store.contains(kOrvikURLRichTextFontName));

    onTop->click();
    EXPECT_FALSE(store.boolForKey(rememberPreferenceShouldKeepMainWindowOnTop));
    EXPECT_TRUE(store.contains(rememberPreferenceShouldKeepMainWindowOnTop));
    size->setValue(100);
    EXPECT_EQ(store.doubleForKey(kOrvikURLRichTextFontSize), 72.0) << "held to the box's range";
    EXPECT_EQ(store.synchronizeCount(), 2);
    EXPECT_TRUE(reported.empty()) << "these are not among the reported preferences";

    popover.hide();
    store.setValue(rememberPreferenceShouldKeepMainWindowOnTop, true);
    popover.showBelow(nullptr);
    EXPECT_TRUE(onTop->isChecked()) << "changed elsewhere while hidden";
}

class VoicePopoverTest : public testing::WidgetTest, protected testing::VoiceRig {
protected:
    VoicePopoverTest()
    {
        defaults.registerDefaults(registeredDefaults());
        service.voices.emplace(
            QStringLiteral("de"), VoiceAttributes{QStringLiteral("German"), QStringLiteral("de_DE"), 35, false});
        catalogue.prepareVoices(loop);
        loop.reloadSpeechSynthesizer();
        QObject::connect(&popover, &VoicePopover::voiceChanged, [this] { ++changes; });
    }

    template<typename T> T *control(const char *name) { return popover.findChild<T *>(QLatin1String(name)); }
    QComboBox *voices() { return control<QComboBox>("popupButtonTTSVoiceList"); }
    QSlider *slider() { return control<QSlider>("ttsSpeedSlider"); }
    QString speedLabel() { return control<QLabel>("ttsSpeedLabel")->text(); }
    int indexOf(const char *identifier) { return voices()->findData(QString::fromLatin1(identifier)); }

    VoicePopover popover{catalogue, loop};
    int changes = 0;
};

TEST_F(VoicePopoverTest, PicksWaitForApplyWhichStoresAndSpeaksThemAndResetForgetsThem)
{
    defaults.setValue(kNarrataTTSVoiceSelected, QStringLiteral("en-us"));
    defaults.setValue(kNarrataTTSVoiceRate, 200.0);
    QWidget statusBar;
    statusBar.setGeometry(100, 300, 300, 40);
    statusBar.show();
    popover.showAbove(&statusBar);
    EXPECT_EQ(popover.frameGeometry().bottom() + 1, 300) << "right above its button";
    EXPECT_EQ(popover.x(), 100);
    ASSERT_EQ(voices()->count(), 2) << "English adults only";
    EXPECT_EQ(voices()->currentData().toString(), QStringLiteral("en-us"));
    EXPECT_EQ(slider()->value(), 200);

    // Picks are neither heard nor stored before Apply, and the next showing forgets them.
    const int created = service.created;
    voices()->setCurrentIndex(indexOf("en"));
    slider()->setValue(260);
    EXPECT_EQ(speedLabel(), QStringLiteral("260 wpm"));
    EXPECT_EQ(service.created, created);
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("en-us"));
    EXPECT_EQ(defaults.doubleForKey(kNarrataTTSVoiceRate), 200.0);
    popover.hide();
    popover.showAbove(nullptr);
    EXPECT_EQ(voices()->currentData().toString(), QStringLiteral("en-us"));
    EXPECT_EQ(slider()->value(), 200);
    EXPECT_EQ(changes, 0);

    voices()->setCurrentIndex(indexOf("en"));
    slider()->setValue(260);
    control<QPushButton>("buttonApply")->click();
    EXPECT_FALSE(popover.isVisible());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(defaults.stringForKey(kNarrataTTSVoiceSelected), QStringLiteral("en"));
    EXPECT_EQ(defaults.doubleForKey(kNarrataTTSVoiceRate), 260.0);
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en"));
    EXPECT_EQ(service.latest->rate(), 260.0f);

    // The filter box rebuilds the menu around the stored voice.
    popover.showAbove(nullptr);
    EXPECT_EQ(slider()->value(), 260);
    auto *englishOnly = control<QCheckBox>("showOnlyEnglishAdultVoices");
    ASSERT_TRUE(englishOnly->isChecked());
    englishOnly->click();
    EXPECT_EQ(voices()->count(), 3);
    EXPECT_EQ(voices()->currentData().toString(), QStringLiteral("en"));
    EXPECT_EQ(catalogue.selectedIndex(), voices()->currentIndex()) << "the menu and the catalogue agree";
    EXPECT_FALSE(defaults.boolForKey(userPrefShowOnlyEnglishAdultVoices));

    control<QPushButton>("buttonReset")->click();
    EXPECT_FALSE(popover.isVisible());
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceSelected));
    EXPECT_FALSE(defaults.contains(kNarrataTTSVoiceRate));
    EXPECT_EQ(service.latest->voice(), QStringLiteral("en-us"));
    EXPECT_EQ(service.latest->rate(), 175.0f);
}

TEST(HelpPopover, OpensNextToItsButtonOnScreenAndReadsItsTextAtEveryShow)
{
    testing::widgetApp();
    QWidget bar;
    bar.setGeometry(100, 200, 300, 40);
    auto *button = new QPushButton(QStringLiteral("?"), &bar);
    button->setGeometry(10, 5, 30, 20);
    bar.show();

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("help.html"));
    HelpPopover help(path);
    help.showBelow(button);
    EXPECT_EQ(help.pos(), button->mapToGlobal(QPoint(0, button->height())));
    auto *label = help.findChild<QLabel *>(QStringLiteral("labelHelpPopoverText"));
    EXPECT_EQ(label->text(), QStringLiteral("Help is not available."));

    MemoryDefaultsStore store;
    PreferencesPopover preferences(store);
    preferences.showBelow(button);
    // Right under the button; some platforms add a thin frame of their own.
    EXPECT_GE(preferences.frameGeometry().top(), 225);
    EXPECT_LE(preferences.frameGeometry().top(), 228);

    ASSERT_TRUE(testing::writeBytes(path, QStringLiteral("<p>Press <b>Space</b> to pause — or resume.</p>").toUtf8()));
    const QRect screen = button->screen()->availableGeometry();
    bar.move(screen.right() - 40, screen.bottom() - 30);
    help.hide();
    help.showBelow(button);
    EXPECT_TRUE(screen.contains(help.frameGeometry())) << "pulled back from the corner";
    EXPECT_EQ(label->text(), QStringLiteral("<p>Press <b>Space</b> to pause — or resume.</p>"));
}

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

TEST_F(WordMappingsEditorTest, WithoutAFileNoneIsCreatedAndAClosedDownEditorLetsTheFileGo)
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

    {
        WordMappingsEditor other(file);
        other.menuClickedEditCustomPronunciations();
        other.findChild<QPlainTextEdit *>()->setPlainText(QStringLiteral("gone:\nsoon\n"));
        ASSERT_TRUE(file.contents().has_value());
    }
    EXPECT_EQ(file.contents(), std::nullopt) << "a closed-down editor no longer speaks for the file";
}

} // namespace
} // namespace narrata
