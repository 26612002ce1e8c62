#include "wordmappings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QtDebug>

#include <mutex>

// Outside the namespace: the macro declares the resource's initializer at global scope.
static void initSpeechResourcesOnce()
{
    Q_INIT_RESOURCE(speech);
}

namespace narrata {

void initSpeechResources()
{
    static std::once_flag once;
    std::call_once(once, initSpeechResourcesOnce);
}

QString wordMappingsFileName()
{
    return QStringLiteral("Word Mappings for Narrata.txt");
}

QString wordMappingsTemplateResource()
{
    return QStringLiteral(":/speech/") + wordMappingsFileName();
}

WordMappings parseWordMappings(const QString &text)
{
    WordMappings mappings;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (line.endsWith(u':'))
            mappings.insert(line.chopped(1), lines.at(i + 1));
    }
    return mappings;
}

WordMappingsFile::WordMappingsFile()
    : path_(defaultPath())
{
}

WordMappingsFile::WordMappingsFile(QString path)
    : path_(std::move(path))
{
}

QString WordMappingsFile::defaultPath()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty())
        return {};
    return QDir(folder).filePath(wordMappingsFileName());
}

bool WordMappingsFile::ensureExists() const
{
    if (path_.isEmpty())
        return false;
    if (QFileInfo::exists(path_))
        return true;
    initSpeechResources();
    QFile source(wordMappingsTemplateResource());
    if (!source.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = source.readAll();
    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return false;
    // Written rather than copied: a copy would carry the resource's read-only permissions.
    // Unbuffered: a full disk must show as a short write, not commit a cut-off file.
    QSaveFile target(path_);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || target.write(bytes) != bytes.size())
        return false;
    return target.commit();
}

std::optional<QString> WordMappingsFile::contents()
{
    if (override_) {
        if (std::optional<QString> text = override_())
            return text;
    }
    const QFileInfo info(path_);
    if (path_.isEmpty() || !info.exists())
        return std::nullopt;
    // Only a regular file of a sane size: reading a pipe would wait for ever, a device would
    // never end, and the file is read again before every sentence.
    if (!info.isFile()) {
        noteProblem(QStringLiteral("%1 is not a regular file; its word mappings are not used").arg(path_));
        return std::nullopt;
    }
    if (info.size() > kMaximumFileSize) {
        noteProblem(QStringLiteral("%1 is larger than 1 MB; its word mappings are not used").arg(path_));
        return std::nullopt;
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        noteProblem(QStringLiteral("cannot read %1: %2").arg(path_, file.errorString()));
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaximumFileSize);
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        noteProblem(QStringLiteral("%1 is not UTF-8 text; its word mappings are not used").arg(path_));
        return std::nullopt;
    }
    problem_.clear();
    return text;
}

bool WordMappingsFile::reload()
{
    // Read again only when the file changed: it is asked for before every sentence.
    const QFileInfo info(path_);
    const FileStamp stamp{info.exists(), info.size(), info.lastModified()};
    if (!override_ && readStamp_ && *readStamp_ == stamp)
        return false;
    // A file changed moments ago may change again within the same tick of the file system's
    // clock, size and all, unseen by the stamp: it is trusted only once it is a little older.
    const bool settled = stamp.modified.msecsTo(QDateTime::currentDateTime()) > kSettledMilliseconds;
    readStamp_ = settled ? std::optional<FileStamp>(stamp) : std::nullopt;
    const std::optional<QString> text = contents();
    if (!text)
        return false;
    WordMappings parsed = parseWordMappings(*text);
    if (parsed.isEmpty())
        return false;
    mappings_ = std::move(parsed);
    return true;
}

void WordMappingsFile::noteProblem(const QString &problem)
{
    if (problem == problem_)
        return;
    problem_ = problem;
    qWarning().noquote() << "Word mappings:" << problem;
}

} // namespace narrata
