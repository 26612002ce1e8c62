#include "attributedstring.h"

#include <algorithm>

namespace narrata {

std::optional<PDFFont> AttributedString::fontAtIndex(qint64 index) const
{
    auto it = std::upper_bound(runs.begin(), runs.end(), index,
        [](qint64 i, const FontRun &run) { return i < static_cast<qint64>(run.range.end()); });
    if (it != runs.end() && it->range.contains(index))
        return it->font;
    return std::nullopt;
}

AttributedString AttributedString::substring(TextRange range) const
{
    const quint64 length = static_cast<quint64>(string.size());
    if (range.location >= length)
        return {};
    range.length = std::min(range.length, length - range.location);

    AttributedString result;
    result.string = string.mid(static_cast<qsizetype>(range.location), static_cast<qsizetype>(range.length));
    for (const FontRun &run : runs) {
        const TextRange cut = run.range.intersected(range);
        if (!cut.isEmpty())
            result.runs.push_back({{cut.location - range.location, cut.length}, run.font});
    }
    return result;
}

void AttributedString::append(const AttributedString &other)
{
    const auto offset = static_cast<quint64>(string.size());
    string += other.string;
    for (const FontRun &run : other.runs) {
        const FontRun shifted{{run.range.location + offset, run.range.length}, run.font};
        if (!runs.empty() && runs.back().font == shifted.font && runs.back().range.end() == shifted.range.location)
            runs.back().range.length += shifted.range.length;
        else
            runs.push_back(shifted);
    }
}

} // namespace narrata
