#pragma once

#include "platform/pdf/textrange.h"

#include <QJsonObject>
#include <QLatin1String>
#include <QString>

#include <optional>

namespace narrata {

// A sentence of a page: its text, where that text lies in the page's string, and the page.
struct SentenceRecord {
    QString sentence;
    TextRange range;
    qint64 pageIndex = 0;

    // {"sentence": string, "range": [location, length], "pageIndex": integer}
    QJsonObject toJson() const;
    // Nothing when a key is missing or holds the wrong type.
    static std::optional<SentenceRecord> fromJson(const QJsonObject &object);

    friend bool operator==(const SentenceRecord &, const SentenceRecord &) = default;
};

// The JSON shape shared by the record types, which differ only in the key of their text.
namespace recordjson {

struct Fields {
    QString text;
    TextRange range;
    qint64 pageIndex = 0;
};

QJsonObject write(QLatin1String textKey, const Fields &fields);
std::optional<Fields> read(const QJsonObject &object, QLatin1String textKey);

} // namespace recordjson

} // namespace narrata
