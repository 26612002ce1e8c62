// The silence between sentences while reading: from the last sample of one sentence to the
// first sample of the next, within a page and across a page turn, through the real speaking
// loop and page analysis, for each live backend: espeak-ng and flite into silence paced like
// speech (the run takes as long as listening would), and, where a daemon of the benchmark's own
// starts, speech-dispatcher's espeak-ng module, measured from the daemon's report that one
// message ended to its report that the next began (it hands back no samples).
#include "benchmarkstatistics.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/flite/flitespeechservice.h"
#include "platform/mupdf/mupdfservice.h"
#include "platform/speechd/speechdispatcherspeechservice.h"
#include "speech/pagecontent.h"
#include "speech/speakingloop.h"
#include "support/pdffixture.h"
#include "support/privatespeechdaemon.h"
#include "timingoutput.h"

#include <QCoreApplication>
#include <QTextStream>

#include <algorithm>
#include <chrono>

namespace {

constexpr double kTargetMilliseconds = 50;

class BenchView final : public narrata::ReadingView {
public:
    void selectSentence(const narrata::SentenceRecord &s) override { pages.push_back(s.pageIndex); }
    qint64 currentPageIndex() const override { return pages.empty() ? 0 : pages.back(); }

    std::vector<qint64> pages;
};

// Short pages, so that page turns come often: a running head, three sentences, a number.
QByteArray shortPages()
{
    const QStringList places{QStringLiteral("mill"), QStringLiteral("ferry"), QStringLiteral("bridge"),
        QStringLiteral("church"), QStringLiteral("harbour")};
    narrata::testing::PdfFixture fixture;
    for (int page = 0; page < places.size(); ++page)
        fixture.addPage(narrata::testing::textPage({QStringLiteral("A Short Sample Book"), QString(),
            QStringLiteral("The river ran past the %1.").arg(places[page]),
            QStringLiteral("Thomas wrote down the name of the %1.").arg(places[page]),
            QStringLiteral("Margaret found a map of the %1.").arg(places[page]), QString(), QString(),
            QString::number(page + 1)}));
    return fixture.bytes();
}

} // namespace

// Reads the document with one voice of the service and prints the gaps the times show.
static int measure(const char *backend, const QString &voice, narrata::SpeechService &speech, const SampleTimes &times,
    const narrata::PDFDocument &document, QTextStream &out)
{
    BenchView view;
    narrata::PageContent content;
    content.setDocument(&document);
    narrata::SpeechTextPath textPath;
    narrata::ReadingProgress progress;
    narrata::ReadingSession session;
    narrata::SpeechSetFilter filter;
    narrata::SpeakingLoop loop({speech, view, content, filter, textPath, progress, session});
    loop.ttsVoice = voice;
    loop.ttsRate = 400; // the gaps do not depend on the rate; the run is shorter
    loop.reloadSpeechSynthesizer();
    loop.readingEnded = [] { QCoreApplication::quit(); };
    out << backend << " (" << voice << ")\n";
    loop.loadSpeechSet(content.sentencesFromPage(0));
    if (loop.speechSet().empty()) {
        QTextStream(stderr) << "reading-gap-benchmark: the sample has nothing to read\n";
        return 2;
    }
    QCoreApplication::exec();

    std::vector<double> withinPage, acrossPages;
    for (size_t i = 0; i + 1 < times.firsts.size() && i < times.lasts.size() && i + 1 < view.pages.size(); ++i) {
        const double gap = std::chrono::duration<double, std::milli>(times.firsts[i + 1] - times.lasts[i]).count();
        (view.pages[i + 1] != view.pages[i] ? acrossPages : withinPage).push_back(gap);
    }
    const auto report = [&](const char *what, const std::vector<double> &gaps) {
        const double worst = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
        out << "  " << what << ": " << gaps.size() << " gaps, median " << QString::number(median(gaps), 'f', 1)
            << " ms, worst " << QString::number(worst, 'f', 1)
            << " ms; worst against the 50 ms target: " << QString::number(worst / kTargetMilliseconds, 'f', 2)
            << " (at most 1)\n";
    };
    out << "  sentences spoken: " << view.pages.size() << '\n';
    report("within a page", withinPage);
    report("across a page turn", acrossPages);
    return 0;
    ;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const auto document = narrata::MuPDFService().openData(shortPages());
    auto output = std::make_shared<TimingOutput>();
    const narrata::AudioOutputFactory outputs = [output] { return output; };
    auto espeak = narrata::EspeakSpeechService::create(outputs);
    if (!document || !espeak) {
        QTextStream(stderr) << "reading-gap-benchmark: cannot set up the document or espeak-ng\n";
        return 2;
    }
    const auto speech = narrata::withFliteVoices(std::move(espeak), outputs);
    for (const QString &voice : {speech->defaultVoice(), QStringLiteral("flite:slt")}) {
        output->times->firsts.clear();
        output->times->lasts.clear();
        if (const int status
            = measure(qPrintable(narrata::voiceBackend(voice)), voice, *speech, *output->times, *document, out))
            return status;
    }

    const narrata::PrivateSpeechDaemon daemon;
    if (!daemon.problem().isEmpty()) {
        out << "speechd: skipped, " << daemon.problem() << '\n';
        return 0;
    }
    auto connection = std::make_shared<narrata::SpeechDispatcherConnection>();
    SampleTimes events;
    connection->setObserver([&events](bool begins) {
        const std::lock_guard lock(events.mutex);
        (begins ? events.firsts : events.lasts).push_back(Clock::now());
    });
    connection->waitForVoices(std::chrono::seconds(30));
    narrata::SpeechDispatcherSpeechService daemonSpeech(connection);
    const QString voice = QStringLiteral("speechd:espeak-ng:English (America)");
    if (!daemonSpeech.availableVoices().contains(voice)) {
        out << "speechd: skipped, its espeak-ng module offers no " << voice << '\n';
        return 0;
    }
    return measure(
        "speechd, from the daemon's end report to its next begin report", voice, daemonSpeech, events, *document, out);
}
