#include "clierror.h"
#include "commands.h"

#include "platform/speech/espeakspeechservice.h"
#include "platform/speech/nulloutput.h"

namespace narrata::cli {

// narrata-cli voices: every voice with its attributes, the default one marked.
int runVoicesCommand(const QStringList &arguments, QTextStream &out, QTextStream &)
{
    if (!arguments.isEmpty())
        throw CliError(QStringLiteral("usage: narrata-cli voices"));
    const auto service = EspeakSpeechService::create([] { return std::make_shared<NullOutput>(); });
    if (!service)
        throw CliError(QStringLiteral("espeak-ng cannot start: its voice data (espeak-ng-data) is missing"));
    const QString defaultVoice = service->defaultVoice();
    for (const QString &voice : service->availableVoices()) {
        const VoiceAttributes attributes = service->attributesForVoice(voice);
        out << (voice == defaultVoice ? "* " : "  ") << voice << '\t' << attributes.name << '\t'
            << attributes.localeIdentifier << "\tage " << attributes.age << (attributes.novelty ? "\tnovelty" : "")
            << '\n';
    }
    return 0;
}

} // namespace narrata::cli
