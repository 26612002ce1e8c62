#pragma once

#include "paragraphrecord.h"
#include "sentencerecord.h"

#include <vector>

namespace narrata {

// Paragraphs of a page text: stretches between line feeds (and the other paragraph
// separators), which the text layer puts between the blocks of a page.

std::vector<ParagraphRecord> setOfAllParagraphsonPageIndex(const QString &text, qint64 pageIndex);
// The first n paragraphs (all of them when there are fewer); none for n <= 0.
std::vector<ParagraphRecord> setOfInitialParagraphsUpto(const QString &text, qint64 n, qint64 pageIndex);
// The last n paragraphs in text order (all of them when there are n or fewer).
std::vector<ParagraphRecord> setOfLastParagraphsUpto(const QString &text, qint64 n, qint64 pageIndex);

// For fast skipping: the first two and last two sentences of the paragraph holding the index
// and of every paragraph after it (a paragraph of up to three sentences gives all of them).
std::vector<SentenceRecord> setOfEdgeSentencesFromIndex(const QString &text, qint64 index, qint64 pageIndex);

// The words of the text without those that are numerals (decimal digits only, or only the
// Roman letters i, x, v in one case), joined with nothing between: "Chapter 12" and
// "Chapter IV" are both "Chapter". What running heads of different pages have in common.
QString cleanedStringForHeaderFooterNumerals(const QString &text);

} // namespace narrata
