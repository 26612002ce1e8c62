#pragma once

// Readable gtest failure messages for the Qt types the settings tests compare.

#include "support/qtprinters.h"

#include <QDebug>
#include <QVariant>

#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QVariant &value, std::ostream *os)
{
    QString text;
    QDebug(&text).nospace() << value;
    *os << text.toStdString();
}

inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"' << bytes.toPercentEncoding(" []=;\"#()<>,.:/").toStdString() << '"';
}

inline void PrintTo(const QVariantMap &map, std::ostream *os)
{
    PrintTo(QVariant(map), os);
}
QT_END_NAMESPACE
