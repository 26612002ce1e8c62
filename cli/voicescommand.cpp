#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "speechsetup.h"

#include "platform/audio/nulloutput.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/flite/flitespeechservice.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "platform/speechd/speechdispatcherspeechservice.h"
#include "settings/registereddefaults.h"
#include "speech/pagecontent.h"
#include "speech/speakingloop.h"
#include "speech/voicecatalogue.h"

#include <algorithm>

namespace narrata::cli {

namespace {

// The loop is there only for the catalogue to restore the stored voice into; it never speaks.
class SilentView final : public ReadingView {
public:
    void selectSentence(const SentenceRecord &) override { }
    qint64 currentPageIndex() const override { return kNotFound; }
};

} // namespace

// narrata-cli voices [--all]: the voice menu as the reader offers it (filtered, titled and
// sorted, the chosen voice marked), or with --all every voice with its attributes.
int runVoicesCommand(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandLine line(arguments, {}, {QStringLiteral("--all")});
    if (!line.positional().isEmpty())
        throw CliError(QStringLiteral("usage: narrata-cli voices [--all]"));
    const AudioOutputFactory silence = [] { return std::make_shared<NullOutput>(); };
    auto espeak = EspeakSpeechService::create(silence);
    if (!espeak)
        throw CliError(QStringLiteral("espeak-ng cannot start: its voice data (espeak-ng-data) is missing"));
    std::unique_ptr<SpeechService> local = withFliteVoices(std::move(espeak), silence);
    const SpeechService *withoutDaemon = local.get();
    const auto service = withSpeechDispatcherVoices(std::move(local), kSpeechDaemonWait);
    // The daemon's service is kept only when it has voices or has not listed them yet.
    const QStringList voices = service->availableVoices();
    if (service.get() != withoutDaemon && std::none_of(voices.begin(), voices.end(), [](const QString &voice) {
            return voiceBackend(voice) == QLatin1String("speechd");
        }))
        err << "narrata-cli: the speech-dispatcher daemon did not list its voices within "
            << kSpeechDaemonWait.count() / 1000 << " s; they are left out\n";

    if (line.hasFlag(QStringLiteral("--all"))) {
        const QString defaultVoice = service->defaultVoice();
        for (const QString &voice : service->availableVoices()) {
            const VoiceAttributes attributes = service->attributesForVoice(voice);
            out << (voice == defaultVoice ? "* " : "  ") << voice << '\t' << attributes.name << '\t'
                << attributes.localeIdentifier << "\tage " << attributes.age << (attributes.novelty ? "\tnovelty" : "")
                << '\n';
        }
        return 0;
    }

    QSettingsDefaultsStore store;
    store.registerDefaults(registeredDefaults());
    if (!store.problem().isEmpty())
        err << "narrata-cli: " << store.problem() << '\n';
    SilentView view;
    SpeechSetFilter filter;
    SpeechTextPath textPath;
    ReadingProgress progress;
    ReadingSession session;
    PageContent noContent;
    SpeakingLoop loop({*service, view, noContent, filter, textPath, progress, session});
    VoiceCatalogue catalogue(*service, store);
    catalogue.prepareVoices(loop);
    const std::vector<VoiceMenuEntry> &entries = catalogue.entries();
    for (size_t i = 0; i < entries.size(); ++i)
        out << (static_cast<int>(i) == catalogue.selectedIndex() ? "* " : "  ") << entries[i].title << '\t'
            << entries[i].identifier << '\n';
    out << "rate: " << catalogue.rateLabel() << '\n';
    return 0;
}

} // namespace narrata::cli
