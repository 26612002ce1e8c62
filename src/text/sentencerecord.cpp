#include "sentencerecord.h"

#include <QJsonArray>
#include <QJsonValue>

namespace narrata {

namespace {

const QLatin1String kSentenceKey("sentence");
const QLatin1String kRangeKey("range");
const QLatin1String kPageIndexKey("pageIndex");

// A JSON number holding a whole qint64. toInteger() falls back to its default for fractions
// and out-of-range numbers, so only a true whole number gives the same under two defaults.
std::optional<qint64> integerFromJson(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const qint64 integer = value.toInteger(0);
    if (integer != value.toInteger(1))
        return std::nullopt;
    return integer;
}

QJsonArray rangeToJson(TextRange range)
{
    return QJsonArray{static_cast<qint64>(range.location), static_cast<qint64>(range.length)};
}

std::optional<TextRange> rangeFromJson(const QJsonValue &value)
{
    if (!value.isArray())
        return std::nullopt;
    const QJsonArray array = value.toArray();
    if (array.size() != 2)
        return std::nullopt;
    const std::optional<qint64> location = integerFromJson(array.at(0));
    const std::optional<qint64> length = integerFromJson(array.at(1));
    if (!location || !length || *location < 0 || *length < 0)
        return std::nullopt;
    return TextRange{static_cast<quint64>(*location), static_cast<quint64>(*length)};
}

} // namespace

namespace recordjson {

QJsonObject write(QLatin1String textKey, const Fields &fields)
{
    return QJsonObject{
        {textKey, fields.text},
        {kRangeKey, rangeToJson(fields.range)},
        {kPageIndexKey, fields.pageIndex},
    };
}

std::optional<Fields> read(const QJsonObject &object, QLatin1String textKey)
{
    const QJsonValue text = object.value(textKey);
    const std::optional<TextRange> range = rangeFromJson(object.value(kRangeKey));
    const std::optional<qint64> pageIndex = integerFromJson(object.value(kPageIndexKey));
    if (!text.isString() || !range || !pageIndex)
        return std::nullopt;
    return Fields{text.toString(), *range, *pageIndex};
}

} // namespace recordjson

QJsonObject SentenceRecord::toJson() const
{
    return recordjson::write(kSentenceKey, {sentence, range, pageIndex});
}

std::optional<SentenceRecord> SentenceRecord::fromJson(const QJsonObject &object)
{
    std::optional<recordjson::Fields> fields = recordjson::read(object, kSentenceKey);
    if (!fields)
        return std::nullopt;
    return SentenceRecord{std::move(fields->text), fields->range, fields->pageIndex};
}

} // namespace narrata
