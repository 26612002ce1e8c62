// Gathering PDFs into packs, saving them as they grow, closing them, and the outline menu,
// through the application's state with a fake window and view.
#include "delegaterig.h"

#include "documents/autosavename.h"

#include "support/qtprinters.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSignalSpy>
#include <QTimeZone>

#include <csignal>

#include <sys/resource.h>

namespace narrata {
namespace {

using testing::DelegateTest;
using testing::numberedPages;

class PacksTest : public DelegateTest {
protected:
    PacksTest() { setPreferences(true, false); }

    void setPreferences(bool append, bool autosave)
    {
        Preferences preferences = delegate->preferences();
        preferences.userPreferenceShouldAppendPDFs = append;
        preferences.userPreferenceShouldAutomaticallySavePDFPacks = autosave;
        delegate->setPreferences(preferences);
    }
    bool open(const QString &name, int pageCount)
    {
        return documents().openFileInternal(writeFile(name, numberedPages(pageCount, name)));
    }
    QStringList entries() const
    {
        QStringList list;
        for (const PackEntry &entry : delegate->documents().listOfPDFDocs())
            list.append(QStringLiteral("%1@%2%3")
                            .arg(entry.filename)
                            .arg(entry.pageOffset)
                            .arg(entry.URL.isEmpty() ? "" : "f"));
        return list;
    }
    // Waits for the writes under way to be reported.
    void waitForWrites()
    {
        QSignalSpy finished(&delegate->saving(), &DocumentSaving::writeFinished);
        while (delegate->saving().isSavingPDFToDisk())
            ASSERT_TRUE(finished.wait(10000));
    }
    QString packFolder() const { return QDir(supportPath()).filePath(QStringLiteral("Autosaved PDF Packs")); }
    int pagesIn(const QString &path) const
    {
        const std::unique_ptr<PDFDocument> document = pdfService.openFile(path);
        return document ? document->pageCount() : -1;
    }
};

TEST_F(PacksTest, PDFsReplaceOrJoinTheOneShownAsTheUserChose)
{
    setPreferences(false, false);
    ASSERT_TRUE(open(QStringLiteral("A.pdf"), 10));
    ASSERT_TRUE(open(QStringLiteral("B.pdf"), 3));
    EXPECT_EQ(entries(), QStringList{"B@0f"});
    EXPECT_EQ(window.title, QStringLiteral("B.pdf"));

    // Appending, yet the first PDF replaces the user guide instead of joining it.
    setPreferences(true, false);
    documents().resetPDFPackDisplay();
    ASSERT_TRUE(open(QStringLiteral("A.pdf"), 10));
    EXPECT_EQ(entries(), QStringList{"A@0f"});
    const PDFSelection start = view.document()->pageAtIndex(0)->selectionForRange({0, 5});
    delegate->speakingLoop().loadSpeechSet({*delegate->pageContent().sentenceAtSelection(start)});
    speech.latest->finishUtterance();
    EXPECT_TRUE(delegate->validateMenuItem(u"menuCommandGoToMostRecentSentenceRead").enabled);
    QSignalSpy jumped(&documents(), &ShownDocument::jumpedToLastPDF);
    ASSERT_TRUE(open(QStringLiteral("B.pdf"), 3));
    EXPECT_EQ(entries(), (QStringList{"A@0f", "B@10f"}));
    // The pack's pages are not A's: A's places do not apply, and none are stored for it.
    EXPECT_FALSE(delegate->validateMenuItem(u"menuCommandGoToMostRecentSentenceRead").enabled);
    EXPECT_EQ(documents().pdfDocument()->pageCount(), 13);
    EXPECT_EQ(view.document()->pageCount(), 13);
    EXPECT_EQ(window.title, QStringLiteral("PDF Pack (unsaved)"));
    EXPECT_TRUE(window.represented.isEmpty());
    // The view goes to the newcomer's first page once it has had time to show it.
    // Earlier loads' jumps come first.
    for (QDeadlineTimer deadline(5000); view.page != 10 && !deadline.hasExpired();)
        jumped.wait(500);
    EXPECT_EQ(view.page, 10);

    // A PDF without a file joins under the name it came with.
    documents().processIncomingPDF(pdfService.openData(numberedPages(2, "N")), false, {{}, QStringLiteral("Notes")});
    EXPECT_EQ(entries(), (QStringList{"A@0f", "B@10f", "Notes@13"}));
    EXPECT_FALSE(documents().processIncomingPDF(nullptr, false, {{}, QStringLiteral("Nothing")}));

    // With appending off it begins a pack of its own.
    setPreferences(false, false);
    documents().processIncomingPDF(pdfService.openData(numberedPages(2, "N")), false, {{}, QStringLiteral("Notes")});
    EXPECT_EQ(entries(), QStringList{"Notes@0"});
    EXPECT_EQ(window.title, QStringLiteral("PDF Pack (unsaved)"));

    // Closing the pack stops the reading and shows the guide.
    delegate->speakingLoop().loadSpeechSet(delegate->pageContent().sentencesFromPage(0));
    documents().resetPDFPackDisplay();
    EXPECT_FALSE(speech.latest->isSpeaking());
    EXPECT_EQ(entries(), QStringList{"Narrata User Guide@0f"});
    EXPECT_EQ(window.title, QStringLiteral("Narrata User Guide.pdf"));
}

TEST_F(PacksTest, APackIsSavedIntoOneFileAsItGrowsAndNeverOverAnEarlierPack)
{
    setPreferences(true, true);
    ASSERT_TRUE(open(QStringLiteral("A.pdf"), 4));
    ASSERT_TRUE(open(QStringLiteral("B.pdf"), 3));
    EXPECT_EQ(window.title, QStringLiteral("PDF Pack (saving to disk...)"));
    // Two quick appends: the writes are made in turn and the file ends with the whole pack.
    ASSERT_TRUE(open(QStringLiteral("C.pdf"), 2));
    waitForWrites();
    const QString packPath = documents().autosavePDFDocumentURL().toLocalFile();
    EXPECT_EQ(QFileInfo(packPath).absolutePath(), packFolder());
    EXPECT_TRUE(QFileInfo(packPath).fileName().startsWith(QStringLiteral("PDF Pack ")));
    EXPECT_EQ(window.title, QFileInfo(packPath).fileName());
    EXPECT_EQ(window.represented, QUrl::fromLocalFile(packPath));
    EXPECT_EQ(delegate->recentDocuments().paths().value(0), packPath);
    EXPECT_EQ(pagesIn(packPath), 9);
    EXPECT_EQ(QDir(packFolder()).entryList(QDir::Files).size(), 1);
    const std::optional<PDFOutline> outline = pdfService.openFile(packPath)->outlineRoot();
    ASSERT_TRUE(outline);
    EXPECT_EQ(outline->numberOfChildren(), 3);

    // Marks re-save the pack into its file with its table of contents.
    const std::shared_ptr<PDFPage> first = view.document()->pageAtIndex(0);
    ASSERT_TRUE(first->addAnnotation(PDFAnnotation::markup(PDFMarkupType::Underline, {{72, 700, 50, 10}}, {})));
    delegate->savePDF();
    waitForWrites();
    const std::unique_ptr<PDFDocument> marked = pdfService.openFile(packPath);
    EXPECT_EQ(marked->pageAtIndex(0)->annotations().size(), 1u);
    ASSERT_TRUE(marked->outlineRoot());
    EXPECT_EQ(marked->outlineRoot()->numberOfChildren(), 3);

    // A document loaded on its own, then added to, is a new pack in a file of its own.
    documents().openChosenFile(QUrl::fromLocalFile(writeFile(QStringLiteral("D.pdf"), numberedPages(1, "D"))));
    ASSERT_TRUE(open(QStringLiteral("E.pdf"), 1));
    waitForWrites();
    EXPECT_NE(documents().autosavePDFDocumentURL().toLocalFile(), packPath);
    EXPECT_EQ(pagesIn(packPath), 9);
    EXPECT_EQ(pagesIn(documents().autosavePDFDocumentURL().toLocalFile()), 2);
    EXPECT_TRUE(desktop.warnings.empty());
}

TEST_F(PacksTest, AFailedWriteIsReportedAndLeavesTheFileThatWasThere)
{
    ASSERT_TRUE(open(QStringLiteral("A.pdf"), 40));
    const QString target = folder.filePath(QStringLiteral("kept.pdf"));
    ASSERT_TRUE(writeFile(QStringLiteral("kept.pdf"), numberedPages(1, "old")) == target);
    const QByteArray before = [&] {
        QFile file(target);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    // A disk that fills up halfway: files may not grow past a few bytes more than the old one.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(before.size() + 100);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    desktop.fileToSave = target;
    delegate->saving().savePDFAs();
    waitForWrites();
    setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_EQ(desktop.warnings.size(), 1u) << before.size() << " " << QFileInfo(target).size();
    EXPECT_EQ(desktop.warnings[0].messageText, QStringLiteral("Unable to save \"kept.pdf\""));
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("kept*")}, QDir::Files), QStringList{"kept.pdf"});
    EXPECT_EQ(window.title, QStringLiteral("A.pdf"));

    // Saving under a chosen name leaves the window as it was; the file is there all the same.
    desktop.fileToSave = folder.filePath(QStringLiteral("copy.pdf"));
    delegate->saving().savePDFAs();
    waitForWrites();
    EXPECT_EQ(pagesIn(desktop.fileToSave), 40);
    EXPECT_EQ(window.title, QStringLiteral("A.pdf"));
    EXPECT_EQ(desktop.savePanels.value(0), QStringLiteral("Save PDF|A.pdf"));
}

TEST_F(PacksTest, ReSavingKeepsPagesThatJoinedWhileItWrote)
{
    ASSERT_TRUE(open(QStringLiteral("A.pdf"), 3));
    delegate->saving().savePDF();
    ASSERT_TRUE(open(QStringLiteral("B.pdf"), 2)); // arrives before the write is reported
    waitForWrites();
    EXPECT_EQ(documents().pdfDocument()->pageCount(), 5);
    EXPECT_EQ(pagesIn(folder.filePath(QStringLiteral("A.pdf"))), 3);
}

TEST_F(PacksTest, TheOutlineMenuJumpsToTheTopOfAPDFOrToAnItemsPlace)
{
    ASSERT_TRUE(open(QStringLiteral("A.pdf"), 4));
    ASSERT_TRUE(open(QStringLiteral("B.pdf"), 3));
    delegate->showMenuPDFOutlines();
    ASSERT_EQ(window.outlineMenu.size(), 2u);
    EXPECT_EQ(window.outlineMenu[1].title, QStringLiteral("\u20225\u2022 B"));
    window.chooseOutline(*window.outlineMenu[1].entry);
    EXPECT_EQ(view.page, 4);
    const int beeps = desktop.beeps;
    delegate->outlineMenuFired({1, 99, QPointF(), QStringLiteral("Nowhere")});
    EXPECT_EQ(desktop.beeps, beeps + 1);
}

TEST_F(PacksTest, AutosavedPacksAreNamedByTheWeekBasedYearAndTheirFolderCanBeShown)
{
    const QTimeZone utc(QByteArrayLiteral("UTC"));
    EXPECT_EQ(autosavedPackFileName(QDateTime(QDate(2024, 3, 5), QTime(14, 15, 2), utc)),
        QStringLiteral("PDF Pack 20240305-141502.pdf"));
    EXPECT_EQ(autosavedPackFileName(QDateTime(QDate(2024, 12, 30), QTime(9, 0), utc)),
        QStringLiteral("PDF Pack 20251230-090000.pdf"));

    delegate->saving().showAutosavesDirectory();
    ASSERT_EQ(desktop.openedURLs.size(), 1u);
    EXPECT_TRUE(desktop.openedURLs[0].toLocalFile().endsWith(QStringLiteral("/data/Autosaved PDFs/")));
    setPreferences(true, true);
    ASSERT_TRUE(open(QStringLiteral("A.pdf"), 1));
    ASSERT_TRUE(open(QStringLiteral("B.pdf"), 1));
    waitForWrites();
    delegate->saving().showAutosavesDirectory();
    EXPECT_EQ(desktop.openedURLs.back().toLocalFile(), packFolder() + QLatin1Char('/'));
}

} // namespace
} // namespace narrata
