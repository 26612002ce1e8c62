// Smartening a dense page, which builds a selection code for every sentence, against cutting
// the same page into sentences, measured in the same run.
#include "benchmarkstatistics.h"
#include "platform/mupdf/mupdfservice.h"
#include "platform/speech/speechsynthesizer.h"
#include "speech/pagecontent.h"
#include "speech/speechsetsmartener.h"
#include "text/documentsentences.h"
#include "text/sentencesegmentation.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

namespace {

constexpr int kRounds = 50;

// An English voice, so that the pronounceable-text filter runs too.
class EnglishVoice final : public narrata::SpeechService {
public:
    QStringList availableVoices() const override { return {QStringLiteral("en-us")}; }
    QString defaultVoice() const override { return QStringLiteral("en-us"); }
    narrata::VoiceAttributes attributesForVoice(const QString &) const override
    {
        return {QStringLiteral("English"), QStringLiteral("en_US"), 35, false};
    }
    float defaultRate() const override { return 175; }
    narrata::RateRange rateRange() const override { return {175, 175}; }
    std::unique_ptr<narrata::SpeechSynthesizer> createSynthesizer(const QString &) override { return nullptr; }
};

template<typename Work> double medianSeconds(Work work)
{
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    return median(times);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: smartening-benchmark FILE.pdf\n";
        return 2;
    }
    const auto document = narrata::MuPDFService().openFile(app.arguments().at(1));
    if (!document) {
        QTextStream(stderr) << "smartening-benchmark: cannot read " << app.arguments().at(1) << '\n';
        return 2;
    }
    // The densest page: the most sentences.
    int densest = 0;
    size_t most = 0;
    for (int i = 0; i < document->pageCount(); ++i) {
        const size_t count = narrata::sentencesOnPageIndex(*document, i).size();
        if (count > most)
            most = count, densest = i;
    }
    const QString text = document->pageAtIndex(densest)->string();
    const std::vector<narrata::SentenceRecord> sentences = narrata::sentencesOnPageIndex(text, densest);

    const EnglishVoice voice;
    narrata::PageContent content;
    content.setDocument(document.get());
    narrata::SpeechSetSmartener smartener(
        voice, content, [] { return std::optional<QString>(QStringLiteral("en-us")); });
    smartener.options = {true, true, true}; // every filter, and the visual sort

    size_t kept = 0;
    const double segmenting = medianSeconds([&] { kept += narrata::sentencesOnPageIndex(text, densest).size(); });
    const double smartening = medianSeconds([&] { kept += smartener.smartenedSpeechSet(sentences).size(); });
    out << "page " << densest + 1 << ": " << sentences.size() << " sentences, " << text.size() << " characters\n"
        << "segmenting: " << segmenting * 1000 << " ms, smartening: " << smartening * 1000 << " ms (medians of "
        << kRounds << ")\n"
        << "ratio: " << QString::number(smartening / segmenting, 'f', 2) << " (target: at most 3)\n";
    return kept > 0 ? 0 : 1;
}
