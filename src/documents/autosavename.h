#pragma once

#include <QDateTime>
#include <QString>

namespace narrata {

// The file name of a pack saved automatically at `moment`: "PDF Pack YYYYMMdd-HHmmss.pdf" in
// the moment's time zone, where the year is the week-based year of the user's locale (so
// the last days of December may already carry the next year, as the pattern says).
QString autosavedPackFileName(const QDateTime &moment);
// The name of a PDF made from the clipboard at `moment`: "PDF YYYYMMdd-HHmmss.pdf", the same way.
QString clipboardPDFFileName(const QDateTime &moment);

} // namespace narrata
