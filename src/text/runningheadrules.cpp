#include "runningheadrules.h"

#include "paragraphsets.h"
#include "sentencesegmentation.h"

#include <algorithm>

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

} // namespace narrata
