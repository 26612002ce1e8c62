// Opening, refusing and loading documents, ignored fonts, the watched folder, preferences and
// help, through the application's state with a fake window and view.
#include "delegaterig.h"

#include "settings/registereddefaults.h"

#include "support/qtprinters.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>

namespace narrata {
namespace {

using testing::DelegateTest;
using testing::sampleBook;

using DelegateSectionsTest = DelegateTest;

TEST_F(DelegateSectionsTest, WithoutTheUserGuideTheWindowWaitsForADocumentSayingHow)
{
    ASSERT_TRUE(QFile::remove(guidePath));
    documents().resetToNoDocumentState();
    EXPECT_EQ(window.title, QStringLiteral("Narrata"));
    EXPECT_EQ(documents().pdfDocument(), nullptr);
    EXPECT_EQ(view.document(), nullptr);
    EXPECT_EQ(window.pageLabel, QStringLiteral("Open a PDF, or Print a PDF into this app."));
    EXPECT_TRUE(desktop.warnings.empty()) << "a missing guide is nothing the user did";
}

TEST_F(DelegateSectionsTest, FilesFromTheTemporaryFolderCountAsPrintedForTheRecentList)
{
    // The fixture's files are all in the temporary folder, where printed documents arrive.
    const QString path = writeFile(QStringLiteral("printed.pdf"), sampleBook().bytes());
    EXPECT_TRUE(documents().openFileInternal(path));
    EXPECT_EQ(window.title, QStringLiteral("printed.pdf"));
    EXPECT_EQ(window.represented, QUrl::fromLocalFile(path));
    EXPECT_TRUE(delegate->recentDocuments().paths().isEmpty());

    Preferences preferences = delegate->preferences();
    preferences.userPreferenceShouldAddPrintedPDFsToRecentlyOpenedList = true;
    delegate->setPreferences(preferences);
    EXPECT_TRUE(documents().openFileInternal(path));
    documents().resetToDefaultPDF();
    EXPECT_EQ(delegate->recentDocuments().paths(), QStringList{path}); // never the user guide
}

TEST_F(DelegateSectionsTest, LockedAndEncryptedFilesAreRefusedAndTheDocumentShownStays)
{
    const QString locked = writeFile(
        QStringLiteral("locked.pdf"), sampleBook().encryptedBytes(QStringLiteral("secret"), QStringLiteral("owner")));
    const QString encrypted
        = writeFile(QStringLiteral("encrypted.pdf"), sampleBook().encryptedBytes(QString(), QStringLiteral("owner")));

    EXPECT_FALSE(documents().openFileInternal(locked));
    EXPECT_FALSE(documents().openFileInternal(encrypted));
    // From the watched folder too: a refused file never costs the document being read.
    delegate->watchedFolder().watchedFileRequested({QUrl::fromLocalFile(locked), QDateTime::currentDateTimeUtc()});
    ASSERT_EQ(desktop.warnings.size(), 3u);
    EXPECT_EQ(desktop.warnings[0].messageText, QStringLiteral("\"locked.pdf\" is Locked"));
    EXPECT_EQ(desktop.warnings[0].informativeText,
        QStringLiteral("Unfortunately, Narrata is unable to work with locked PDFs."));
    EXPECT_EQ(desktop.warnings[1].messageText, QStringLiteral("\"encrypted.pdf\" is Encrypted"));
    EXPECT_EQ(desktop.warnings[1].informativeText,
        QStringLiteral("Unfortunately, Narrata is unable to work with encrypted PDFs."));
    EXPECT_EQ(desktop.warnings[2].messageText, QStringLiteral("\"locked.pdf\" is Locked"));
    EXPECT_EQ(desktop.beeps, 3);

    EXPECT_EQ(window.title, QStringLiteral("Narrata User Guide.pdf"));
    EXPECT_NE(view.document(), nullptr);
    EXPECT_TRUE(delegate->recentDocuments().paths().isEmpty());
}

TEST_F(DelegateSectionsTest, AFileThatCannotBeReadIsReportedAndCostsNothing)
{
    const QString damaged = writeFile(QStringLiteral("damaged.pdf"), QByteArray("%PDF-1.7\nnot really"));
    EXPECT_FALSE(documents().openFileInternal(damaged));
    documents().loadPDF(QUrl::fromLocalFile(folder.filePath(QStringLiteral("gone.pdf"))));
    ASSERT_EQ(desktop.warnings.size(), 2u);
    EXPECT_EQ(desktop.warnings[0].messageText, QStringLiteral("\"damaged.pdf\" could not be opened"));
    EXPECT_EQ(desktop.warnings[1].informativeText, QStringLiteral("Unfortunately, Narrata could not find this file."));
    EXPECT_EQ(window.title, QStringLiteral("Narrata User Guide.pdf"));
    EXPECT_EQ(view.document()->pageCount(), 6);
}

TEST_F(DelegateSectionsTest, TheSelectionsFontIsIgnoredByFileNameAndComesBackWithTheDocument)
{
    const auto selectHead = [this] { view.selection = view.document()->pageAtIndex(0)->selectionForRange({0, 5}); };
    selectHead();
    const QString label = prettyFontString(*view.currentSelectionFont());
    delegate->menuCommandAddFontToIgnoreList();
    const QVariantMap stored = defaults.mapForKey(settingskeys::ignoredFontsByPDF);
    EXPECT_EQ(stored.value(QStringLiteral("Narrata User Guide.pdf")).toMap().keys(), QStringList{label});

    documents().loadPDF(QUrl::fromLocalFile(writeFile(QStringLiteral("other.pdf"), sampleBook().bytes())));
    EXPECT_TRUE(delegate->ignoredFonts().labels().isEmpty());
    documents().resetToDefaultPDF();
    EXPECT_EQ(delegate->ignoredFonts().labels(), QStringList{label});
    selectHead();
    delegate->menuCommandRemoveFontFromIgnoreList();
    EXPECT_TRUE(delegate->ignoredFonts().labels().isEmpty());
    EXPECT_TRUE(defaults.mapForKey(settingskeys::ignoredFontsByPDF)
                    .value(QStringLiteral("Narrata User Guide.pdf"))
                    .toMap()
                    .isEmpty());

    // A document without a file of its own stores nothing, not even under the one before it.
    Preferences unsaved = delegate->preferences();
    unsaved.userPreferenceShouldAutomaticallySavePDFPacks = false;
    delegate->setPreferences(unsaved);
    documents().processIncomingPDF(pdfService.openData(sampleBook().bytes()), false, {});
    EXPECT_EQ(window.title, QStringLiteral("PDF Pack (unsaved)"));
    selectHead();
    delegate->menuCommandAddFontToIgnoreList();
    EXPECT_EQ(delegate->ignoredFonts().labels(), QStringList{label});
    EXPECT_TRUE(defaults.mapForKey(settingskeys::ignoredFontsByPDF)
                    .value(QStringLiteral("Narrata User Guide.pdf"))
                    .toMap()
                    .isEmpty());
}

TEST_F(DelegateSectionsTest, TheWatchedFolderOffersItsFiveNewestPdfsAndLoadsTheOneChosen)
{
    QTemporaryDir watched;
    const QDateTime base = QDateTime::currentDateTimeUtc().addDays(-1);
    for (int i = 0; i < 7; ++i) {
        const QString path = watched.filePath(QStringLiteral("paper %1.pdf").arg(i));
        sampleBook().writeTo(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(base.addSecs(60 * i), QFileDevice::FileModificationTime);
    }
    desktop.folderToChoose = watched.path();
    delegate->watchedFolder().menuCommandSetWatchedFolder();
    EXPECT_EQ(defaults.stringForKey(settingskeys::watchedFolder), QUrl::fromLocalFile(watched.path()).toString());

    QSignalSpy scanned(&delegate->watchedFolder(), &WatchedFolderCommands::watchedFolderScanned);
    delegate->watchedFolder().buttonClickedShowRecentFilesInWatchedFolder();
    EXPECT_TRUE(delegate->watchedFolder().isScanningWatchedFolder());
    ASSERT_TRUE(scanned.wait(5000));
    EXPECT_FALSE(delegate->watchedFolder().isScanningWatchedFolder());
    QStringList names;
    for (const RecentFileEntry &entry : window.poppedUp)
        names.append(QFileInfo(entry.URL.toLocalFile()).completeBaseName());
    EXPECT_EQ(names,
        (QStringList{QStringLiteral("paper 6"), QStringLiteral("paper 5"), QStringLiteral("paper 4"),
            QStringLiteral("paper 3"), QStringLiteral("paper 2")}));
    window.choose(window.poppedUp.at(1));
    EXPECT_EQ(window.title, QStringLiteral("paper 5.pdf"));
}

TEST_F(DelegateSectionsTest, LosingFocusStoresTheCountAndThePreferences)
{
    Preferences preferences = delegate->preferences();
    preferences.userPreferenceUseFastSkipMode = true;
    preferences.userPrefShouldSortOrderOfSentencesVisually = true;
    delegate->setPreferences(preferences);
    delegate->speakingLoop().numSentencesCompleted = 7;
    delegate->applicationDidResignActive();
    EXPECT_EQ(defaults.integerForKey(settingskeys::numSentencesCompleted), 7);
    EXPECT_TRUE(defaults.boolForKey(settingskeys::userPreferenceUseFastSkipMode));
    EXPECT_TRUE(defaults.boolForKey(settingskeys::userPrefShouldSortOrderOfSentencesVisually));
}

TEST_F(DelegateSectionsTest, APlaceThatCannotBeStoredIsReportedOnce)
{
    defaults.setSynchronizeResult(false); // a settings folder that cannot be written
    view.selection = view.document()->pageAtIndex(0)->selectionForRange({30, 5});
    delegate->speakingLoop().loadSpeechSet({*delegate->pageContent().sentenceAtSelection(view.selection)});
    delegate->speakingLoop().loadSpeechSet(delegate->pageContent().sentencesFromPage(0));
    for (int i = 0; i < 3; ++i)
        speech.latest->finishUtterance();
    ASSERT_EQ(desktop.warnings.size(), 1u);
    EXPECT_EQ(desktop.warnings[0].messageText, QStringLiteral("Your place cannot be saved"));
}

TEST_F(DelegateSectionsTest, ADocumentOpensAgainAtTheSentenceLastHeardUnlessTheUserSaysNo)
{
    QSignalSpy jumped(&documents(), &ShownDocument::jumpedToLastPDF);
    // Each load goes to the document's top a moment later; a load's jump is dropped once
    // another document is shown.
    const auto waitForJumps = [&](qsizetype count) {
        for (QDeadlineTimer deadline(5000); jumped.size() < count && !deadline.hasExpired();)
            jumped.wait(500);
        ASSERT_EQ(jumped.size(), count);
        jumped.clear();
    };
    const QString path = writeFile(QStringLiteral("book.pdf"), sampleBook().bytes());
    ASSERT_TRUE(documents().openFileInternal(path));
    waitForJumps(1);
    const PDFSelection onPage3 = view.document()->pageAtIndex(2)->selectionForRange({40, 5});
    const SentenceRecord heard = *delegate->pageContent().sentenceAtSelection(onPage3);
    delegate->speakingLoop().loadSpeechSet({heard});
    speech.latest->finishUtterance();
    delegate->stopSpeaking();

    for (const bool reopens : {true, false}) {
        Preferences preferences = delegate->preferences();
        preferences.userPreferenceShouldReopenAtMostRecentSentence = reopens;
        delegate->setPreferences(preferences);
        documents().resetToDefaultPDF();
        view.selected.clear();
        ASSERT_TRUE(documents().openFileInternal(path));
        waitForJumps(1);
        if (reopens)
            EXPECT_TRUE(!view.selected.empty() && view.selected.back() == heard);
        else
            EXPECT_TRUE(view.selected.empty());
    }
}

TEST_F(DelegateSectionsTest, TheHelpMenuLeadsToTheWebAndTheGuide)
{
    delegate->help().contactCustomerSupport();
    delegate->help().openPDFUserGuideInDefaultApp();
    delegate->help().menuCommandCheckForUpdates();
    ASSERT_EQ(desktop.openedURLs.size(), 3u);
    EXPECT_EQ(desktop.openedURLs[0].toString(QUrl::FullyEncoded),
        QStringLiteral("mailto:support@narrata.app?subject=Help%20Using%20Narrata%200.1.0%20(Direct)"));
    EXPECT_EQ(desktop.openedURLs[1], QUrl::fromLocalFile(guidePath));
    EXPECT_EQ(desktop.information.size(), 1u);
}

} // namespace
} // namespace narrata
