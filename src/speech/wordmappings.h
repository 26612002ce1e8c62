#pragma once

#include <QDateTime>
#include <QMap>
#include <QString>

#include <functional>
#include <optional>

namespace narrata {

// Word → replacement, as the user's word mappings file declares them.
using WordMappings = QMap<QString, QString>;

// Registers the speech library's compiled-in resources (the word mappings template and the
// ligature word lists). Safe to call any number of times; the functions here that need the
// resources call it themselves.
void initSpeechResources();

// The file's name, in the application data folder.
QString wordMappingsFileName();
// The resource the file is created from when it is missing.
QString wordMappingsTemplateResource();

// Parses the text of a word mappings file. Lines are separated by LF. A line whose last
// character is ":" declares the word it holds without that colon, exactly; the line after it,
// whole, is the replacement (possibly empty) and is then examined in its own turn, so it may
// declare a word too. A declaring last line declares nothing, a line ending in CR never
// declares, and a word declared twice keeps its last replacement.
WordMappings parseWordMappings(const QString &text);

// The user's word mappings file and the mappings read from it last.
class WordMappingsFile {
public:
    // The file in the application data folder.
    WordMappingsFile();
    explicit WordMappingsFile(QString path);

    static QString defaultPath();
    const QString &path() const { return path_; }

    // Copies the template to the file's place when no file is there, creating the folder.
    // Returns whether a file exists there afterwards; a failed copy is not reported otherwise.
    bool ensureExists() const;

    // While set and returning a text, that text is read instead of the file (an editor showing
    // unsaved edits). Returning nothing falls back to the file.
    void setTextOverride(std::function<std::optional<QString>()> source) { override_ = std::move(source); }

    // The text the mappings are read from: the override's, else the file's contents if they are
    // valid UTF-8; nothing when there is no file or it cannot be read or decoded.
    std::optional<QString> contents();

    // Re-reads and re-parses the text. Returns true when the new mappings replaced the previous
    // ones; with no text, or a text declaring nothing, the previous mappings stay.
    bool reload();

    const WordMappings &mappings() const { return mappings_; }
    // The last problem met reading the file (unreadable, not UTF-8), empty once it reads again.
    // Each problem is logged once, not on every reload.
    const QString &problem() const { return problem_; }

    // Larger files are not read: "1 MB" in the message.
    static constexpr qint64 kMaximumFileSize = qint64(1024) * 1024;

private:
    static constexpr qint64 kSettledMilliseconds = 2000;
    struct FileStamp {
        bool exists = false;
        qint64 size = 0;
        QDateTime modified;
        friend bool operator==(const FileStamp &, const FileStamp &) = default;
    };
    void noteProblem(const QString &problem);

    QString path_;
    WordMappings mappings_;
    QString problem_;
    std::optional<FileStamp> readStamp_; // the file as it was when last read
    std::function<std::optional<QString>()> override_;
};

} // namespace narrata
