// Building the text layer of every page of a document, against MuPDF's own text
// extraction (`mutool draw -F txt`) of the same pages, measured in the same run.
#include "benchmarkstatistics.h"
#include "platform/mupdf/mupdfservice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

constexpr int kRounds = 5;

// Opens the document anew and builds every page's text layer; seconds, or -1 on failure.
double timeTextLayers(const QString &path, qint64 &characters)
{
    QElapsedTimer timer;
    timer.start();
    const auto document = narrata::MuPDFService().openFile(path);
    if (!document)
        return -1;
    characters = 0;
    for (int i = 0; i < document->pageCount(); ++i)
        characters += document->pageAtIndex(i)->string().size();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double timeMutool(const QString &path)
{
    QElapsedTimer timer;
    timer.start();
    QProcess mutool;
    mutool.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    mutool.start(QStringLiteral("mutool"),
        {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("txt"),
            QStringLiteral("-o"), QStringLiteral("/dev/null"), path});
    if (!mutool.waitForFinished(600000) || mutool.exitCode() != 0)
        return -1;
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: textlayer-benchmark FILE.pdf\n";
        return 2;
    }
    const QString path = app.arguments().at(1);

    std::vector<double> ours, theirs;
    qint64 characters = 0;
    for (int round = 0; round < kRounds; ++round) {
        // Interleaved, so that both see the same machine load and a warm file cache.
        const double mutool = timeMutool(path);
        const double layers = timeTextLayers(path, characters);
        if (mutool < 0 || layers < 0) {
            QTextStream(stderr) << "textlayer-benchmark: cannot read " << path << '\n';
            return 2;
        }
        theirs.push_back(mutool);
        ours.push_back(layers);
    }
    const double ratio = median(ours) / median(theirs);
    out << "document: " << path << " (" << characters << " characters)\n"
        << "text layer, every page: " << median(ours) << " s (median of " << kRounds << ")\n"
        << "mutool draw -F txt:     " << median(theirs) << " s (median of " << kRounds << ")\n"
        << "ratio: " << QString::number(ratio, 'f', 2) << " (target: at most 1.3)\n";
    return 0;
}
