#include "speechsetsmartener.h"

#include "platform/pdf/pdfdocument.h"
#include "text/fonts.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace narrata {

namespace {

// A box taller than this many lines of its own font is not one sentence's box.
constexpr double kWeirdBoundsLines = 8.0;

bool hasPronounceableCharacter(const QString &sentence)
{
    return std::any_of(sentence.cbegin(), sentence.cend(),
        [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9'); });
}

struct WorkingRecord {
    SentenceRecord sentence;
    SelectionCode code;
    std::optional<PDFFont> font;
};

} // namespace

SpeechSetSmartener::SpeechSetSmartener(
    const SpeechService &speechService, const ReadingContent &content, std::function<std::optional<QString>()> voice)
    : m_speechService(speechService)
    , m_content(content)
    , m_voice(std::move(voice))
{
}

std::vector<SentenceRecord> SpeechSetSmartener::smartenedSpeechSet(const std::vector<SentenceRecord> &sentences)
{
    const std::optional<QString> voice = m_voice ? m_voice() : std::nullopt;
    const bool englishVoice
        = voice && m_speechService.attributesForVoice(*voice).localeIdentifier.startsWith(QLatin1String("en_"));

    std::vector<WorkingRecord> kept;
    for (const SentenceRecord &sentence : sentences) {
        if (englishVoice && !hasPronounceableCharacter(sentence.sentence))
            continue;
        SelectionCode code = m_content.selectionCodeForRange(sentence.range, sentence.pageIndex);
        std::optional<PDFFont> font = mostPopularFont(code.richText);
        if (options.skipFixedWidthFonts && font && font->fixedPitch)
            continue;
        if (font && !currentPDFignoredFontsList.isEmpty()
            && currentPDFignoredFontsList.contains(prettyFontString(*font)))
            continue;
        kept.push_back({sentence, std::move(code), std::move(font)});
    }

    if (options.sortVisually) {
        // Each record's font as a small number, so that the table below is a plain vector.
        std::vector<std::optional<FontIdentity>> fonts;
        std::vector<size_t> fontOf;
        for (const WorkingRecord &r : kept) {
            const std::optional<FontIdentity> font
                = r.font ? std::optional<FontIdentity>(FontIdentity(*r.font)) : std::nullopt;
            auto known = std::find(fonts.begin(), fonts.end(), font);
            if (known == fonts.end())
                known = fonts.insert(fonts.end(), font);
            fontOf.push_back(static_cast<size_t>(known - fonts.begin()));
        }
        // The height of one line of each font: the smallest box set in it.
        std::vector<double> lineHeight(fonts.size(), HUGE_VAL);
        for (size_t i = 0; i < kept.size(); ++i)
            lineHeight[fontOf[i]] = std::min(lineHeight[fontOf[i]], kept[i].code.sizeH);

        struct Placed {
            size_t record;
            double key;
        };
        std::vector<Placed> placed;
        for (size_t i = 0; i < kept.size(); ++i) {
            const double line = lineHeight[fontOf[i]];
            const WorkingRecord &r = kept[i];
            if (options.skipWeirdBounds && r.code.sizeH > kWeirdBoundsLines * line)
                continue;
            // A tall box is placed by its bottom line, an ordinary one by its top edge.
            const double key = kWeirdBoundsLines * line < r.code.sizeH ? r.code.originY + line : r.code.Y;
            placed.push_back({i, std::isnan(key) ? -HUGE_VAL : key});
        }
        std::stable_sort(placed.begin(), placed.end(), [&](const Placed &a, const Placed &b) {
            if (a.key != b.key)
                return a.key > b.key;
            return kept[a.record].sentence.range.location < kept[b.record].sentence.range.location;
        });
        std::vector<SentenceRecord> result;
        result.reserve(placed.size());
        for (const Placed &p : placed)
            result.push_back(std::move(kept[p.record].sentence));
        return result;
    }

    std::vector<SentenceRecord> result;
    result.reserve(kept.size());
    for (WorkingRecord &r : kept)
        result.push_back(std::move(r.sentence));
    return result;
}

SentenceRecord SpeechSetSmartener::cutIgnoredFontLeadIn(
    const SentenceRecord &sentence, const PDFDocument &document) const
{
    const auto page = document.pageAtIndex(static_cast<int>(sentence.pageIndex));
    if (!page || currentPDFignoredFontsList.isEmpty())
        return sentence;
    const AttributedString text = page->textLayer().attributedSubstring(sentence.range);
    quint64 end = 0;
    for (const FontRun &run : text.runs)
        if (currentPDFignoredFontsList.contains(prettyFontString(run.font)))
            end = run.range.end();
    if (end == 0)
        return sentence;
    const TextRange rest{sentence.range.location + end, sentence.range.length - std::min(end, sentence.range.length)};
    return {page->string().mid(static_cast<qsizetype>(rest.location), static_cast<qsizetype>(rest.length)), rest,
        sentence.pageIndex};
}

} // namespace narrata
