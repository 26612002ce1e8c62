#include "readingrun.h"

#include "clierror.h"
#include "commandline.h"
#include "interruption.h"

#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/ignoredfonts.h"
#include "settings/preferences.h"
#include "settings/registereddefaults.h"
#include "speech/pagecontent.h"
#include "speech/speakingloop.h"
#include "speech/speechsetsmartener.h"
#include "speech/voicecatalogue.h"
#include "speech/wordmappingtextpath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <sys/stat.h>

#include <cmath>

namespace narrata::cli {

namespace {

constexpr int kInterruptedStatus = 130;
constexpr int kFailedStatus = 1;
constexpr int kWatchMilliseconds = 250;

// The reader's preferences as the window keeps them, each turned on for this run by its flag.
struct ReadPreferences {
    ContentPreparationOptions preparation;
    SmarteningOptions smartening;
};

ReadPreferences readPreferences(const CommandLine &line, DefaultsStore &store, QTextStream &err)
{
    if (!store.problem().isEmpty())
        err << "narrata-cli: " << store.problem() << "; reading with the default preferences\n";
    const Preferences stored = loadUserPreferencesFromUserDefaults(store);
    const auto on
        = [&line](bool preference, const char *flag) { return preference || line.hasFlag(QString::fromLatin1(flag)); };
    ReadPreferences preferences;
    preferences.preparation = {on(stored.userPreferenceUseFastSkipMode, "--fast-skip"),
        on(stored.userPreferenceSkipFixedWidthFonts, "--skip-fixed-width"),
        on(stored.userPreferenceSkipHeaderFooterAggressive, "--aggressive-headers")};
    preferences.smartening = {preferences.preparation.skipFixedWidthFonts,
        on(stored.userPrefShouldSortOrderOfSentencesVisually, "--visual-order"),
        on(stored.userPrefShouldSkipSentencesWithWeirdBounds, "--skip-weird-bounds")};
    return preferences;
}

} // namespace

bool sameFile(const QString &a, const QString &b)
{
    struct stat first {
    }, second{};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

QSet<QString> optionSet(std::initializer_list<const char *> own, bool flags)
{
    QSet<QString> options;
    for (const char *option : own)
        options.insert(QString::fromLatin1(option));
    if (flags)
        for (const char *flag : kReadingFlags)
            options.insert(QString::fromLatin1(flag));
    else
        for (const char *option : kReadingValueOptions)
            options.insert(QString::fromLatin1(option));
    return options;
}

int lastPageIndexOf(const CommandLine &line, const CommandPage &start)
{
    const int pageCount = start.document->pageCount();
    return static_cast<int>(line.integer(QStringLiteral("--to-page"), pageCount, start.pageIndex + 1, pageCount) - 1);
}

int runReading(const ReadingRun &run, QTextStream &err, const ReadingFinish &finish)
{
    const CommandLine &line = run.line;
    // Ctrl-C is taken from here on: the files a run makes are made after, so an interruption
    // never leaves one behind (it is acted on once the loop runs).
    Interruption interruption;
    QSettingsDefaultsStore store;
    store.registerDefaults(registeredDefaults());
    const ReadPreferences preferences = readPreferences(line, store, err);
    PageContent content;
    content.setDocument(run.start.document.get());
    content.setOptions(preferences.preparation);
    content.setLastPageIndex(run.lastPageIndex);
    const std::vector<SentenceRecord> first = content.sentencesFromPage(run.start.pageIndex);
    SpeechService &speech = run.speech();
    if (line.hasOption(QStringLiteral("--voice")) && run.usesStoredVoice
        && !speech.availableVoices().contains(line.value(QStringLiteral("--voice"))))
        throw CliError(QStringLiteral("no voice \"%1\" (narrata-cli voices lists them)")
                           .arg(line.value(QStringLiteral("--voice"))));
    const float rate = static_cast<float>(line.integer(QStringLiteral("--rate"), 0, 40, 600));

    const QString fileName = QFileInfo(line.positional().constFirst()).fileName();
    WordMappingTextPath textPath;
    textPath.initializeCustomPronunciationFileAtFirstLaunch();
    std::optional<ReadingProgress> storedProgress;
    ReadingProgress unstoredProgress;
    if (run.storesProgress) {
        storedProgress.emplace(store);
        storedProgress->setDocumentFileName(fileName);
        storedProgress->setDocumentPageCount(run.start.document->pageCount());
    }
    ReadingProgress &progress = storedProgress ? *storedProgress : unstoredProgress;
    ReadingSession session;
    const std::function<QDateTime()> now = [&run, start = QDateTime::currentDateTimeUtc()] {
        const std::optional<double> recorded = run.recordedSeconds ? run.recordedSeconds() : std::nullopt;
        return recorded ? start.addMSecs(std::llround(*recorded * 1000)) : QDateTime::currentDateTimeUtc();
    };
    session.clock = now;
    IgnoredFonts ignoredFonts(store);
    ignoredFonts.load(fileName);
    SpeakingLoop *reading = nullptr;
    SpeechSetSmartener smartener(speech, content, [&reading] { return reading ? reading->ttsVoice : std::nullopt; });
    smartener.options = preferences.smartening;
    for (const QString &label : ignoredFonts.labels() + line.values(QStringLiteral("--ignore-font")))
        smartener.currentPDFignoredFontsList.insert(label);
    SpeakingLoop loop({speech, run.view, content, smartener, textPath, progress, session, now});
    reading = &loop;
    loop.sentenceStarted = run.sentenceStarted;
    if (run.usesStoredVoice) // the stored voice and rate, as the window would speak
        VoiceCatalogue(speech, store).prepareVoices(loop);
    if (line.hasOption(QStringLiteral("--voice")))
        loop.ttsVoice = line.value(QStringLiteral("--voice"));
    if (line.hasOption(QStringLiteral("--rate")))
        loop.ttsRate = rate;
    loop.reloadSpeechSynthesizer();

    int status = 0;
    QObject::connect(&interruption, &Interruption::interrupted, [&] {
        loop.stopSpeaking();
        status = kInterruptedStatus;
        QCoreApplication::exit(status);
    });
    loop.readingEnded = [&status] {
        if (status == 0)
            QCoreApplication::exit(0);
    };

    loop.loadSpeechSet(first);
    if (loop.speechSet().empty()) {
        // Everything on these pages is left out: say so rather than end in silence.
        err << "narrata-cli: nothing to read from page " << run.start.pageIndex + 1 << " to page "
            << run.lastPageIndex + 1 << '\n';
        QString error;
        return finish(0, &error) ? 0 : kFailedStatus;
    }

    // The loop moves on only when an utterance runs to its end. One that ends otherwise,
    // without a stop of ours, means the sound output failed (a full disk under the file, a
    // sound server gone): reading would wait for ever, so it ends here with a message.
    QTimer watch;
    watch.setInterval(kWatchMilliseconds);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (status != 0 || loop.speechSet().empty() || loop.synthesizer()->isSpeaking())
            return;
        err << "narrata-cli: the sound output failed"
            << (run.outputFile.isEmpty() ? QString() : QStringLiteral(" (%1: is the disk full?)").arg(run.outputFile))
            << "; reading stopped\n";
        status = kFailedStatus;
        QCoreApplication::exit(status);
    });
    watch.start();
    // An interruption taken before the loop ran (while a page was prepared) has ended it already.
    if (status == 0)
        QCoreApplication::exec();
    loop.stopSpeaking();
    if (session.sessionStartTime) {
        session.updateDisplayOfCurrentSessionStats();
        err << session.labelCurrentSessionStats << '\n';
    }
    if (QString error; !finish(status, &error)) {
        err << "narrata-cli: " << error << '\n';
        status = kFailedStatus;
    }
    if (const std::optional<qint64> unloadable = content.unloadablePage(); unloadable && status == 0) {
        err << "narrata-cli: page " << *unloadable + 1 << " could not be read (the file is damaged or changed); "
            << "reading stopped there\n";
        status = kFailedStatus;
    }
    if (storedProgress && storedProgress->saveFailed()) {
        err << "narrata-cli: reading progress could not be saved in " << QDir::toNativeSeparators(store.fileName())
            << '\n';
        if (status == 0)
            status = kFailedStatus;
    }
    return status;
}

} // namespace narrata::cli
