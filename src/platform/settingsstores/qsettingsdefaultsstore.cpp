#include "qsettingsdefaultsstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStringDecoder>

#include <algorithm>

namespace narrata {

namespace {

// Long enough for another process's write to finish; a lock left by a crashed one is taken over.
constexpr int kLockTimeoutMilliseconds = 5000;

const QString kOrganization = QStringLiteral("Narrata");
const QString kApplication = QStringLiteral("Narrata");

QString displayPath(const QString &path)
{
    QString absolute = QFileInfo(path).absoluteFilePath();
    const QString home = QDir::homePath();
    if (home != QLatin1String("/") && absolute.startsWith(home + u'/'))
        return u'~' + absolute.mid(home.size());
    return absolute;
}

// QSettings drops slashes at the ends of a key, and takes an empty key to mean every key.
bool isUsableKey(const QString &key)
{
    return std::any_of(key.cbegin(), key.cend(), [](QChar ch) { return ch != u'/'; });
}

// A problem with a logical line of an INI file, or an empty string.
QString lineProblem(const QString &line, int lineNumber)
{
    const QString text = line.trimmed();
    if (text.isEmpty() || text.startsWith(u'#'))
        return {};
    if (text.startsWith(u'[')) {
        if (text.endsWith(u']'))
            return {};
        return QStringLiteral("the section name on line %1 is not closed").arg(lineNumber);
    }
    if (text.indexOf(u'=') > 0)
        return {};
    return QStringLiteral("line %1 is not a setting").arg(lineNumber);
}

// Why data is not an INI file; empty when it is one. Stricter than QSettings, which passes over
// most lines it cannot parse and would then write the file again without them. Lines are split
// as QSettings splits them: a backslash escapes the next character, a line break too; a line
// break inside quotation marks belongs to the value; a semicolon outside them starts a comment.
QString iniFormatProblem(const QByteArray &data)
{
    if (data.contains('\0'))
        return QStringLiteral("it is not a text file");
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(data);
    if (decoder.hasError())
        return QStringLiteral("it is not UTF-8 text");

    QString line;
    int lineNumber = 1; // the line the logical line in `line` began on
    int physicalLine = 1;
    int quoteLine = 0; // the line of an open quotation mark, 0 when none is open
    bool inComment = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\n')
            ++physicalLine;
        if (inComment && ch != u'\n' && ch != u'\r')
            continue;
        if (ch == u'\\' && i + 1 < text.size()) {
            const QChar escaped = text.at(++i);
            if (escaped == u'\n')
                ++physicalLine;
            line += ch;
            line += escaped;
        } else if ((ch == u'\n' || ch == u'\r') && quoteLine == 0) {
            if (QString problem = lineProblem(line, lineNumber); !problem.isEmpty())
                return problem;
            line.clear();
            inComment = false;
            lineNumber = physicalLine;
        } else if (ch == u';' && quoteLine == 0) {
            inComment = true;
        } else {
            if (ch == u'"')
                quoteLine = quoteLine == 0 ? physicalLine : 0;
            line += ch;
        }
    }
    if (quoteLine != 0)
        return QStringLiteral("the quotation mark on line %1 is not closed").arg(quoteLine);
    return lineProblem(line, lineNumber);
}

// Why the file at path cannot be used as a settings file; empty when it can. A missing file can:
// it is created on the first write.
QString fileProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    QString cannotRead = QStringLiteral("the settings file %1 cannot be read").arg(displayPath(path));
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return cannotRead;
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return cannotRead;
    if (const QString problem = iniFormatProblem(data); !problem.isEmpty())
        return cannotRead + QStringLiteral(": ") + problem;
    return {};
}

} // namespace

// The file is always read and written as IniFormat. Its name comes from the native format, which
// on Linux is that same INI text but names the file Narrata.conf where IniFormat says Narrata.ini.
QSettingsDefaultsStore::QSettingsDefaultsStore()
    : QSettingsDefaultsStore(
        QSettings(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication).fileName())
{
}

QSettingsDefaultsStore::QSettingsDefaultsStore(const QString &filePath)
    : m_fileName(filePath)
{
    read();
}

void QSettingsDefaultsStore::read()
{
    m_problem = fileProblem(m_fileName);
    if (!m_problem.isEmpty())
        return;
    const QSettings settings(m_fileName, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        m_problem = QStringLiteral("the settings file %1 cannot be read").arg(displayPath(m_fileName));
        return;
    }
    const QStringList keys = settings.allKeys();
    for (const QString &key : keys) {
        // "@Variant()" and other values QSettings cannot decode read as invalid: not set.
        if (const QVariant value = settings.value(key); value.isValid())
            m_values.insert(key, value);
    }
}

QVariant QSettingsDefaultsStore::value(const QString &key) const
{
    QVariant registered = m_registered.value(key);
    const auto found = m_values.constFind(key);
    if (found == m_values.cend())
        return registered;
    // INI text keeps no type for plain values: a stored true or 12.0 reads back as a string.
    // The registered default says which type the key holds.
    if (registered.isValid() && found->typeId() == QMetaType::QString && registered.metaType() != found->metaType()) {
        QVariant typed = *found;
        if (typed.convert(registered.metaType()))
            return typed;
    }
    return *found;
}

void QSettingsDefaultsStore::setValue(const QString &key, const QVariant &value)
{
    if (!isUsableKey(key))
        return;
    if (!value.isValid()) {
        removeValue(key);
        return;
    }
    m_values.insert(key, value);
    m_unwritten.insert(key, value);
}

void QSettingsDefaultsStore::removeValue(const QString &key)
{
    if (!isUsableKey(key))
        return;
    m_values.remove(key);
    m_unwritten.insert(key, QVariant());
}

bool QSettingsDefaultsStore::contains(const QString &key) const
{
    return m_values.contains(key);
}

void QSettingsDefaultsStore::registerDefaults(const QVariantMap &defaults)
{
    m_registered.insert(defaults);
}

QString QSettingsDefaultsStore::lockFileName() const
{
    // The lock lives beside the file, whose folder a first write creates. Not QSettings' own
    // "<file>.lock", which it takes inside sync() and would wait for.
    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    return m_fileName + QStringLiteral(".update-lock");
}

bool QSettingsDefaultsStore::synchronize()
{
    // A file that could not be read holds what the user had: it stays as it is.
    if (!m_problem.isEmpty())
        return false;
    if (m_unwritten.isEmpty())
        return true;
    // The window and narrata-cli share the file; a write waits for another one in progress.
    QLockFile lock(lockFileName());
    if (!lock.tryLock(kLockTimeoutMilliseconds))
        return false;
    // The file may have been changed by hand since it was read.
    if (!fileProblem(m_fileName).isEmpty())
        return false;
    // A new QSettings for every write: its status() stays at the first error it meets, so one
    // kept for the store's lifetime could not tell a later success from an earlier failure.
    QSettings settings(m_fileName, QSettings::IniFormat);
    return writeUnwritten(settings);
}

bool QSettingsDefaultsStore::writeUnwritten(QSettings &settings)
{
    if (settings.status() != QSettings::NoError)
        return false;
    for (auto change = m_unwritten.cbegin(); change != m_unwritten.cend(); ++change) {
        if (change->isValid())
            settings.setValue(change.key(), *change);
        else
            settings.remove(change.key());
    }
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return false;
    m_unwritten.clear();
    return true;
}

bool QSettingsDefaultsStore::updateMapEntries(const std::vector<MapEntryChange> &changes)
{
    bool usable = m_problem.isEmpty();
    for (const MapEntryChange &change : changes)
        usable = usable && isUsableKey(change.key);
    if (!usable)
        return DefaultsStore::updateMapEntries(changes); // in memory only
    QLockFile lock(lockFileName());
    if (!lock.tryLock(kLockTimeoutMilliseconds) || !fileProblem(m_fileName).isEmpty())
        return DefaultsStore::updateMapEntries(changes);
    // The maps as the file holds them now: another process may have changed other entries
    // since this one read the file.
    QSettings settings(m_fileName, QSettings::IniFormat);
    for (const MapEntryChange &change : changes) {
        const QVariantMap map = changedMap(settings.value(change.key).toMap(), change);
        m_values.insert(change.key, map);
        m_unwritten.insert(change.key, map);
    }
    return writeUnwritten(settings);
}

} // namespace narrata
