// Drawing pages at the page view's scale, and opening a long document up to its first drawn
// page, against `mutool draw` doing the same with the same MuPDF, measured in the same run.
//
// render-benchmark PAGES.pdf LONG.pdf
//   PAGES.pdf  its first pages are drawn one after the other, as scrolling through them does
//   LONG.pdf   a document of about a thousand pages, opened up to its first drawn page
#include "benchmarkstatistics.h"
#include "page_view_scale.h"
#include "platform/mupdf/mupdfservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <optional>
#include <vector>

namespace {

constexpr int kPagesToDraw = 40;
constexpr int kDrawRounds = 7;
constexpr int kOpenRuns = 25;
constexpr int kProcessTimeoutMs = 600000;
// Below this, mutool's whole-millisecond page timings are too coarse for a ratio to hold.
constexpr double kCoarsePageMs = 5;

double milliseconds(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The resolution both sides draw at, written out once so that mutool and we get the very same
// number: mutool takes it as dots per inch, we as pixels per point.
QString dpiArgument(double scale)
{
    return QString::number(scale * 72, 'f', 3);
}

std::optional<double> viewScaleOfFirstPage(const QString &path)
{
    const auto document = narrata::MuPDFService().openFile(path);
    const auto page = document ? document->pageAtIndex(0) : nullptr;
    if (!page)
        return std::nullopt;
    const double scale = fitToWidthScale(page->boundsForBox(narrata::PDFDisplayBox::CropBox));
    return scale > 0 ? std::optional(scale) : std::nullopt;
}

// What a process printed on its standard output as a number, or -1 when it failed.
double printedByProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(kProcessTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return -1;
    bool ok = false;
    const double value = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed().toDouble(&ok);
    return ok ? value : -1;
}

// Whole run of a process, from start to exit, in milliseconds; -1 when it failed.
double timeProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(kProcessTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return -1;
    return milliseconds(timer);
}

// Each page's time in `mutool draw`, from its own timings (-s t), which start before the page
// is loaded and stop once it is drawn: neither starting the process nor opening the document
// is in them. Given no output file, mutool still draws every page into a pixmap (its time
// grows with the resolution) but writes nothing, so no image encoding is counted either. The
// pixmap is RGB without alpha, as our images are.
std::vector<double> mutoolPageTimes(const QString &path, int pages, const QString &dpi)
{
    QProcess mutool;
    mutool.setStandardOutputFile(QProcess::nullDevice());
    mutool.start(QStringLiteral("mutool"),
        {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("t"), QStringLiteral("-c"),
            QStringLiteral("rgb"), QStringLiteral("-r"), dpi, path, QStringLiteral("1-%1").arg(pages)});
    if (!mutool.waitForFinished(kProcessTimeoutMs) || mutool.exitStatus() != QProcess::NormalExit
        || mutool.exitCode() != 0)
        return {};
    // "page FILE NUMBER TIMEms"; the file name may hold spaces, so read from the end.
    static const QRegularExpression line(QStringLiteral("^page .* (\\d+) (\\d+)ms$"));
    std::vector<double> times(static_cast<size_t>(pages), -1);
    for (const QString &text : QString::fromLocal8Bit(mutool.readAllStandardError()).split(u'\n')) {
        const QRegularExpressionMatch match = line.match(text.trimmed());
        const int number = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (number >= 1 && number <= pages)
            times[static_cast<size_t>(number - 1)] = match.captured(2).toDouble();
    }
    for (double time : times)
        if (time < 0)
            return {};
    return times;
}

// Each page's time here, timed as mutool times its own: from asking the freshly opened
// document for the page to holding its image, one page after the other on one thread.
std::vector<double> ourPageTimes(const QString &path, int pages, double scale)
{
    const auto document = narrata::MuPDFService().openFile(path);
    if (!document)
        return {};
    std::vector<double> times;
    for (int i = 0; i < pages; ++i) {
        QElapsedTimer timer;
        timer.start();
        const auto page = document->pageAtIndex(i);
        if (!page || page->renderRegion(page->boundsForBox(narrata::PDFDisplayBox::CropBox), scale).isNull())
            return {};
        times.push_back(milliseconds(timer));
    }
    return times;
}

// The median page, with every page's time averaged over the rounds first: mutool reports
// whole milliseconds, and the average of several rounds recovers the fraction.
double medianPage(const std::vector<std::vector<double>> &rounds)
{
    std::vector<double> pages(rounds.front().size(), 0);
    for (const std::vector<double> &round : rounds)
        for (size_t i = 0; i < pages.size(); ++i)
            pages[i] += round[i] / static_cast<double>(rounds.size());
    return median(pages);
}

QString figure(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (app.arguments().size() != 3) {
        err << "usage: render-benchmark PAGES.pdf LONG.pdf\n";
        return 2;
    }
    const QString pagesPath = app.arguments().at(1), longPath = app.arguments().at(2);
    const QString openFirstPage
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("open-first-page"));
    const QString openInWindow
        = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("open-in-window"));

    // Every page is drawn at the first page's scale, which mutool can only take for all of
    // them; the documents measured have pages of one size.
    const std::optional<double> pagesScale = viewScaleOfFirstPage(pagesPath);
    const std::optional<double> longScale = viewScaleOfFirstPage(longPath);
    if (!pagesScale || !longScale) {
        err << "render-benchmark: cannot open " << (pagesScale ? longPath : pagesPath) << '\n';
        return 2;
    }
    int pages = 0, longPages = 0;
    {
        // Dropped before measuring, so that every round starts without MuPDF's caches.
        pages = std::min(kPagesToDraw, narrata::MuPDFService().openFile(pagesPath)->pageCount());
        longPages = narrata::MuPDFService().openFile(longPath)->pageCount();
    }

    // Drawing pages: each side times its pages inside its own process, so the figure is the
    // cost of a page alone, as the view pays it while scrolling. Timing whole runs instead would
    // add starting a process and opening the document, which the second figure measures: a
    // Qt executable takes longer to start than mutool, and that is no cost of drawing.
    const QString dpi = dpiArgument(*pagesScale);
    const double scale = dpi.toDouble() / 72;
    std::vector<std::vector<double>> ours, theirs;
    for (int round = 0; round < kDrawRounds; ++round) {
        // Interleaved, taking turns at going first, so that both see the same machine load.
        std::vector<double> mutool, ourRound;
        if (round % 2 == 0)
            mutool = mutoolPageTimes(pagesPath, pages, dpi);
        ourRound = ourPageTimes(pagesPath, pages, scale);
        if (round % 2 == 1)
            mutool = mutoolPageTimes(pagesPath, pages, dpi);
        if (mutool.empty() || ourRound.empty()) {
            err << "render-benchmark: cannot draw the pages of " << pagesPath << '\n';
            return 2;
        }
        theirs.push_back(std::move(mutool));
        ours.push_back(std::move(ourRound));
    }
    const double ourPage = medianPage(ours), theirPage = medianPage(theirs);

    // Opening: whole process runs on both sides, since this is what a user waits for when a
    // document is opened, start-up included; start-up alone is measured too, to tell it apart.
    const QString longDpi = dpiArgument(*longScale);
    const QStringList mutoolOpen = {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-c"),
        QStringLiteral("rgb"), QStringLiteral("-r"), longDpi, longPath, QStringLiteral("1")};
    std::vector<double> ourOpens, theirOpens, ourStarts, theirStarts, windowOpens;
    for (int run = 0; run < kOpenRuns; ++run) {
        double mutool = -1, ourOpen = -1;
        if (run % 2 == 0)
            mutool = timeProcess(QStringLiteral("mutool"), mutoolOpen);
        ourOpen = timeProcess(openFirstPage, {longPath});
        if (run % 2 == 1)
            mutool = timeProcess(QStringLiteral("mutool"), mutoolOpen);
        if (mutool < 0 || ourOpen < 0) {
            err << "render-benchmark: cannot open " << longPath << " with " << (mutool < 0 ? "mutool" : openFirstPage)
                << '\n';
            return 2;
        }
        theirOpens.push_back(mutool);
        ourOpens.push_back(ourOpen);
        // `mutool -v` prints its version and exits: the start of the same executable.
        if (const double start = timeProcess(QStringLiteral("mutool"), {QStringLiteral("-v")}); start >= 0)
            theirStarts.push_back(start);
        if (const double start = timeProcess(openFirstPage, {QStringLiteral("--start-only")}); start >= 0)
            ourStarts.push_back(start);
        if (const double open = printedByProcess(openInWindow, {longPath}); open >= 0)
            windowOpens.push_back(open);
    }
    const double ourOpen = median(ourOpens), theirOpen = median(theirOpens);

    out << "pages drawn: the first " << pages << " of " << pagesPath << ", " << kDrawRounds << " rounds\n"
        << "document opened: " << longPath << " (" << longPages << " pages), " << kOpenRuns << " runs\n"
        << "page render at " << figure(*pagesScale * 72, 0) << " dpi: ours " << figure(ourPage) << " ms, mutool draw "
        << figure(theirPage) << " ms, ratio " << figure(ourPage / theirPage, 2) << " (target 1.3)\n"
        << "open " << longPages << " pages to first page: ours " << figure(ourOpen) << " ms, mutool draw "
        << figure(theirOpen) << " ms, ratio " << figure(ourOpen / theirOpen, 2) << " (target 1.5)\n"
        << "  of which starting the process: ours " << figure(median(ourStarts)) << " ms, mutool "
        << figure(median(theirStarts)) << " ms\n";
    // In the window the clock starts at the open command, so mutool's figure is its run less
    // its start-up.
    if (!windowOpens.empty()) {
        const double windowOpen = median(windowOpens);
        const double theirOpenAlone = theirOpen - median(theirStarts);
        out << "open " << longPages << " pages in the window to its first drawn page: ours " << figure(windowOpen)
            << " ms, mutool draw " << figure(theirOpenAlone) << " ms (its run less its start-up), ratio "
            << figure(windowOpen / theirOpenAlone, 2) << " (target 1.5)\n";
    } else {
        err << "render-benchmark: " << openInWindow << " did not run\n";
    }
    if (theirPage < kCoarsePageMs)
        out << "note: mutool times pages in whole milliseconds; pages this light make a rough ratio\n";
    return 0;
}
