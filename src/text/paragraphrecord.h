#pragma once

#include "platform/pdf/textrange.h"

#include <QJsonObject>
#include <QString>

#include <optional>

namespace narrata {

// A paragraph of a page: its text (without the separator that ends it), where that text
// lies in the page's string, and the page.
struct ParagraphRecord {
    QString paragraph;
    TextRange range;
    qint64 pageIndex = 0;

    // {"paragraph": string, "range": [location, length], "pageIndex": integer}
    QJsonObject toJson() const;
    // Nothing when a key is missing or holds the wrong type.
    static std::optional<ParagraphRecord> fromJson(const QJsonObject &object);

    friend bool operator==(const ParagraphRecord &, const ParagraphRecord &) = default;
};

} // namespace narrata
