// make-fuzz-seeds DIR
// Writes a starting corpus for each fuzz target into DIR/<target>/: the sample documents and
// small pages of the test fixtures, the word mappings template, and a settings file written
// by the store itself.

#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/ignoredfonts.h"
#include "settings/recentdocuments.h"
#include "settings/registereddefaults.h"
#include "speech/readingprogress.h"
#include "speech/wordmappings.h"
#include "support/pdffixture.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace narrata;
using namespace narrata::testing;

namespace {

bool write(const QDir &folder, const QString &name, const QByteArray &bytes)
{
    if (bytes.isEmpty() || !writeBytes(folder.filePath(name), bytes)) {
        std::fprintf(stderr, "make-fuzz-seeds: cannot write %s\n", qPrintable(folder.filePath(name)));
        return false;
    }
    return true;
}

bool writePdfSeeds(const QDir &folder)
{
    FixturePage rotated = textPage({QStringLiteral("A page turned on its side."), QString(),
        QStringLiteral("It is cropped, too: part of it is out of sight.")});
    rotated.rotate = 90;
    rotated.cropBox = QRectF(36, 300, 500, 460);

    FixturePage code = textPage({QStringLiteral("Some prose, then code:"), QStringLiteral("int main() { return 0; }"),
                                    QStringLiteral("for (;;) break;")},
        720, 72, 12, QStringLiteral("Courier"), 9);
    FixturePage accents = textPage({QStringLiteral("Pr\u00B4eface and r\u00B4esum\u00B4e, na\u00A8\u0131ve."),
        QStringLiteral("Ligatures: \uFB01sh, \uFB02ow, o\uFB00er. Dr. Smith met Mr. Jones at 3 p.m. \u2014 yes.")});
    for (FixtureText &text : accents.texts)
        text.overstrikeAccents = true;
    FixturePage foreign = textPage({QStringLiteral("\u0417\u0434\u0440\u0430\u0432\u0441\u0442\u0432\u0443\u0439. "
                                                   "\u4F60\u597D\u3002 \u05E9\u05DC\u05D5\u05DD."),
        QStringLiteral("12"), QStringLiteral("- xii -")});

    PdfFixture small;
    small.addPage(rotated).addPage(code).addPage(accents).addPage(foreign);

    PdfFixture numbered;
    for (int page = 1; page <= 3; ++page)
        numbered.addPage(textPage({QStringLiteral("SELECTING FONTS %1").arg(page), QString(),
            QStringLiteral("Body text of page %1. It goes on for a while.").arg(page), QString(), QString(),
            QString::number(page)}));

    const QString owner = QString::fromLatin1(sampleBookOwnerPassword);
    return write(folder, QStringLiteral("book.pdf"), sampleBook().bytes())
        && write(folder, QStringLiteral("two-column.pdf"), sampleTwoColumnArticle().bytes())
        && write(folder, QStringLiteral("small-pages.pdf"), small.bytes())
        && write(folder, QStringLiteral("numbered-heads.pdf"), numbered.bytes())
        && write(folder, QStringLiteral("encrypted-no-password.pdf"),
            PdfFixture().addPage(code).encryptedBytes(QString(), owner));
}

bool writeWordMappingsSeeds(const QDir &folder)
{
    initSpeechResources();
    QFile resource(wordMappingsTemplateResource());
    if (!resource.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make-fuzz-seeds: cannot read the word mappings template\n");
        return false;
    }
    return write(folder, QStringLiteral("template.txt"), resource.readAll())
        && write(folder, QStringLiteral("entries.txt"),
            QByteArrayLiteral("GUI:\ngooey\nSQL:\nsequel\nskip:\n\nchain:\nlink:\nend\r\nNarrata:\nme\n"));
}

bool writeSettingsSeed(const QDir &folder)
{
    const QString path = folder.filePath(QStringLiteral("Narrata.conf"));
    QFile::remove(path);
    QSettingsDefaultsStore store(path);
    store.registerDefaults(registeredDefaults());
    store.setValue(settingskeys::userPreferenceUseFastSkipMode, true);
    store.setValue(settingskeys::kNarrataTTSVoiceSelected, QStringLiteral("en-us"));
    store.setValue(settingskeys::kNarrataTTSVoiceRate, 180.5);
    store.setValue(settingskeys::numSentencesCompleted, 42);
    RecentDocuments(store).noteNewRecentDocument(QStringLiteral("/home/reader/Books/book.pdf"));
    IgnoredFonts fonts(store);
    fonts.load(QStringLiteral("book.pdf"));
    fonts.add(QStringLiteral("Courier 9.0 pt"));
    ReadingProgress progress(store);
    progress.setDocumentFileName(QStringLiteral("book.pdf"));
    progress.saveSentencesReadProgress(SentenceRecord{QStringLiteral("A first sentence."), TextRange{0, 17}, 0});
    progress.saveSentencesReadProgress(
        SentenceRecord{QStringLiteral("\u00C9t\u00E9 \"quoted\"."), TextRange{120, 13}, 2});
    progress.setDocumentFileName(QStringLiteral("other [1]=x.pdf"));
    progress.saveSentencesReadProgress(SentenceRecord{QStringLiteral("Elsewhere."), TextRange{5, 10}, 1});
    if (!store.synchronize() || !QFile::exists(path)) {
        std::fprintf(stderr, "make-fuzz-seeds: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fputs("usage: make-fuzz-seeds DIR\n", stderr);
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (const char *target : {"fuzz_pdf", "fuzz_wordmappings", "fuzz_settings"}) {
        if (!root.mkpath(QString::fromLatin1(target))) {
            std::fprintf(stderr, "make-fuzz-seeds: cannot create %s/%s\n", argv[1], target);
            return 1;
        }
    }
    const bool written = writePdfSeeds(QDir(root.filePath(QStringLiteral("fuzz_pdf"))))
        && writeWordMappingsSeeds(QDir(root.filePath(QStringLiteral("fuzz_wordmappings"))))
        && writeSettingsSeed(QDir(root.filePath(QStringLiteral("fuzz_settings"))));
    return written ? 0 : 1;
}
