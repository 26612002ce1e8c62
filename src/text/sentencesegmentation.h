#pragma once

#include "paragraphrecord.h"
#include "sentencerecord.h"

#include <QString>

#include <vector>

namespace narrata {

// Segmentation of one page's text. Every range is in UTF-16 code units of that text, and a
// sentence record's range is its trimmed substring.

// Every sentence of the text, in order.
std::vector<SentenceRecord> sentencesOnPageIndex(const QString &text, qint64 pageIndex);

// The sentence whose enclosing range holds the index, and every sentence after it; empty
// when no sentence holds it (a negative index, one at or past the end, white space only).
std::vector<SentenceRecord> setOfSentencesFromIndex(const QString &text, qint64 index, qint64 pageIndex);

// Where the text of the sentence whose enclosing range holds the index starts, or -1.
qint64 startLocationOfSentenceAtIndex(const QString &text, qint64 index);

// The words of the text, in order, without spaces or punctuation.
std::vector<QString> wordsOf(const QString &text);

} // namespace narrata
