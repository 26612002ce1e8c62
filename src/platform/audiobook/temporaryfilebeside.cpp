#include "temporaryfilebeside.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace narrata {

TemporaryFileBeside::TemporaryFileBeside(const QString &chosenPath, QString *error)
    : m_chosenPath(chosenPath)
{
    const QFileInfo chosen(chosenPath);
    QTemporaryFile temporary(chosen.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(chosen.fileName())));
    temporary.setAutoRemove(false);
    if (!temporary.open()) {
        if (error)
            *error = temporary.errorString();
        return;
    }
    m_path = temporary.fileName();
    temporary.close();
    // A temporary file is the owner's alone; the saved one is as any new file would be.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(m_path).constData(), 0666 & ~mask);
}

TemporaryFileBeside::~TemporaryFileBeside()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

bool TemporaryFileBeside::commit(QString *error)
{
    if (m_path.isEmpty()
        || std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(m_chosenPath).constData()) != 0) {
        if (error)
            *error = m_path.isEmpty() ? QStringLiteral("no file was written")
                                      : QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    m_path.clear();
    return true;
}

} // namespace narrata
