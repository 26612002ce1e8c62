#pragma once

#include <QString>

namespace narrata {

// A file written under a hidden temporary name in the folder of the file it will become, so
// that the rename at the end stays on one file system and replaces the old file in one step.
// Until commit() the chosen name is left as it was; a temporary file not committed is removed.
class TemporaryFileBeside {
public:
    // An empty path() when the folder cannot take a new file (error says why).
    explicit TemporaryFileBeside(const QString &chosenPath, QString *error = nullptr);
    ~TemporaryFileBeside();
    TemporaryFileBeside(const TemporaryFileBeside &) = delete;
    TemporaryFileBeside &operator=(const TemporaryFileBeside &) = delete;

    const QString &path() const { return m_path; }
    // Gives the file its chosen name; false, saying why, when it could not.
    bool commit(QString *error);

private:
    QString m_chosenPath;
    QString m_path;
};

} // namespace narrata
