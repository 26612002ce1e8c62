#pragma once

#include "documentopening.h"

#include "speech/readingview.h"
#include "text/sentencerecord.h"

#include <QSet>
#include <QTextStream>

#include <functional>
#include <optional>

namespace narrata {
class SpeechService;
}

namespace narrata::cli {

class CommandLine;

// The options every reading command takes besides its file and output.
inline constexpr const char *kReadingValueOptions[] = {"--page", "--to-page", "--voice", "--rate", "--ignore-font"};
inline constexpr const char *kReadingFlags[]
    = {"--fast-skip", "--skip-fixed-width", "--aggressive-headers", "--visual-order", "--skip-weird-bounds"};

// The options of a reading command: its own beside the shared value options (or flags).
QSet<QString> optionSet(std::initializer_list<const char *> own, bool flags);
// The last page to read: --to-page (counted from 1) or the document's last.
int lastPageIndexOf(const CommandLine &line, const CommandPage &start);
// Two names of one file, a link or the same path written twice included.
bool sameFile(const QString &a, const QString &b);

// A reading as the window does it (page analysis, smartening, word mappings, ignored fonts, the
// stored voice, rate and preferences, each preference also turned on by its flag), from the
// first sentence of the start page to the end of the last page, into a speech service.
struct ReadingRun {
    const CommandLine &line;
    CommandPage &start;
    int lastPageIndex = 0;
    // The speech service, asked for once the first page is prepared, so that a service that
    // takes time to start (espeak-ng) can start meanwhile.
    std::function<SpeechService &()> speech;
    ReadingView &view;
    // The voice and rate the user stored apply (a dry run speaks no voice).
    bool usesStoredVoice = true;
    // The sentences heard are kept for the go-to commands; not for what nobody listened to.
    bool storesProgress = true;
    // How long the speech recorded so far plays, when it is recorded rather than heard (none
    // otherwise): the session's clock then, so that its minutes and words per minute are the
    // recording's.
    std::function<std::optional<double>()> recordedSeconds;
    // Told of each sentence as it starts.
    std::function<void(const SentenceRecord &)> sentenceStarted;
    // Named in the message when the output fails ("is the disk full?"); empty for a device.
    QString outputFile;
};

// What ends a run: told the exit status so far, it saves what was recorded, or says why it
// could not in `error`.
using ReadingFinish = std::function<bool(int status, QString *error)>;

// Runs the reading to its end, an interruption (Ctrl-C) or a failed output, prints the
// session's statistics, and calls `finish`. The exit status: 0, 1 for a failure, 130 when
// interrupted.
int runReading(const ReadingRun &run, QTextStream &err, const ReadingFinish &finish);

} // namespace narrata::cli
