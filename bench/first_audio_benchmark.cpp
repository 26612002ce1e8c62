// The time from a double-click on a word to the first sample of speech, in the reader's window
// and for `narrata-cli read`, against `mutool draw -F txt` of the same page run as a process in
// the same run: `first-audio-benchmark NARRATA-CLI NAME FILE.pdf PAGE TARGET-MS...`, one group
// of four per page, pages counted from 1, each with the most milliseconds either may take.
//
// In the window (off screen) each round opens the document afresh, goes to the page, lets it
// be drawn, and double-clicks a word in the middle of the page with real mouse events;
// the clock runs from the second click to the first sample espeak-ng hands to the output (timed
// silence in place of the sound server). narrata-cli runs as a process writing a WAV file; its
// clock runs from starting the process to the first sample reaching the file.
#include "benchmarkstatistics.h"
#include "offscreenreader.h"
#include "timingoutput.h"

#include "platform/mupdf/mupdfservice.h"
#include "platform/pdf/pdfdocument.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTextStream>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>

extern char **environ;

namespace {

constexpr int kRounds = 5;
constexpr std::chrono::seconds kPatience(20);
constexpr qint64 kWavHeaderBytes = 44;

double millisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

pid_t spawn(const QStringList &arguments)
{
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    if (posix_spawnp(&child, argv.front(), &actions, nullptr, argv.data(), environ) != 0)
        child = -1;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

// A whole `mutool draw -F txt` of the page, from starting the process to its end.
std::optional<double> mutoolMilliseconds(const QString &path, int page)
{
    const Clock::time_point start = Clock::now();
    const pid_t child = spawn({QStringLiteral("mutool"), QStringLiteral("draw"), QStringLiteral("-F"),
        QStringLiteral("txt"), QStringLiteral("-o"), QStringLiteral("/dev/null"), path, QString::number(page)});
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return millisecondsBetween(start, Clock::now());
}

// `narrata-cli read` from the page into a WAV file, from starting the process to the first
// sample in the file; the process is then interrupted.
std::optional<double> cliMilliseconds(const QString &cli, const QString &path, int page)
{
    QTemporaryDir dir;
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_MODIFY) < 0)
        return std::nullopt;
    const Clock::time_point start = Clock::now();
    const pid_t child = spawn({cli, QStringLiteral("read"), path, QStringLiteral("--page"), QString::number(page),
        QStringLiteral("--wav"), dir.filePath(QStringLiteral("out.wav"))});
    std::optional<double> result;
    alignas(inotify_event) char buffer[4096];
    while (child >= 0 && !result) {
        pollfd ready{watch, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) <= 0)
            break;
        const ssize_t size = read(watch, buffer, sizeof buffer);
        for (ssize_t at = 0; at < size && !result;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            struct stat file { };
            if (event->len > 0
                && ::stat(QFile::encodeName(dir.filePath(QString::fromLocal8Bit(event->name))).constData(), &file) == 0
                && file.st_size > kWavHeaderBytes)
                result = millisecondsBetween(start, Clock::now());
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    if (child >= 0) {
        kill(child, SIGINT);
        waitpid(child, nullptr, 0);
    }
    close(watch);
    return result;
}

struct Case {
    QString name;
    QString path;
    int page; // counted from 1
    double target; // milliseconds from the click
};

// A point at the middle of the page's text, on a letter.
std::optional<QPointF> wordInTheMiddle(const narrata::PDFPage &page)
{
    const QString text = page.string();
    for (qsizetype at = text.size() / 2; at < text.size(); ++at)
        if (text.at(at).isLetter()) {
            const QRectF box = page.characterBoundsAtIndex(at);
            if (!box.isEmpty())
                return box.center();
        }
    return std::nullopt;
}

// Opens the document, goes to the page and double-clicks a word there; the time from the
// second click to the first sample.
std::optional<double> windowMilliseconds(narrata::ReaderApplication &reader, SampleTimes &times, const Case &c)
{
    narrata::CustomPDFView *view = reader.window().pdfView();
    const int pageIndex = c.page - 1;
    if (!openAndDraw(reader, c.path) || !view->document() || pageIndex >= view->document()->pageCount())
        return std::nullopt;
    const auto page = view->document()->pageAtIndex(pageIndex);
    const std::optional<QPointF> word = page ? wordInTheMiddle(*page) : std::nullopt;
    if (!word)
        return std::nullopt;
    // The page may have been drawn already, beside the first one: time enough to draw it.
    view->goToPageIndex(pageIndex, *word);
    settle(700);
    const QPointF at = view->viewportPointForPagePoint(pageIndex, *word);
    const QPointF global = view->viewport()->mapToGlobal(at);
    const auto send = [&](QEvent::Type type) {
        QMouseEvent event(type, at, global, Qt::LeftButton,
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &event);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    const std::size_t before = times.firstCount();
    const Clock::time_point click = Clock::now();
    send(QEvent::MouseButtonDblClick);
    const std::optional<Clock::time_point> first = times.waitForFirst(before, kPatience);
    send(QEvent::MouseButtonRelease);
    reader.delegate().stopSpeaking();
    settle(200);
    return first ? std::optional(millisecondsBetween(click, *first)) : std::nullopt;
}

struct Figures {
    std::vector<double> mutool, window, cli;
};

QString describe(const std::vector<double> &values, double reference)
{
    const double worst = values.empty() ? 0 : *std::max_element(values.begin(), values.end());
    return QStringLiteral("median %1 ms (%2 x mutool), worst %3 ms")
        .arg(median(values), 0, 'f', 1)
        .arg(median(values) / reference, 0, 'f', 2)
        .arg(worst, 0, 'f', 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    isolateReader(home);
    QApplication application(argc, argv);
    QTextStream out(stdout), err(stderr);
    const QStringList arguments = application.arguments();
    std::vector<Case> cases;
    for (qsizetype i = 2; i + 3 < arguments.size(); i += 4)
        cases.push_back({arguments[i], arguments[i + 1], arguments[i + 2].toInt(), arguments[i + 3].toDouble()});
    if (arguments.size() < 6 || (arguments.size() - 2) % 4 != 0
        || std::any_of(cases.begin(), cases.end(), [](const Case &c) { return c.page < 1 || c.target <= 0; })) {
        err << "usage: first-audio-benchmark NARRATA-CLI NAME FILE.pdf PAGE TARGET-MS...\n";
        return 2;
    }
    const QString cli = arguments[1];
    // The window would stop at an alert for a file it refuses.
    for (const Case &c : cases)
        if (const auto document = narrata::MuPDFService().openFile(c.path);
            !document || document->pageCount() < c.page) {
            err << "first-audio-benchmark: " << c.path << " is not a PDF with a page " << c.page << '\n';
            return 2;
        }

    auto times = std::make_shared<SampleTimes>();
    narrata::ReaderApplication::Options options;
    options.speechOutputs = [times] { return std::make_shared<TimingOutput>(times); };
    narrata::ReaderApplication reader(options);
    startReader(reader);

    // The rounds take turns with the cases, so that each window round opens its document afresh.
    std::vector<Figures> figures(cases.size());
    for (int round = 0; round < kRounds; ++round)
        for (size_t i = 0; i < cases.size(); ++i) {
            const Case &c = cases[i];
            const std::optional<double> mutool = mutoolMilliseconds(c.path, c.page);
            const std::optional<double> window = windowMilliseconds(reader, *times, c);
            const std::optional<double> process = cliMilliseconds(cli, c.path, c.page);
            if (!mutool || !window || !process) {
                err << "first-audio-benchmark: " << c.name << ": page " << c.page << " of " << c.path << ": "
                    << (!mutool          ? "mutool failed"
                               : !window ? "no first sample in the window"
                                         : "no first sample from "
                                           "narrata-cli")
                    << '\n';
                return 1;
            }
            figures[i].mutool.push_back(*mutool);
            figures[i].window.push_back(*window);
            figures[i].cli.push_back(*process);
        }

    for (size_t i = 0; i < cases.size(); ++i) {
        const Case &c = cases[i];
        const double reference = median(figures[i].mutool);
        const auto verdict = [&c](const std::vector<double> &times) {
            return QStringLiteral("    target: at most %1 ms, %2\n")
                .arg(c.target)
                .arg(median(times) <= c.target ? QStringLiteral("met") : QStringLiteral("NOT met"));
        };
        out << c.name << ": page " << c.page << " of " << QDir(c.path).dirName() << ", " << kRounds << " rounds\n"
            << "  mutool draw -F txt of the page, as a process: median " << QString::number(reference, 'f', 1)
            << " ms\n"
            << "  window, double-click to first sample: " << describe(figures[i].window, reference) << '\n'
            << verdict(figures[i].window) << "  narrata-cli read --page " << c.page
            << ", process start to first sample: " << describe(figures[i].cli, reference) << '\n'
            << verdict(figures[i].cli);
    }
    return 0;
}
