#include "audiobookencoder.h"

#include "temporaryfilebeside.h"

#include <QFile>
#include <QFileInfo>

#include <opusenc.h>
#include <sndfile.h>

#include <memory>
#include <vector>

namespace narrata {

namespace {

// Speech needs far less than music: 32 kbit/s is about 14 MB an hour.
constexpr opus_int32 kOpusBitsPerSecond = 32000;
// Low complexity costs a little quality at this rate and makes encoding several times faster.
constexpr int kOpusComplexity = 3;
constexpr sf_count_t kFramesPerBlock = 16384;

struct SndfileCloser {
    void operator()(SNDFILE *file) const { sf_close(file); }
};
using Sndfile = std::unique_ptr<SNDFILE, SndfileCloser>;
struct OpusEncoderDestroyer {
    void operator()(OggOpusEnc *encoder) const { ope_encoder_destroy(encoder); }
};
struct OpusCommentsDestroyer {
    void operator()(OggOpusComments *comments) const { ope_comments_destroy(comments); }
};

QString timestamp(qint64 sample, int sampleRate)
{
    const qint64 milliseconds = sample * 1000 / sampleRate;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(milliseconds / 3600000, 2, 10, QLatin1Char('0'))
        .arg(milliseconds / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(milliseconds % 1000, 3, 10, QLatin1Char('0'));
}

// Reads the recording block by block into `consume`, telling `progress`; false when cancelled
// or when `consume` failed.
bool pump(SNDFILE *recording, sf_count_t frames, int channels, const std::function<bool(const short *, int)> &consume,
    const std::function<bool(double)> &progress)
{
    std::vector<short> block(static_cast<size_t>(kFramesPerBlock * channels));
    sf_count_t done = 0;
    while (done < frames) {
        const sf_count_t read = sf_readf_short(recording, block.data(), kFramesPerBlock);
        if (read <= 0)
            break;
        if (!consume(block.data(), static_cast<int>(read)))
            return false;
        done += read;
        if (progress && !progress(static_cast<double>(done) / static_cast<double>(frames)))
            return false;
    }
    return true;
}

bool encodeOpus(SNDFILE *recording, const SF_INFO &info, const AudiobookDescription &description, const QString &path,
    QString *error, const std::function<bool(double)> &progress)
{
    const std::unique_ptr<OggOpusComments, OpusCommentsDestroyer> comments(ope_comments_create());
    const auto add = [&comments](const char *tag, const QString &value) {
        if (!value.isEmpty())
            ope_comments_add(comments.get(), tag, value.toUtf8().constData());
    };
    add("TITLE", description.title);
    add("ARTIST", description.author);
    // Chapters as Ogg chapter comments: CHAPTER001=00:00:00.000 and CHAPTER001NAME=...
    for (size_t i = 0; i < description.chapters.size(); ++i) {
        const QByteArray key = QStringLiteral("CHAPTER%1").arg(i + 1, 3, 10, QLatin1Char('0')).toLatin1();
        add(key.constData(), timestamp(description.chapters[i].startSample, info.samplerate));
        add((key + "NAME").constData(), description.chapters[i].title);
    }
    int status = OPE_OK;
    const std::unique_ptr<OggOpusEnc, OpusEncoderDestroyer> encoder(ope_encoder_create_file(
        QFile::encodeName(path).constData(), comments.get(), info.samplerate, info.channels, 0, &status));
    if (!encoder || status != OPE_OK) {
        *error = QString::fromUtf8(ope_strerror(status));
        return false;
    }
    ope_encoder_ctl(encoder.get(), OPUS_SET_BITRATE(kOpusBitsPerSecond));
    ope_encoder_ctl(encoder.get(), OPUS_SET_SIGNAL(OPUS_SIGNAL_VOICE));
    ope_encoder_ctl(encoder.get(), OPUS_SET_COMPLEXITY(kOpusComplexity));
    const bool pumped = pump(
        recording, info.frames, info.channels,
        [&](const short *samples, int frames) {
            status = ope_encoder_write(encoder.get(), samples, frames);
            return status == OPE_OK;
        },
        progress);
    if (pumped)
        status = ope_encoder_drain(encoder.get());
    if (status != OPE_OK)
        *error = QString::fromUtf8(ope_strerror(status));
    return pumped && status == OPE_OK;
}

int sndfileFormat(AudiobookFormat format, const SF_INFO &recording)
{
    switch (format) {
    case AudiobookFormat::Flac:
        return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case AudiobookFormat::Mp3:
        return SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    case AudiobookFormat::Wav:
    case AudiobookFormat::Opus:
        break;
    }
    // A plain WAV file, which every program reads, while its sizes fit; RF64 past 4 GiB.
    const qint64 bytes = static_cast<qint64>(recording.frames) * recording.channels * 2;
    return (bytes < (qint64(1) << 32) - 1024 ? SF_FORMAT_WAV : SF_FORMAT_RF64) | SF_FORMAT_PCM_16;
}

bool encodeWithSndfile(SNDFILE *recording, const SF_INFO &info, AudiobookFormat format,
    const AudiobookDescription &description, const QString &path, QString *error,
    const std::function<bool(double)> &progress)
{
    SF_INFO outputInfo{};
    outputInfo.samplerate = info.samplerate;
    outputInfo.channels = info.channels;
    outputInfo.format = sndfileFormat(format, info);
    const Sndfile output(sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &outputInfo));
    if (!output) {
        *error = QString::fromUtf8(sf_strerror(nullptr));
        return false;
    }
    if (!description.title.isEmpty())
        sf_set_string(output.get(), SF_STR_TITLE, description.title.toUtf8().constData());
    if (!description.author.isEmpty())
        sf_set_string(output.get(), SF_STR_ARTIST, description.author.toUtf8().constData());
    const bool pumped = pump(
        recording, info.frames, info.channels,
        [&](const short *samples, int frames) { return sf_writef_short(output.get(), samples, frames) == frames; },
        progress);
    if (!pumped && sf_error(output.get()) != SF_ERR_NO_ERROR)
        *error = QString::fromUtf8(sf_strerror(output.get()));
    else if (!pumped)
        *error = QStringLiteral("cancelled");
    return pumped;
}

} // namespace

std::optional<AudiobookFormat> audiobookFormatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("opus"))
        return AudiobookFormat::Opus;
    if (suffix == QLatin1String("flac"))
        return AudiobookFormat::Flac;
    if (suffix == QLatin1String("mp3"))
        return AudiobookFormat::Mp3;
    if (suffix == QLatin1String("wav"))
        return AudiobookFormat::Wav;
    return std::nullopt;
}

bool encodeAudiobook(const QString &recordingPath, AudiobookFormat format, const AudiobookDescription &description,
    const QString &outputPath, QString *error, const std::function<bool(double fraction)> &progress)
{
    SF_INFO info{};
    const Sndfile recording(sf_open(QFile::encodeName(recordingPath).constData(), SFM_READ, &info));
    if (!recording) {
        *error = QStringLiteral("cannot read the recording: %1").arg(QString::fromUtf8(sf_strerror(nullptr)));
        return false;
    }
    TemporaryFileBeside temporary(outputPath, error);
    if (temporary.path().isEmpty())
        return false;
    const bool encoded = format == AudiobookFormat::Opus
        ? encodeOpus(recording.get(), info, description, temporary.path(), error, progress)
        : encodeWithSndfile(recording.get(), info, format, description, temporary.path(), error, progress);
    return encoded && temporary.commit(error);
}

} // namespace narrata
