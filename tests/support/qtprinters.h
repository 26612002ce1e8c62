#pragma once

// Readable gtest failure messages for the Qt and platform types the tests compare.

#include "platform/pdf/textrange.h"

#include <QDebug>
#include <QString>
#include <QVariant>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &string, std::ostream *os)
{
    *os << '"' << string.toStdString() << '"';
}

inline void PrintTo(const QVariant &value, std::ostream *os)
{
    QString text;
    QDebug(&text).nospace() << value;
    *os << text.toStdString();
}
QT_END_NAMESPACE

namespace narrata {

inline void PrintTo(const TextRange &range, std::ostream *os)
{
    *os << '[' << range.location << ", +" << range.length << ']';
}

} // namespace narrata
