#include "fonts.h"

#include <vector>

namespace narrata {

std::optional<PDFFont> mostPopularFont(const AttributedString &text)
{
    std::vector<std::pair<PDFFont, quint64>> tally;
    for (const FontRun &run : text.runs) {
        if (run.font.name.isEmpty())
            continue;
        auto it = std::find_if(tally.begin(), tally.end(),
            [&](const auto &entry) { return FontIdentity(entry.first) == FontIdentity(run.font); });
        if (it == tally.end())
            tally.emplace_back(run.font, run.range.length);
        else
            it->second += run.range.length;
    }
    std::optional<PDFFont> best;
    quint64 bestCount = 0;
    for (const auto &[font, count] : tally)
        if (count > bestCount) {
            best = font;
            bestCount = count;
        }
    return best;
}

QString prettyFontString(const PDFFont &font)
{
    return font.name + QString::asprintf(" %2.1f pt", font.pointSize);
}

} // namespace narrata
