#pragma once

#include "platform/settingsstores/qsettingsdefaultsstore.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace narrata::testing {

// Settings files in a temporary folder.
class SettingsFolder {
public:
    QString path(const QString &name = QStringLiteral("Narrata.conf")) const { return m_dir.filePath(name); }

    QByteArray contents(const QString &name = QStringLiteral("Narrata.conf")) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void write(const QByteArray &data, const QString &name = QStringLiteral("Narrata.conf")) const
    {
        QFile file(path(name));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(data);
    }

    // A store on a byte copy of the file. Within one process QSettings keeps what it read and
    // wrote per file name, so only a new name shows what the file's text holds.
    std::unique_ptr<QSettingsDefaultsStore> reopenCopy(const QString &name = QStringLiteral("Narrata.conf"))
    {
        const QString copy = path(QStringLiteral("copy%1-%2").arg(++m_copies).arg(name));
        QFile::copy(path(name), copy);
        return std::make_unique<QSettingsDefaultsStore>(copy);
    }

private:
    QTemporaryDir m_dir;
    int m_copies = 0;
};

} // namespace narrata::testing
