#include "readablepages.h"

#include "platform/pdf/pdfdocument.h"

#include <algorithm>

namespace narrata {

bool hasReadableText(const QString &pageText)
{
    return std::any_of(pageText.cbegin(), pageText.cend(), [](QChar c) { return !c.isSpace() && !c.isPunct(); });
}

std::optional<int> firstReadablePage(const PDFDocument &document, int first, int last)
{
    last = std::min(last, document.pageCount() - 1);
    for (int index = std::max(first, 0); index <= last; ++index)
        if (const auto page = document.pageAtIndex(index); page && hasReadableText(page->string()))
            return index;
    return std::nullopt;
}

} // namespace narrata
