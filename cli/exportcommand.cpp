#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "documentopening.h"
#include "readingrun.h"
#include "speechsetup.h"

#include "platform/audiobook/audiobookencoder.h"
#include "platform/audiobook/cuesheet.h"
#include "platform/audiobook/temporaryfilebeside.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <cmath>

namespace narrata::cli {

namespace {

const QString kUsage = QStringLiteral("export FILE.pdf OUT.{opus,flac,mp3,wav} [--page N] [--to-page M] "
                                      "[--voice ID] [--rate WPM] [--fast-skip] [--skip-fixed-width] "
                                      "[--aggressive-headers] [--visual-order] [--skip-weird-bounds] "
                                      "[--ignore-font LABEL]...");

QString clock(double seconds)
{
    const auto whole = static_cast<qint64>(seconds);
    return QStringLiteral("%1:%2:%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

// The outline's top entries, by page, as the chapters to mark when reading reaches them.
struct ChapterStart {
    int pageIndex;
    QString title;
};
std::vector<ChapterStart> chapterStarts(const PDFDocument &document)
{
    std::vector<ChapterStart> starts;
    if (const std::optional<PDFOutline> root = document.outlineRoot()) {
        for (const PDFOutline &entry : root->children) {
            if (entry.destination.isValid() && !entry.label.trimmed().isEmpty())
                starts.push_back({entry.destination.pageIndex, entry.label.simplified()});
        }
    }
    std::stable_sort(
        starts.begin(), starts.end(), [](const auto &a, const auto &b) { return a.pageIndex < b.pageIndex; });
    return starts;
}

// Pages done, audio made and time left, on one line of the terminal redrawn in place; nothing
// when standard error is not a terminal. For a program that runs the export (the window), a
// line on standard output as each page starts and as each tenth of the encoding is done.
class ExportProgress {
public:
    ExportProgress(QTextStream &err, QTextStream *lines, int firstPage, int lastPage)
        : m_err(err)
        , m_lines(lines)
        , m_shown(::isatty(STDERR_FILENO) != 0)
        , m_firstPage(firstPage)
        , m_lastPage(lastPage)
    {
        m_clock.start();
    }
    void reading(int pageIndex, double audioSeconds)
    {
        if (m_lines && pageIndex != m_linePage)
            *m_lines << "page " << pageIndex + 1 << " of " << m_lastPage + 1 << Qt::endl;
        m_linePage = pageIndex;
        const double done = static_cast<double>(pageIndex - m_firstPage) / (m_lastPage - m_firstPage + 1);
        show(QStringLiteral("page %1 of %2, %3 of audio%4")
                 .arg(pageIndex + 1)
                 .arg(m_lastPage + 1)
                 .arg(clock(audioSeconds), left(done)));
    }
    bool encoding(double fraction)
    {
        if (const auto tenths = static_cast<int>(fraction * 10); m_lines && tenths != m_lineTenths) {
            *m_lines << "encoding " << tenths * 10 << '%' << Qt::endl;
            m_lineTenths = tenths;
        }
        show(QStringLiteral("encoding %1%%2").arg(std::lround(fraction * 100)).arg(left(fraction)));
        return true;
    }
    void finish()
    {
        if (m_shown && m_drawn)
            m_err << "\r\033[K" << Qt::flush;
    }

private:
    QString left(double done) const
    {
        const double elapsed = static_cast<double>(m_clock.elapsed()) / 1000;
        return done > 0.02 ? QStringLiteral(", %1 left").arg(clock(elapsed / done - elapsed)) : QString();
    }
    void show(const QString &line)
    {
        // Redrawn at most five times a second.
        if (!m_shown || (m_drawn && m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < 200))
            return;
        m_err << "\r\033[K" << line << Qt::flush;
        m_drawn = true;
        m_sinceDrawn.start();
    }

    QTextStream &m_err;
    QTextStream *m_lines;
    int m_linePage = -1;
    int m_lineTenths = -1;
    const bool m_shown;
    const int m_firstPage;
    const int m_lastPage;
    QElapsedTimer m_clock;
    QElapsedTimer m_sinceDrawn;
    bool m_drawn = false;
};

// The reading view of an export: nothing is shown but the progress.
class SilentView final : public ReadingView {
public:
    void selectSentence(const SentenceRecord &sentence) override { m_pageIndex = sentence.pageIndex; }
    qint64 currentPageIndex() const override { return m_pageIndex; }

private:
    qint64 m_pageIndex = 0;
};

} // namespace

// Reads pages N to M into one audiobook file, chaptered after the outline's top entries.
int runExportCommand(const PDFService &pdfService, const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandLine line(arguments, optionSet({}, false), optionSet({"--report-progress"}, true));
    CommandPage start = openCommandPage(pdfService, line, kUsage, 2);
    const QString outputPath = line.positional().at(1);
    const std::optional<AudiobookFormat> format = audiobookFormatForPath(outputPath);
    if (!format)
        throw CliError(QStringLiteral("%1: name the audiobook .opus, .flac, .mp3 or .wav").arg(outputPath));
    if (sameFile(outputPath, line.positional().constFirst()))
        throw CliError(QStringLiteral("the audiobook would replace the PDF being read: name another file"));
    const int lastPageIndex = lastPageIndexOf(line, start);

    // Speech is recorded beside the audiobook first and encoded once reading is done, when the
    // chapters' times are known.
    std::optional<SpeechSetup> setup;
    std::unique_ptr<SpeechService> speech;
    const auto provideSpeech = [&]() -> SpeechService & {
        setup.emplace(outputPath, err, line.value(QStringLiteral("--voice")));
        speech = setup->takeService();
        return *speech;
    };
    SilentView view;
    const PDFDocument &document = *start.document;
    AudiobookDescription description{
        document.infoValue(QStringLiteral("Title")), document.infoValue(QStringLiteral("Author")), {}};
    if (description.title.isEmpty())
        description.title = QFileInfo(line.positional().constFirst()).completeBaseName();
    const std::vector<ChapterStart> chapters = chapterStarts(document);
    size_t nextChapter = 0;
    while (nextChapter < chapters.size() && chapters[nextChapter].pageIndex < start.pageIndex)
        ++nextChapter;
    constexpr int kSampleRate = 22050;
    ExportProgress progress(
        err, line.hasFlag(QStringLiteral("--report-progress")) ? &out : nullptr, start.pageIndex, lastPageIndex);

    // Chapters are noted by the sentence that opens them, counted in the order spoken; their
    // times are known once the recording shows where each sentence ended.
    struct ChapterOpening {
        qint64 sentence;
        QString title;
    };
    std::vector<ChapterOpening> openings;
    qint64 sentencesStarted = 0;
    ReadingRun run{line, start, lastPageIndex, provideSpeech, view, true, false, {}, {}, outputPath};
    run.recordedSeconds = [&setup] { return setup ? setup->recordedSeconds() : std::nullopt; };
    run.sentenceStarted = [&](const SentenceRecord &sentence) {
        progress.reading(static_cast<int>(sentence.pageIndex), setup->recordedSeconds().value_or(0));
        for (; nextChapter < chapters.size() && chapters[nextChapter].pageIndex <= sentence.pageIndex; ++nextChapter) {
            // Entries that reading reaches at one sentence (a part and its first chapter) make
            // one chapter under the innermost name.
            if (!openings.empty() && openings.back().sentence == sentencesStarted)
                openings.back().title = chapters[nextChapter].title;
            else
                openings.push_back({sentencesStarted, chapters[nextChapter].title});
        }
        ++sentencesStarted;
    };
    const auto chaptersOfRecording = [&] {
        const std::vector<qint64> ends = setup->utteranceEnds();
        std::vector<AudiobookChapter> result;
        if (openings.empty() || openings.front().sentence > 0)
            result.push_back({0, description.title});
        for (const ChapterOpening &opening : openings) {
            const auto before = static_cast<size_t>(opening.sentence);
            if (opening.sentence == 0 || before <= ends.size())
                result.push_back({opening.sentence == 0 ? 0 : ends[before - 1], opening.title});
        }
        return result;
    };
    const int status = runReading(run, err, [&](int status, QString *error) {
        progress.finish();
        if (status != 0) // interrupted or failed: no audiobook, and the recording goes too
            return true;
        if (setup->recordedSeconds().value_or(0) <= 0) {
            *error = QStringLiteral("%1: nothing was spoken, so no audiobook was written").arg(outputPath);
            return false;
        }
        description.chapters = chaptersOfRecording();
        const bool encoded = encodeAudiobook(setup->recordingPath(), *format, description, outputPath, error,
            [&progress](double fraction) { return progress.encoding(fraction); });
        progress.finish();
        if (!encoded) {
            *error = QStringLiteral("%1: cannot write the audiobook: %2").arg(outputPath, *error);
            return false;
        }
        if (*format == AudiobookFormat::Opus)
            return true;
        // The chapters of the other formats are in a cue sheet beside the file.
        const QString cuePath = QFileInfo(outputPath).path() + QLatin1Char('/')
            + QFileInfo(outputPath).completeBaseName() + QStringLiteral(".cue");
        TemporaryFileBeside cue(cuePath, error);
        QFile file(cue.path());
        const QByteArray text = cueSheet(QFileInfo(outputPath).fileName(), *format, description, kSampleRate).toUtf8();
        if (cue.path().isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush()
            || !cue.commit(error)) {
            *error = QStringLiteral("%1: cannot write the cue sheet: %2").arg(cuePath, file.errorString());
            return false;
        }
        return true;
    });
    if (status == 0)
        err << "narrata-cli: " << outputPath << ": " << description.chapters.size()
            << (description.chapters.size() == 1 ? " chapter, " : " chapters, ")
            << clock(setup->recordedSeconds().value_or(0)) << " of audio\n";
    return status;
}

} // namespace narrata::cli
