#pragma once

#include "sentencerecord.h"

#include <optional>
#include <vector>

namespace narrata {

class PDFDocument;

// A page has something to read when its text holds more than punctuation and white space.
bool hasReadableText(const QString &pageText);

// The first page from `first` to `last` (indices, inclusive) with something to read.
std::optional<int> firstReadablePage(const PDFDocument &document, int first, int last);

} // namespace narrata
