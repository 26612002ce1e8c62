#pragma once

#include "paragraphrecord.h"

#include <functional>
#include <optional>
#include <vector>

namespace narrata {

// Running heads that the comparison of a page's edges with its neighbours misses, each found
// by a rule that reads paragraphs and nothing else. The page analyzer decides which pages
// to hand them.

// Running heads are a line; longer paragraphs with numbers in them are text.
inline constexpr qsizetype kRunningHeadLength = 100;

// The value of a lower-case Roman numeral as front matter is numbered ("xiv" is 14);
// nothing for any other word, "I" and the capitals of "MIX" among them.
std::optional<qint64> romanNumeralValue(const QString &word);

// The decimal numbers and the lower-case Roman numerals that open or close a short
// paragraph, where a running head has its page number; a number inside ("q + 1 is prime") is
// part of what the paragraph says.
struct OuterNumbers {
    std::vector<qint64> decimal;
    std::vector<qint64> roman;
};
OuterNumbers outerNumbersIn(const QString &paragraph);

// The page's first paragraph when it is an index's guide words: the term of the page's first
// entry, on many pages followed by that of a later one ("qframe (environment)
// \restorepagenumber" over "qframe (environment), 283, 284 ..."). An entry is a term at the
// start of a word followed by a comma, the first one also by a page number; a heading over a
// paragraph that merely begins with the heading's words is read.
std::optional<TextRange> indexGuideWordsRange(const std::vector<ParagraphRecord> &paragraphs);

// The short paragraphs of a page, wherever the text order puts them, that have the words of
// a paragraph of the page `offset` pages away and a number at either end that counts the
// pages between and that isPageNumber takes for the page's own: a journal's alternating head
// "Guide for authors 5" that a two-column page puts among the body, matched with "Guide for
// authors 7" two pages on.
std::vector<TextRange> displacedHeadRanges(const std::vector<ParagraphRecord> &page,
    const std::vector<ParagraphRecord> &other, qint64 offset, const std::function<bool(qint64)> &isPageNumber);

} // namespace narrata
