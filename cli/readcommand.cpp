#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "documentopening.h"
#include "dryrunspeech.h"
#include "headlessreader.h"
#include "interruption.h"
#include "speechsetup.h"

#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/ignoredfonts.h"
#include "settings/preferences.h"
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
const QString kUsage = QStringLiteral("read FILE.pdf [--page N] [--to-page M] [--wav OUT.wav] [--voice ID] "
                                      "[--rate WPM] [--dry-run] [--fast-skip] [--skip-fixed-width] "
                                      "[--aggressive-headers] [--visual-order] [--skip-weird-bounds] "
                                      "[--ignore-font LABEL]...");

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

// Two names of one file, a link or the same path written twice included.
bool sameFile(const QString &a, const QString &b)
{
    struct stat first {
    }, second{};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0
        && ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev
        && first.st_ino == second.st_ino;
}

} // namespace

// Reads from the first sentence of page N, page after page, until page M or the end.
int runReadCommand(const PDFService &pdfService, const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandLine line(arguments,
        {QStringLiteral("--page"), QStringLiteral("--to-page"), QStringLiteral("--wav"), QStringLiteral("--voice"),
            QStringLiteral("--rate"), QStringLiteral("--ignore-font")},
        {QStringLiteral("--dry-run"), QStringLiteral("--fast-skip"), QStringLiteral("--skip-fixed-width"),
            QStringLiteral("--aggressive-headers"), QStringLiteral("--visual-order"),
            QStringLiteral("--skip-weird-bounds")});
    CommandPage start = openCommandPage(pdfService, line, kUsage);
    const int pageCount = start.document->pageCount();
    const int lastPageIndex
        = static_cast<int>(line.integer(QStringLiteral("--to-page"), pageCount, start.pageIndex + 1, pageCount) - 1);
    const float rate = static_cast<float>(line.integer(QStringLiteral("--rate"), 0, 40, 600));
    const bool dryRun = line.hasFlag(QStringLiteral("--dry-run"));
    if (dryRun && line.hasOption(QStringLiteral("--wav")))
        throw CliError(QStringLiteral("--dry-run writes no sound: leave out --wav"));
    if (line.hasOption(QStringLiteral("--wav"))
        && sameFile(line.value(QStringLiteral("--wav")), line.positional().constFirst()))
        throw CliError(QStringLiteral("the WAV file would replace the PDF being read: name another one"));

    std::optional<SpeechSetup> setup;
    std::unique_ptr<SpeechService> speech;
    QSettingsDefaultsStore store;
    store.registerDefaults(registeredDefaults());
    const ReadPreferences preferences = readPreferences(line, store, err);
    HeadlessReader reader(out);
    PageContent content;
    content.setDocument(start.document.get());
    content.setOptions(preferences.preparation);
    content.setLastPageIndex(lastPageIndex);
    if (dryRun) {
        auto dry = std::make_unique<DryRunSpeechService>();
        reader.showSpokenText(dry->spokenText());
        speech = std::move(dry);
    } else {
        setup.emplace(line.value(QStringLiteral("--wav")), err);
        speech = setup->takeService();
    }
    if (line.hasOption(QStringLiteral("--voice")) && !dryRun
        && !speech->availableVoices().contains(line.value(QStringLiteral("--voice"))))
        throw CliError(QStringLiteral("no voice \"%1\" (narrata-cli voices lists them)")
                           .arg(line.value(QStringLiteral("--voice"))));

    // What is only printed is not heard: a dry run records no progress.
    const QString fileName = QFileInfo(line.positional().constFirst()).fileName();
    WordMappingTextPath textPath;
    textPath.initializeCustomPronunciationFileAtFirstLaunch();
    std::optional<ReadingProgress> storedProgress;
    ReadingProgress unstoredProgress;
    if (!dryRun) {
        storedProgress.emplace(store);
        storedProgress->setDocumentFileName(fileName);
        storedProgress->setDocumentPageCount(pageCount);
    }
    ReadingProgress &progress = storedProgress ? *storedProgress : unstoredProgress;
    ReadingSession session;
    // Speech goes into a WAV file many times faster than it plays: the session's clock is the
    // recording's, so that its minutes and words per minute are those of the file.
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
    if (setup && setup->recordedSeconds().has_value())
        now = [&setup, start = QDateTime::currentDateTimeUtc()] {
            return start.addMSecs(std::llround(*setup->recordedSeconds() * 1000));
        };
    session.clock = now;
    IgnoredFonts ignoredFonts(store);
    ignoredFonts.load(fileName);
    SpeakingLoop *reading = nullptr;
    SpeechSetSmartener smartener(*speech, content, [&reading] { return reading ? reading->ttsVoice : std::nullopt; });
    smartener.options = preferences.smartening;
    for (const QString &label : ignoredFonts.labels() + line.values(QStringLiteral("--ignore-font")))
        smartener.currentPDFignoredFontsList.insert(label);
    SpeakingLoop loop({*speech, reader, content, smartener, textPath, progress, session, now});
    reading = &loop;
    if (!dryRun) // the stored voice and rate, as the window would speak
        VoiceCatalogue(*speech, store).prepareVoices(loop);
    if (line.hasOption(QStringLiteral("--voice")))
        loop.ttsVoice = line.value(QStringLiteral("--voice"));
    if (line.hasOption(QStringLiteral("--rate")))
        loop.ttsRate = rate;
    loop.reloadSpeechSynthesizer();

    int status = 0;
    Interruption interruption;
    QObject::connect(&interruption, &Interruption::interrupted, [&] {
        loop.stopSpeaking();
        status = kInterruptedStatus;
        QCoreApplication::exit(status);
    });
    loop.readingEnded = [&status] {
        if (status == 0)
            QCoreApplication::exit(0);
    };

    const std::vector<SentenceRecord> first = content.sentencesFromPage(start.pageIndex);
    loop.loadSpeechSet(first);
    if (loop.speechSet().empty()) {
        // Everything on these pages is left out: say so rather than end in silence.
        err << "narrata-cli: nothing to read from page " << start.pageIndex + 1 << " to page " << lastPageIndex + 1
            << '\n';
        QString error;
        return !setup || setup->saveWav(&error) ? 0 : kFailedStatus;
    }

    // The loop moves on only when an utterance runs to its end. One that ends otherwise,
    // without a stop of ours, means the sound output failed (a full disk under the WAV file, a
    // sound server gone): reading would wait for ever, so it ends here with a message.
    QTimer watch;
    watch.setInterval(kWatchMilliseconds);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (status != 0 || loop.speechSet().empty() || loop.synthesizer()->isSpeaking())
            return;
        err << "narrata-cli: the sound output failed"
            << (line.hasOption(QStringLiteral("--wav"))
                       ? QStringLiteral(" (%1: is the disk full?)").arg(line.value(QStringLiteral("--wav")))
                       : QString())
            << "; reading stopped\n";
        status = kFailedStatus;
        QCoreApplication::exit(status);
    });
    watch.start();
    QCoreApplication::exec();
    loop.stopSpeaking();
    if (session.sessionStartTime) {
        session.updateDisplayOfCurrentSessionStats();
        err << session.labelCurrentSessionStats << '\n';
    }
    // Interrupted or not, what was recorded is a complete WAV file and keeps the chosen name.
    if (QString error; setup && !setup->saveWav(&error)) {
        err << "narrata-cli: " << line.value(QStringLiteral("--wav")) << ": cannot save the WAV file: " << error
            << '\n';
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
