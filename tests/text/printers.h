#pragma once

// Readable gtest failure messages for the records the text tests compare.

#include "text/paragraphrecord.h"
#include "text/sentencerecord.h"

#include "support/qtprinters.h"

#include <ostream>

namespace narrata {

inline void PrintTo(const SentenceRecord &record, std::ostream *os)
{
    *os << '"' << record.sentence.toStdString() << "\" [" << record.range.location << ", +" << record.range.length
        << "] page " << record.pageIndex;
}

inline void PrintTo(const ParagraphRecord &record, std::ostream *os)
{
    PrintTo(SentenceRecord{record.paragraph, record.range, record.pageIndex}, os);
}

} // namespace narrata
