#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "documentopening.h"
#include "dryrunspeech.h"
#include "headlessreader.h"
#include "readingrun.h"
#include "speechsetup.h"

namespace narrata::cli {

namespace {

const QString kUsage = QStringLiteral("read FILE.pdf [--page N] [--to-page M] [--wav OUT.wav] [--voice ID] "
                                      "[--rate WPM] [--dry-run] [--fast-skip] [--skip-fixed-width] "
                                      "[--aggressive-headers] [--visual-order] [--skip-weird-bounds] "
                                      "[--ignore-font LABEL]...");

} // namespace

// Reads from the first sentence of page N, page after page, until page M or the end.
int runReadCommand(const PDFService &pdfService, const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandLine line(arguments, optionSet({"--wav"}, false), optionSet({"--dry-run"}, true));
    const bool dryRun = line.hasFlag(QStringLiteral("--dry-run"));
    // espeak-ng starts on another thread while the document opens and its first page is
    // prepared: the first word is heard that much sooner.
    const std::future<void> engineStarting = dryRun ? std::future<void>() : startSpeechEngine();
    CommandPage start = openCommandPage(pdfService, line, kUsage);
    const QString wavPath = line.value(QStringLiteral("--wav"));
    if (dryRun && line.hasOption(QStringLiteral("--wav")))
        throw CliError(QStringLiteral("--dry-run writes no sound: leave out --wav"));
    if (line.hasOption(QStringLiteral("--wav")) && sameFile(wavPath, line.positional().constFirst()))
        throw CliError(QStringLiteral("the WAV file would replace the PDF being read: name another one"));

    std::optional<SpeechSetup> setup;
    std::unique_ptr<SpeechService> speech;
    HeadlessReader reader(out);
    const auto provideSpeech = [&]() -> SpeechService & {
        if (dryRun) {
            auto dry = std::make_unique<DryRunSpeechService>();
            reader.showSpokenText(dry->spokenText());
            speech = std::move(dry);
        } else {
            setup.emplace(wavPath, err, line.value(QStringLiteral("--voice")));
            speech = setup->takeService();
        }
        return *speech;
    };
    // What is only printed is not heard: a dry run records no progress.
    ReadingRun run{line, start, lastPageIndexOf(line, start), provideSpeech, reader, !dryRun, !dryRun,
        [&setup] { return setup ? setup->recordedSeconds() : std::nullopt; }, {}, wavPath};
    // Interrupted or not, what was recorded is a complete WAV file and keeps the chosen name.
    return runReading(run, err, [&setup, &wavPath](int, QString *error) {
        if (!setup || setup->saveWav(error))
            return true;
        *error = QStringLiteral("%1: cannot save the WAV file: %2").arg(wavPath, *error);
        return false;
    });
}

} // namespace narrata::cli
