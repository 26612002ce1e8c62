// The silence between sentences while reading: from the last sample of one sentence to the
// first sample of the next, within a page and across a page turn, through the real speaking
// loop, page analysis and espeak-ng. Sound goes to silence paced like speech, so the run takes
// as long as listening would.
#include "benchmarkstatistics.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/mupdf/mupdfservice.h"
#include "speech/pagecontent.h"
#include "speech/speakingloop.h"
#include "support/pdffixture.h"
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

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const auto document = narrata::MuPDFService().openData(shortPages());
    auto output = std::make_shared<TimingOutput>();
    auto speech = narrata::EspeakSpeechService::create([output] { return output; });
    if (!document || !speech) {
        QTextStream(stderr) << "reading-gap-benchmark: cannot set up the document or espeak-ng\n";
        return 2;
    }

    BenchView view;
    narrata::PageContent content;
    content.setDocument(document.get());
    narrata::SpeechTextPath textPath;
    narrata::ReadingProgress progress;
    narrata::ReadingSession session;
    narrata::SpeechSetFilter filter;
    narrata::SpeakingLoop loop({*speech, view, content, filter, textPath, progress, session});
    loop.ttsRate = 400; // the gaps do not depend on the rate; the run is shorter
    loop.reloadSpeechSynthesizer();
    loop.readingEnded = [] { QCoreApplication::quit(); };
    loop.loadSpeechSet(content.sentencesFromPage(0));
    if (loop.speechSet().empty()) {
        QTextStream(stderr) << "reading-gap-benchmark: the sample has nothing to read\n";
        return 2;
    }
    app.exec();

    std::vector<double> withinPage, acrossPages;
    for (size_t i = 0;
         i + 1 < output->times->firsts.size() && i < output->times->lasts.size() && i + 1 < view.pages.size(); ++i) {
        const double gap
            = std::chrono::duration<double, std::milli>(output->times->firsts[i + 1] - output->times->lasts[i]).count();
        (view.pages[i + 1] != view.pages[i] ? acrossPages : withinPage).push_back(gap);
    }
    const auto report = [&](const char *what, const std::vector<double> &gaps) {
        const double worst = gaps.empty() ? 0 : *std::max_element(gaps.begin(), gaps.end());
        out << what << ": " << gaps.size() << " gaps, median " << QString::number(median(gaps), 'f', 1) << " ms, worst "
            << QString::number(worst, 'f', 1)
            << " ms; worst against the 50 ms target: " << QString::number(worst / kTargetMilliseconds, 'f', 2)
            << " (at most 1)\n";
    };
    out << "sentences spoken: " << view.pages.size() << '\n';
    report("within a page", withinPage);
    report("across a page turn", acrossPages);
    return 0;
}
