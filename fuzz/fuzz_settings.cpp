// Reads the fuzzer's bytes as the user's settings file: the store opens it, the preferences,
// the voice, the recent documents and the ignored fonts are read, and every reading position
// kept by PDF is unpacked; then one position is stored over the file's contents, as the reader
// stores it after each sentence.

#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/ignoredfonts.h"
#include "settings/recentdocuments.h"
#include "settings/registereddefaults.h"
#include "speech/readingprogress.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace narrata;

namespace {

const QString &settingsPath()
{
    static QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("Narrata.conf"));
    if (!folder.isValid()) {
        std::fprintf(stderr, "fuzz_settings: no temporary folder\n");
        std::abort();
    }
    return path;
}

void readProgressMap(const DefaultsStore &store, QLatin1String key, ReadingProgress &progress)
{
    const QVariantMap map = store.mapForKey(key);
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        (void)ReadingProgress::unarchived(it.value());
        (void)progress.mostRecentSentenceRead(it.key());
        (void)progress.furthestSentenceRead(it.key());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString &path = settingsPath();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size))
                != static_cast<qint64>(size)) {
            std::fprintf(stderr, "fuzz_settings: cannot write %s\n", qPrintable(path));
            std::abort();
        }
    }

    QSettingsDefaultsStore store(path);
    store.registerDefaults(registeredDefaults());
    (void)store.problem();
    (void)store.boolForKey(settingskeys::userPreferenceUseFastSkipMode);
    (void)store.boolForKey(settingskeys::userPreferenceSkipHeaderFooterAggressive);
    (void)store.stringForKey(settingskeys::kNarrataTTSVoiceSelected);
    (void)store.doubleForKey(settingskeys::kNarrataTTSVoiceRate);
    (void)store.integerForKey(settingskeys::numSentencesCompleted);
    (void)RecentDocuments(store).paths();
    IgnoredFonts ignoredFonts(store);
    for (const QString &fileName : store.mapForKey(settingskeys::ignoredFontsByPDF).keys())
        ignoredFonts.load(fileName);

    ReadingProgress progress(store);
    readProgressMap(store, settingskeys::mostRecentSentencesReadByPDF, progress);
    readProgressMap(store, settingskeys::furthestSentencesReadByPDF, progress);

    // Storing a position rewrites the file key by key over what it holds; a file the store
    // could not read is left alone.
    progress.setDocumentFileName(QStringLiteral("book.pdf"));
    progress.saveSentencesReadProgress(SentenceRecord{QStringLiteral("One."), TextRange{4, 4}, 1});
    return 0;
}
