#pragma once

#include "sentencerecord.h"

#include <vector>

namespace narrata {

class PDFDocument;

// Every sentence of a page of the document; empty when there is no such page or it has
// no text.
std::vector<SentenceRecord> sentencesOnPageIndex(const PDFDocument &document, int pageIndex);

// Every sentence of the page a record comes from.
std::vector<SentenceRecord> sentencesOnPageWithSelection(const PDFDocument &document, const SentenceRecord &selection);

} // namespace narrata
