#include "speechsetup.h"

#include "clierror.h"

#include "platform/audio/nulloutput.h"
#include "platform/audio/pulseaudiooutput.h"
#include "platform/audio/wavfileoutput.h"
#include "platform/audiobook/temporaryfilebeside.h"
#include "platform/espeak/espeakengine.h"
#include "platform/espeak/espeakspeechservice.h"
#include "platform/flite/flitespeechservice.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "platform/speechd/speechdispatcherspeechservice.h"
#include "settings/registereddefaults.h"

#include <algorithm>
#include <mutex>

namespace narrata::cli {

namespace {

// The sound server's streams, the first opened up front to find out whether there is one.
// `quiet`: the voice asked for is the speech daemon's, which plays it itself.
AudioOutputFactory soundServerOutputs(QTextStream &err, bool quiet)
{
    std::shared_ptr<AudioOutput> first = PulseAudioOutput::open();
    if (!first) {
        if (!quiet)
            err << "narrata-cli: no sound device; reading on in silence, at the pace of speech\n";
        err.flush();
        return [] { return std::make_shared<NullOutput>(); };
    }
    return PulseAudioOutput::streams(std::move(first));
}

} // namespace

const std::chrono::milliseconds kSpeechDaemonWait(10000);

std::future<void> startSpeechEngine()
{
    return std::async(std::launch::async, [] { EspeakEngine::instance(); });
}

// The recording, which also notes where each utterance that ran to its end stopped.
class MarkedRecording final : public AudioOutput {
public:
    explicit MarkedRecording(std::shared_ptr<WavFileOutput> wav)
        : m_wav(std::move(wav))
    {
    }
    bool write(const std::int16_t *samples, std::size_t count, const AudioFormat &format) override
    {
        if (!m_wav->write(samples, count, format))
            return false;
        const std::lock_guard lock(m_mutex);
        m_frames += static_cast<qint64>(count) / std::max(1, format.channels);
        return true;
    }
    void drain() override
    {
        const std::lock_guard lock(m_mutex);
        m_ends.push_back(m_frames);
    }
    void discard() override { }
    QString description() const override { return m_wav->description(); }
    std::vector<qint64> ends() const
    {
        const std::lock_guard lock(m_mutex);
        return m_ends;
    }

private:
    std::shared_ptr<WavFileOutput> m_wav;
    mutable std::mutex m_mutex;
    qint64 m_frames = 0;
    std::vector<qint64> m_ends;
};

SpeechSetup::SpeechSetup(const QString &wavPath, QTextStream &err, const QString &voice)
{
    // Without a voice given the stored one speaks, as in the window.
    const QString asked
        = voice.isEmpty() ? QSettingsDefaultsStore().stringForKey(settingskeys::kNarrataTTSVoiceSelected) : voice;
    const bool daemonVoice = voiceBackend(asked) == QLatin1String("speechd");
    if (daemonVoice && !wavPath.isEmpty()) {
        const QString why
            = QStringLiteral("is spoken by the speech-dispatcher daemon, which hands back no audio to record");
        if (!voice.isEmpty())
            throw CliError(QStringLiteral("%1 %2: choose an espeak-ng or flite voice (narrata-cli voices lists them)")
                               .arg(asked, why));
        err << "narrata-cli: the voice chosen in the window (" << asked << ") " << why
            << "; recording with the default voice\n";
    }
    AudioOutputFactory outputs;
    if (!wavPath.isEmpty()) {
        QString error;
        m_temporary = std::make_unique<TemporaryFileBeside>(wavPath, &error);
        if (!m_temporary->path().isEmpty())
            m_wav = WavFileOutput::create(m_temporary->path(), &error);
        if (!m_wav)
            throw CliError(QStringLiteral("%1: cannot write the WAV file: %2").arg(wavPath, error));
        m_recording = std::make_shared<MarkedRecording>(m_wav);
        outputs = [recording = m_recording] { return recording; };
    } else {
        outputs = soundServerOutputs(err, daemonVoice);
    }
    auto espeak = EspeakSpeechService::create(outputs);
    if (!espeak)
        throw CliError(QStringLiteral("espeak-ng cannot start: its voice data (espeak-ng-data) is missing"));
    m_service = withFliteVoices(std::move(espeak), outputs);
    // The daemon only when one of its voices is to speak: reaching it may start it, which costs
    // the first word tens of milliseconds.
    if (daemonVoice && wavPath.isEmpty())
        m_service = withSpeechDispatcherVoices(std::move(m_service), kSpeechDaemonWait);
}

SpeechSetup::~SpeechSetup() = default;

std::optional<double> SpeechSetup::recordedSeconds() const
{
    return m_wav ? std::optional(m_wav->recordedSeconds()) : std::nullopt;
}

bool SpeechSetup::saveWav(QString *error)
{
    if (!m_wav)
        return true;
    if (!m_wav->close()) {
        *error = QStringLiteral("the file could not be closed");
        return false;
    }
    return m_temporary->commit(error);
}

std::vector<qint64> SpeechSetup::utteranceEnds() const
{
    return m_recording ? m_recording->ends() : std::vector<qint64>{};
}

QString SpeechSetup::recordingPath() const
{
    return m_temporary ? m_temporary->path() : QString();
}

} // namespace narrata::cli
