// Preparing pages for listening as the speaking loop does while reading through a long
// document, against MuPDF's own text extraction of each page (what `mutool draw -F txt`
// does), measured in the same run, best of three rounds for every page. Prints the median and
// the worst cost of one page as ratios.
#include "benchmarkstatistics.h"
#include "platform/mupdf/mupdfservice.h"
#include "text/pageanalyzer.h"

#include <mupdf/fitz.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

constexpr int kRounds = 3;

std::vector<double> mupdfSecondsPerPageOnce(const QString &path);

// What `mutool draw -F txt` does for one page, in this process so that neither process start
// nor file opening is counted: load the page, extract its structured text, print it as text.
std::vector<double> mupdfSecondsPerPage(const QString &path)
{
    std::vector<double> best;
    for (int round = 0; round < kRounds; ++round) {
        const std::vector<double> seconds = mupdfSecondsPerPageOnce(path);
        if (best.empty())
            best = seconds;
        for (size_t i = 0; i < best.size() && i < seconds.size(); ++i)
            best[i] = std::min(best[i], seconds[i]);
    }
    return best;
}

std::vector<double> mupdfSecondsPerPageOnce(const QString &path)
{
    std::vector<double> seconds;
    fz_context *ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx)
        return seconds;
    fz_register_document_handlers(ctx);
    const QByteArray name = path.toLocal8Bit();
    fz_document *document = nullptr;
    fz_output *sink = nullptr;
    fz_var(document);
    fz_var(sink);
    fz_try (ctx) {
        document = fz_open_document(ctx, name.constData());
        sink = fz_new_output_with_buffer(ctx, fz_new_buffer(ctx, 1 << 16));
        const int count = fz_count_pages(ctx, document);
        seconds.resize(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            QElapsedTimer timer;
            timer.start();
            fz_page *page = fz_load_page(ctx, document, i);
            fz_stext_page *text = fz_new_stext_page_from_page(ctx, page, nullptr);
            fz_print_stext_page_as_text(ctx, sink, text);
            fz_drop_stext_page(ctx, text);
            fz_drop_page(ctx, page);
            seconds[static_cast<size_t>(i)] = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        }
        fz_close_output(ctx, sink);
    }
    fz_always (ctx) {
        fz_drop_output(ctx, sink);
        fz_drop_document(ctx, document);
    }
    fz_catch (ctx)
        seconds.clear();
    fz_drop_context(ctx);
    return seconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: page-preparation-benchmark FILE.pdf\n";
        return 2;
    }
    const QString path = app.arguments().at(1);
    const auto document = narrata::MuPDFService().openFile(path);
    if (!document || document->pageCount() < 20) {
        QTextStream(stderr) << "page-preparation-benchmark: " << path << " is not a PDF of 20 pages or more\n";
        return 2;
    }

    // Read through the document the way the loop asks for pages: each preparation starts
    // after the last sentence of the page before, and the analyzer lives for the whole run.
    // Three rounds on a freshly opened document each; every page keeps its best time.
    std::vector<double> costs;
    for (int round = 0; round < kRounds; ++round) {
        const auto fresh = narrata::MuPDFService().openFile(path);
        narrata::PageAnalyzer analyzer(*fresh);
        const narrata::ContentPreparationOptions options{false, true, true};
        narrata::SentenceRecord last{QString(), {}, -1};
        QElapsedTimer timer;
        for (size_t step = 0;; ++step) {
            timer.start();
            const std::vector<narrata::SentenceRecord> next = analyzer.prepareContentAfter(last, options);
            const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
            if (next.empty())
                break;
            const double perPage = seconds / static_cast<double>(next.front().pageIndex - last.pageIndex);
            if (step == costs.size())
                costs.push_back(perPage);
            costs[step] = std::min(costs[step], perPage);
            last = next.back();
        }
    }
    const std::vector<double> reference = mupdfSecondsPerPage(path);
    if (costs.empty() || reference.empty()) {
        QTextStream(stderr) << "page-preparation-benchmark: nothing to measure in " << path << '\n';
        return 2;
    }
    const double ourMedian = median(costs), ourWorst = *std::max_element(costs.begin(), costs.end());
    const double theirMedian = median(reference), theirWorst = *std::max_element(reference.begin(), reference.end());
    out << "document: " << path << " (" << document->pageCount() << " pages, " << costs.size() << " prepared)\n"
        << "MuPDF text extraction of a page: median " << theirMedian * 1000 << " ms, worst " << theirWorst * 1000
        << " ms\n"
        << "preparing a page for listening: median " << ourMedian * 1000 << " ms, worst " << ourWorst * 1000 << " ms\n"
        << "ratio, median: " << QString::number(ourMedian / theirMedian, 'f', 2) << " (target: at most 2)\n"
        << "ratio, worst:  " << QString::number(ourWorst / theirWorst, 'f', 2) << " (target: at most 6)\n";
    return 0;
}
