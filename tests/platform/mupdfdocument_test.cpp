// Opening, editing and writing documents through the MuPDF adapter.
#include "mupdffixtures.h"

#include <QFile>

namespace narrata {
namespace {

using testing::PdfFixture;
using testing::textPage;

PdfFixture threePages()
{
    PdfFixture fixture;
    for (const char *text : {"First page.", "Second page.", "Third page."})
        fixture.addPage(textPage({QString::fromLatin1(text)}));
    return fixture;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(MuPDFDocument, OpensFromFileOrBytesWithPagesThatKnowTheirIndexAndOutliveTheDocument)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("three.pdf"));
    ASSERT_TRUE(threePages().writeTo(path));
    const auto fromFile = MuPDFService().openFile(path);
    auto document = openFixture(threePages());
    ASSERT_TRUE(fromFile && document);
    EXPECT_EQ(fromFile->pageCount(), 3);
    EXPECT_EQ(fromFile->documentURL().toLocalFile(), path);
    EXPECT_TRUE(document->documentURL().isEmpty());
    EXPECT_EQ(fromFile->pageAtIndex(2)->string(), document->pageAtIndex(2)->string());

    const auto second = document->pageAtIndex(1);
    EXPECT_EQ(document->pageAtIndex(1), second) << "one object per page";
    EXPECT_EQ(document->indexForPage(*second), 1);
    EXPECT_EQ(document->pageAtIndex(3), nullptr);
    EXPECT_EQ(document->pageAtIndex(-1), nullptr);
    EXPECT_EQ(document->indexForPage(*fromFile->pageAtIndex(1)), -1) << "a page of another document";

    document.reset();
    EXPECT_EQ(second->string(), QStringLiteral("Second page.")) << "pages outlive their document";
    EXPECT_FALSE(second->renderRegion(second->boundsForBox(PDFDisplayBox::CropBox), 0.5).isNull());
}

TEST(MuPDFDocument, RefusesWhatIsNotAReadablePDF)
{
    QTemporaryDir dir;
    const std::vector<std::pair<const char *, QByteArray>> bad{
        {"empty", QByteArray()},
        {"text", QByteArray("Just some words, no PDF at all.\n")},
        {"header only", QByteArray("%PDF-1.7\n")},
        {"garbage after the header", QByteArray("%PDF-1.4\n") + QByteArray(5000, '\x9c')},
    };
    for (const auto &[name, bytes] : bad) {
        EXPECT_EQ(MuPDFService().openData(bytes), nullptr) << name;
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(testing::writeBytes(path, bytes));
        EXPECT_EQ(MuPDFService().openFile(path), nullptr) << name;
    }
    EXPECT_EQ(MuPDFService().openFile(dir.filePath(QStringLiteral("missing.pdf"))), nullptr);
    EXPECT_EQ(MuPDFService().openFile(dir.path()), nullptr) << "a folder";
}

TEST(MuPDFDocument, DamagedFilesNeverCrashWhateverIsLeftOfThem)
{
    const QByteArray good = testing::sampleBook().bytes();
    for (qsizetype cut = 64; cut < good.size(); cut += good.size() / 23) {
        QByteArray damaged = good;
        damaged[cut] = 'X';
        damaged.remove(cut / 2, 17);
        for (const QByteArray &bytes : {damaged, good.left(cut)}) {
            const auto document = MuPDFService().openData(bytes);
            if (!document)
                continue;
            for (int i = 0; i < document->pageCount(); ++i)
                if (const auto page = document->pageAtIndex(i))
                    (void)page->string();
        }
    }
}

TEST(MuPDFDocument, APageTreeThatClaimsBillionsOfPagesCostsNothing)
{
    // The lie that once ended every command with bad_alloc: a vector sized to the claim.
    QByteArray lying = testing::sampleBook().bytes();
    lying.replace("/Count 6", "/Count 2147483647");
    const auto document = MuPDFService().openData(lying);
    ASSERT_NE(document, nullptr);
    EXPECT_LT(document->pageCount(), 100) << "no more pages than the file has objects";
    EXPECT_NE(document->pageAtIndex(5), nullptr);
    EXPECT_EQ(document->pageAtIndex(document->pageCount() - 1), nullptr);
}

TEST(MuPDFDocument, PagesAreGivenUpOnceAllWorkIsAborted)
{
    // What Ctrl-C and a closing window do: a page that would take minutes is not waited for.
    // (Each test runs in a process of its own, so no other test sees the abort.)
    const auto document = MuPDFService().openData(testing::sampleBook().bytes());
    ASSERT_NE(document, nullptr);
    ASSERT_FALSE(document->pageAtIndex(0)->string().isEmpty());
    MuPDFService::abortAllWork();
    EXPECT_TRUE(document->pageAtIndex(1)->string().isEmpty());
    EXPECT_TRUE(document->pageAtIndex(1)->renderRegion({0, 0, 100, 100}, 1).isNull());
}

TEST(MuPDFDocument, EncryptionAndLocking)
{
    const PdfFixture book = testing::sampleBook();
    const auto encrypted = MuPDFService().openData(book.encryptedBytes(QString(), QStringLiteral("owner")));
    ASSERT_TRUE(encrypted);
    EXPECT_TRUE(encrypted->isEncrypted());
    EXPECT_FALSE(encrypted->isLocked());
    EXPECT_FALSE(encrypted->pageAtIndex(0)->string().isEmpty());

    const auto locked = MuPDFService().openData(book.encryptedBytes(QStringLiteral("secret"), QStringLiteral("owner")));
    ASSERT_TRUE(locked);
    EXPECT_TRUE(locked->isLocked());
    EXPECT_EQ(locked->pageAtIndex(0), nullptr) << "nothing is read before the password";
    EXPECT_FALSE(locked->outlineRoot().has_value());
    EXPECT_FALSE(locked->unlockWithPassword(QStringLiteral("wrong")));
    EXPECT_TRUE(locked->isLocked());
    EXPECT_TRUE(locked->unlockWithPassword(QStringLiteral("secret")));
    EXPECT_FALSE(locked->isLocked());
    EXPECT_EQ(locked->pageAtIndex(0)->string(), encrypted->pageAtIndex(0)->string());
    EXPECT_FALSE(locked->copy()->isLocked()) << "a copy of an unlocked document is unlocked";
}

TEST(MuPDFDocument, InsertedPagesComeFromTheOtherDocumentAndShiftTheRest)
{
    const auto document = openFixture(threePages());
    const auto donor = openLines({QStringLiteral("A page from elsewhere.")});
    const auto oldSecond = document->pageAtIndex(1);

    ASSERT_TRUE(document->insertPage(*donor->pageAtIndex(0), 1));
    EXPECT_EQ(document->pageCount(), 4);
    EXPECT_EQ(document->pageAtIndex(1)->string(), QStringLiteral("A page from elsewhere."));
    EXPECT_EQ(document->pageAtIndex(2)->string(), QStringLiteral("Second page."));
    EXPECT_EQ(document->indexForPage(*oldSecond), 2);
    EXPECT_FALSE(document->insertPage(*donor->pageAtIndex(0), 9));

    ASSERT_TRUE(document->insertPage(*donor->pageAtIndex(0), 4));
    EXPECT_EQ(document->pageAtIndex(4)->string(), QStringLiteral("A page from elsewhere."));
    donor.get()->removePageAtIndex(0);
    EXPECT_EQ(document->pageAtIndex(4)->string(), QStringLiteral("A page from elsewhere."))
        << "the inserted page does not depend on its source";
}

TEST(MuPDFDocument, ACopyIsIndependentKeepsItsFileNameAndShowsTheDocumentAsItIsNow)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("three.pdf"));
    ASSERT_TRUE(threePages().writeTo(path));
    const auto original = MuPDFService().openFile(path);
    const auto replaced = MuPDFService().openFile(path);
    ASSERT_TRUE(original && replaced);
    const auto copy = original->copy();
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->documentURL().toLocalFile(), path);
    ASSERT_TRUE(copy->removePageAtIndex(0));
    ASSERT_TRUE(copy->pageAtIndex(0)->addAnnotation(
        PDFAnnotation::markup(PDFMarkupType::Highlight, {QRectF(72, 700, 100, 14)}, AnnotationColor{255, 255, 0})));
    EXPECT_EQ(original->pageCount(), 3);
    EXPECT_EQ(original->pageAtIndex(1)->annotations().size(), 0u);
    EXPECT_EQ(copy->pageCount(), 2);

    // Changed in memory: the copy has the change, not the file's pages.
    ASSERT_TRUE(original->removePageAtIndex(0));
    const auto edited = original->copy();
    EXPECT_EQ(edited->pageCount(), 2);
    EXPECT_EQ(edited->documentURL().toLocalFile(), path);

    // Changed on disk since it was opened: the copy is of what was opened.
    ASSERT_TRUE(PdfFixture().addPage(textPage({QStringLiteral("Something else entirely.")})).writeTo(path));
    EXPECT_EQ(replaced->copy()->pageCount(), 3);
}

PDFOutline sampleOutline()
{
    PDFOutline root;
    PDFOutline chapter{QStringLiteral("Chapter One — «Beginnings»"), {0, QPointF(72, 700)}, {}};
    chapter.insertChild({QStringLiteral("Section 1.1"), {1, QPointF(0, 400)}, {}}, 0);
    chapter.insertChild({QStringLiteral("Section 1.2"), {1, QPointF(0, 200)}, {}}, 1);
    root.insertChild(chapter, 0);
    root.insertChild({QStringLiteral("Appendix"), {2, QPointF(10, 792)}, {}}, 1);
    return root;
}

TEST(MuPDFDocument, WrittenFilesKeepOutlineAndMarksAndAFailedWriteChangesNothing)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("written.pdf"));
    const auto document = openFixture(threePages());
    ASSERT_TRUE(document->setOutlineRoot(sampleOutline()));
    const auto marked = document->pageAtIndex(1)->addAnnotation(
        PDFAnnotation::markup(PDFMarkupType::Underline, {QRectF(72, 716, 80, 12)}, AnnotationColor{255, 0, 0}));
    ASSERT_TRUE(marked);
    ASSERT_TRUE(document->writeToFile(path));
    EXPECT_EQ(document->documentURL().toLocalFile(), path);

    const auto reopened = MuPDFService().openFile(path);
    ASSERT_TRUE(reopened);
    EXPECT_EQ(reopened->outlineRoot(), sampleOutline());
    const auto marks = reopened->pageAtIndex(1)->annotations();
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].markupType, PDFMarkupType::Underline);
    EXPECT_EQ(marks[0].color, (AnnotationColor{255, 0, 0}));
    EXPECT_NEAR(marks[0].bounds.left(), 72, 0.01);
    EXPECT_NEAR(marks[0].bounds.width(), 80, 0.01);
    EXPECT_NEAR(marks[0].bounds.y(), 716, 0.01);

    ASSERT_TRUE(reopened->setOutlineRoot(PDFOutline{}));
    EXPECT_FALSE(MuPDFService().openData(reopened->dataRepresentation())->outlineRoot().has_value());

    // A write that fails leaves the file, and the name the document goes by, as they were.
    const QByteArray written = contents(path);
    EXPECT_FALSE(document->writeToFile(dir.filePath(QStringLiteral("no/such/folder/file.pdf"))));
    EXPECT_FALSE(document->writeToFile(dir.path())) << "a folder is not replaced";
    EXPECT_EQ(contents(path), written);
    EXPECT_EQ(document->documentURL().toLocalFile(), path);
}

} // namespace
} // namespace narrata
