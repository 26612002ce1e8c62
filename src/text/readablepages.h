#pragma once

#include "sentencerecord.h"

#include <optional>
#include <vector>

namespace narrata {

class PDFDocument;

// A page has something to read when its text holds more than punctuation and white space.
bool hasReadableText(const QString &pageText);

// Where a search for a page with something to read ended.
struct ReadablePageSearch {
    std::optional<int> readable; // the first such page
    // Without one: the first of the pages that could not be loaded where the search gave up, at
    // the end of the range or after a long run of them (a damaged file, or a page tree that
    // claims more pages than it has).
    std::optional<int> unloadable;
};

// Searches the pages from `first` to `last` (indices, inclusive). A page that cannot be loaded
// is passed over, unless a run of them goes on to the end or past kUnloadablePagesRun.
ReadablePageSearch firstReadablePage(const PDFDocument &document, int first, int last);
inline constexpr int kUnloadablePagesRun = 32;

} // namespace narrata
