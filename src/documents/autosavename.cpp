#include "autosavename.h"

#include <QTimeZone>

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace narrata {

namespace {

// `prefix`, the moment's stamp and ".pdf".
QString stampedPDFName(const QString &prefix, const QDateTime &moment)
{
    // Qt's formats have no week-based year; ICU's date patterns are the ones the name follows.
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat format(icu::UnicodeString(u"YYYYMMdd-HHmmss"), status);
    const QByteArray zone = moment.timeZone().id();
    if (!zone.isEmpty())
        format.adoptTimeZone(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone.constData())));
    icu::UnicodeString text;
    if (U_SUCCESS(status))
        format.format(static_cast<UDate>(moment.toMSecsSinceEpoch()), text);
    if (U_FAILURE(status) || text.isEmpty()) // no ICU data: the calendar year is close enough
        return QStringLiteral("%1 %2.pdf").arg(prefix, moment.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    return QStringLiteral("%1 %2.pdf")
        .arg(prefix, QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length()));
}

} // namespace

QString autosavedPackFileName(const QDateTime &moment)
{
    return stampedPDFName(QStringLiteral("PDF Pack"), moment);
}

QString clipboardPDFFileName(const QDateTime &moment)
{
    return stampedPDFName(QStringLiteral("PDF"), moment);
}

} // namespace narrata
