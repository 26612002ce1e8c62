#include "speechsetup.h"

#include "clierror.h"

#include "platform/espeak/espeakspeechservice.h"
#include "platform/espeak/nulloutput.h"
#include "platform/espeak/pulseaudiooutput.h"
#include "platform/espeak/wavfileoutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

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

SpeechSetup::SpeechSetup(const QString &wavPath, QTextStream &err)
    : m_wavPath(wavPath)
{
    AudioOutputFactory outputs;
    if (!wavPath.isEmpty()) {
        // A name of our own beside the chosen one, so that the rename at the end stays on one
        // file system and replaces the old file in one step.
        const QFileInfo chosen(wavPath);
        QTemporaryFile temporary(chosen.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(chosen.fileName())));
        temporary.setAutoRemove(false);
        QString error;
        if (temporary.open()) {
            m_temporaryPath = temporary.fileName();
            temporary.close();
            // A temporary file is the owner's alone; the saved one is as any new file would be.
            const mode_t mask = ::umask(0);
            ::umask(mask);
            ::chmod(QFile::encodeName(m_temporaryPath).constData(), 0666 & ~mask);
            m_wav = WavFileOutput::create(m_temporaryPath, &error);
        } else {
            error = temporary.errorString();
        }
        if (!m_wav)
            throw CliError(QStringLiteral("%1: cannot write the WAV file: %2").arg(wavPath, error));
        outputs = [wav = m_wav] { return wav; };
    } else {
        outputs = soundServerOutputs(err);
    }
    m_service = EspeakSpeechService::create(outputs);
    if (!m_service)
        throw CliError(QStringLiteral("espeak-ng cannot start: its voice data (espeak-ng-data) is missing"));
}

SpeechSetup::~SpeechSetup()
{
    if (!m_temporaryPath.isEmpty())
        QFile::remove(m_temporaryPath);
}

std::optional<double> SpeechSetup::recordedSeconds() const
{
    return m_wav ? std::optional(m_wav->recordedSeconds()) : std::nullopt;
}

bool SpeechSetup::saveWav(QString *error)
{
    if (!m_wav)
        return true;
    const bool closed = m_wav->close();
    if (!closed
        || ::rename(QFile::encodeName(m_temporaryPath).constData(), QFile::encodeName(m_wavPath).constData()) != 0) {
        *error = closed ? qt_error_string(errno) : QStringLiteral("the file could not be closed");
        return false;
    }
    m_temporaryPath.clear();
    return true;
}

} // namespace narrata::cli
