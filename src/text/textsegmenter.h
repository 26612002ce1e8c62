#pragma once

#include "platform/pdf/textrange.h"

#include <QString>

#include <functional>

namespace narrata {

// One unit of a text (a sentence, paragraph or word) in UTF-16 code units.
//
// The enclosing ranges of one enumeration come in ascending order, never overlap and
// together cover every code unit of the text: each runs from its unit to the start of the
// next unit, so it takes in the separators (spaces, line ends, punctuation between words)
// that follow; the first also takes in whatever comes before the first unit. The
// substring range always lies inside the enclosing range.
struct Segment {
    TextRange substringRange;
    TextRange enclosingRange;

    friend bool operator==(const Segment &, const Segment &) = default;
};

// Called for each segment in order; returning false stops the enumeration.
using SegmentVisitor = std::function<bool(const Segment &)>;

// The text at a range of it.
inline QString textIn(const QString &text, TextRange range)
{
    return text.mid(static_cast<qsizetype>(range.location), static_cast<qsizetype>(range.length));
}

// Sentences as the root locale's rules find them, with surrounding white space trimmed
// off the substring. White space alone is no sentence, so a text of nothing else has none.
void enumerateSentences(const QString &text, const SegmentVisitor &visitor);

// Paragraphs end at LF, CR, CR LF, U+2029 or U+0085; the substring leaves out the
// separator, the enclosing range keeps it. Every separator ends a paragraph, so two in a
// row give an empty paragraph: an empty substring at the second separator, enclosing just
// that separator. A separator at the very end starts no further paragraph.
void enumerateParagraphs(const QString &text, const SegmentVisitor &visitor);

// Words as the root locale's rules find them: letters, numbers, kana, ideographs. Spaces,
// punctuation and emoji are not words; they join the enclosing range of the word before.
void enumerateWords(const QString &text, const SegmentVisitor &visitor);

} // namespace narrata
