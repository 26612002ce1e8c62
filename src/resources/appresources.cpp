#include "resources/appresources.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <mutex>

// Q_INIT_RESOURCE names a function in the global namespace, so it cannot be used inside ours.
static void initAppResourcesOnce()
{
    Q_INIT_RESOURCE(appresources);
}

namespace narrata {

namespace {

const QString kUserGuideFileName = QStringLiteral("Narrata User Guide.pdf");

QByteArray resourceBytes(const QString &resourcePath)
{
    QFile file(resourcePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool fileHolds(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() == bytes.size() && file.readAll() == bytes;
}

} // namespace

void initAppResources()
{
    static std::once_flag once;
    std::call_once(once, initAppResourcesOnce);
}

QString userGuidePath()
{
    initAppResources();
    const QByteArray guide = resourceBytes(QStringLiteral(":/userguide/") + kUserGuideFileName);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (guide.isEmpty() || folder.isEmpty() || !QDir().mkpath(folder))
        return {};
    QString path = QDir(folder).filePath(kUserGuideFileName);
    // Left alone when current: a viewer may have it open, and a rewrite would make it reload.
    if (fileHolds(path, guide))
        return path;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(guide) != guide.size() || !file.commit())
        return {};
    return path;
}

QString helpPopoverTextResource()
{
    initAppResources();
    return QStringLiteral(":/HelpPopoverText.html");
}

} // namespace narrata
