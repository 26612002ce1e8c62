#pragma once

// Readable gtest failure messages for the types the text tests compare.

#include "text/paragraphrecord.h"
#include "text/sentencerecord.h"
#include "text/textsegmenter.h"

#include "support/qtprinters.h"

#include <ostream>

namespace narrata {

inline void PrintTo(const Segment &segment, std::ostream *os)
{
    *os << "{substring ";
    PrintTo(segment.substringRange, os);
    *os << " enclosing ";
    PrintTo(segment.enclosingRange, os);
    *os << '}';
}

inline void PrintTo(const SentenceRecord &record, std::ostream *os)
{
    ::PrintTo(record.sentence, os);
    *os << ' ';
    PrintTo(record.range, os);
    *os << " page " << record.pageIndex;
}

inline void PrintTo(const ParagraphRecord &record, std::ostream *os)
{
    ::PrintTo(record.paragraph, os);
    *os << ' ';
    PrintTo(record.range, os);
    *os << " page " << record.pageIndex;
}

} // namespace narrata
