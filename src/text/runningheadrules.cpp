#include "runningheadrules.h"

#include "paragraphsets.h"
#include "sentencesegmentation.h"

#include <algorithm>
#include <map>

namespace narrata {

namespace {

QString romanNumeral(qint64 value)
{
    static const std::pair<qint64, const char *> kDigits[]
        = {{100, "c"}, {90, "xc"}, {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
    QString numeral;
    for (const auto &[digitValue, digits] : kDigits)
        for (; value >= digitValue; value -= digitValue)
            numeral += QLatin1String(digits);
    return numeral;
}

// Where term stands in text from `from` on as an index entry's term: at the start of a word
// and followed by a comma, and with numbered by a page number after it ("\qitem, 257"
// rather than "arrow, see vector"); -1 when nowhere.
qsizetype entryIndex(const QString &text, const QString &term, qsizetype from, bool numbered)
{
    for (qsizetype at = text.indexOf(term, from); at >= 0 && !term.isEmpty(); at = text.indexOf(term, at + 1)) {
        if (at > 0 && !text.at(at - 1).isSpace())
            continue;
        const QStringView rest = QStringView(text).mid(at + term.size());
        if (!rest.startsWith(u','))
            continue;
        const std::vector<QString> words = wordsOf(rest.mid(1, 12).toString());
        if (!numbered || (!words.empty() && cleanedStringForHeaderFooterNumerals(words.front()).isEmpty()))
            return at;
    }
    return -1;
}

} // namespace

std::optional<qint64> romanNumeralValue(const QString &word)
{
    static const QString kLetters = QStringLiteral("ivxlc");
    static const qint64 kValues[] = {1, 5, 10, 50, 100};
    if (word.isEmpty() || word.size() > 9)
        return std::nullopt;
    qint64 value = 0;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const qsizetype letter = kLetters.indexOf(word.at(i));
        if (letter < 0)
            return std::nullopt;
        const qsizetype next = i + 1 < word.size() ? kLetters.indexOf(word.at(i + 1)) : -1;
        value += next > letter ? -kValues[letter] : kValues[letter];
    }
    // Only the usual spelling: "iiii" and "vx" are words of something else.
    if (value <= 0 || romanNumeral(value) != word)
        return std::nullopt;
    return value;
}

OuterNumbers outerNumbersIn(const QString &paragraph)
{
    OuterNumbers numbers;
    if (paragraph.size() > kRunningHeadLength)
        return numbers;
    // Most paragraphs neither open nor close with a digit or a Roman letter: they are passed
    // over without cutting them into words.
    const auto isNumeralEnd = [](QChar c) { return c.isDigit() || QStringView(u"ivxlc").contains(c); };
    const auto first = std::find_if(paragraph.begin(), paragraph.end(), [](QChar c) { return c.isLetterOrNumber(); });
    const auto last = std::find_if(paragraph.rbegin(), paragraph.rend(), [](QChar c) { return c.isLetterOrNumber(); });
    if (first == paragraph.end() || (!isNumeralEnd(*first) && !isNumeralEnd(*last)))
        return numbers;
    const std::vector<QString> words = wordsOf(paragraph);
    for (const QString *word : {words.empty() ? nullptr : &words.front(), words.size() < 2 ? nullptr : &words.back()}) {
        if (!word)
            continue;
        bool isNumber = false;
        if (const qint64 number = word->toLongLong(&isNumber); isNumber && number >= 0)
            numbers.decimal.push_back(number);
        else if (const std::optional<qint64> value = romanNumeralValue(*word))
            numbers.roman.push_back(*value);
    }
    return numbers;
}

std::optional<TextRange> indexGuideWordsRange(const std::vector<ParagraphRecord> &paragraphs)
{
    if (paragraphs.size() < 2 || paragraphs.front().paragraph.size() > kRunningHeadLength)
        return std::nullopt;
    const QString &head = paragraphs.front().paragraph;
    QString rest;
    for (size_t i = 1; i < paragraphs.size(); ++i)
        rest += paragraphs[i].paragraph + u'\n';
    // The head is the first entry's term, whole, or that term and a later entry's term. The
    // first entry may come after the lines that go on with the previous page's last entry.
    for (qsizetype split = head.size(); split > 0; split = head.lastIndexOf(u' ', split - 1)) {
        const QString first = head.left(split);
        const qsizetype at = entryIndex(rest, first, 0, true);
        if (at >= 0 && (split == head.size() || entryIndex(rest, head.mid(split + 1), at + split, false) >= 0))
            return paragraphs.front().range;
    }
    return std::nullopt;
}

std::vector<TextRange> displacedHeadRanges(const std::vector<ParagraphRecord> &page,
    const std::vector<ParagraphRecord> &other, qint64 offset, const std::function<bool(qint64)> &isPageNumber)
{
    // The words of the other page's short paragraphs, by the numbers at their ends: cleaned
    // only where a number could count the pages, as most paragraphs are long or have none.
    std::multimap<qint64, QString> wordsThere;
    for (const ParagraphRecord &paragraph : other)
        for (const qint64 number : outerNumbersIn(paragraph.paragraph).decimal)
            wordsThere.emplace(number, cleanedStringForHeaderFooterNumerals(paragraph.paragraph));
    std::vector<TextRange> found;
    for (const ParagraphRecord &paragraph : page) {
        const std::vector<qint64> numbers = outerNumbersIn(paragraph.paragraph).decimal;
        const auto counts = [&](qint64 number) {
            // Words besides the numbers: a row of figures that goes on over the pages is a table.
            const QString words = cleanedStringForHeaderFooterNumerals(paragraph.paragraph);
            const auto [first, last] = wordsThere.equal_range(number + offset);
            return words.size() >= 2
                && std::any_of(first, last, [&](const auto &there) { return there.second == words; })
                && isPageNumber(number);
        };
        if (std::any_of(numbers.begin(), numbers.end(), counts))
            found.push_back(paragraph.range);
    }
    return found;
}

} // namespace narrata
