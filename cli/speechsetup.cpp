#include "speechsetup.h"

#include "clierror.h"

#include "platform/espeak/espeakspeechservice.h"
#include "platform/espeak/nulloutput.h"
#include "platform/espeak/pulseaudiooutput.h"
#include "platform/espeak/wavfileoutput.h"

namespace narrata::cli {

namespace {

// Each synthesizer gets a stream of its own on the sound server (one being stopped may still
// be writing while its successor starts). The first stream is opened up front, to find out
// whether there is a sound server at all.
AudioOutputFactory soundServerOutputs(QTextStream &err)
{
    std::shared_ptr<AudioOutput> first = PulseAudioOutput::open();
    if (!first) {
        err << "narrata-cli: no sound device; reading on in silence, at the pace of speech\n";
        err.flush();
        return [] { return std::make_shared<NullOutput>(); };
    }
    return [first]() mutable -> std::shared_ptr<AudioOutput> {
        if (first)
            return std::exchange(first, nullptr);
        std::shared_ptr<AudioOutput> stream = PulseAudioOutput::open();
        return stream ? stream : std::make_shared<NullOutput>();
    };
}

} // namespace

std::unique_ptr<SpeechService> makeSpeechService(const QString &wavPath, QTextStream &err)
{
    AudioOutputFactory outputs;
    if (!wavPath.isEmpty()) {
        QString error;
        std::shared_ptr<AudioOutput> wav = WavFileOutput::create(wavPath, &error);
        if (!wav)
            throw CliError(QStringLiteral("%1: cannot write the WAV file: %2").arg(wavPath, error));
        outputs = [wav] { return wav; };
    } else {
        outputs = soundServerOutputs(err);
    }
    auto service = EspeakSpeechService::create(outputs);
    if (!service)
        throw CliError(QStringLiteral("espeak-ng cannot start: its voice data (espeak-ng-data) is missing"));
    return service;
}

} // namespace narrata::cli
