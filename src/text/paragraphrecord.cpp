#include "paragraphrecord.h"

// The JSON shape is the sentence record's, under another key.
#include "sentencerecord.h"

namespace narrata {

namespace {
const QLatin1String kParagraphKey("paragraph");
} // namespace

QJsonObject ParagraphRecord::toJson() const
{
    return recordjson::write(kParagraphKey, {paragraph, range, pageIndex});
}

std::optional<ParagraphRecord> ParagraphRecord::fromJson(const QJsonObject &object)
{
    std::optional<recordjson::Fields> fields = recordjson::read(object, kParagraphKey);
    if (!fields)
        return std::nullopt;
    return ParagraphRecord{std::move(fields->text), fields->range, fields->pageIndex};
}

} // namespace narrata
