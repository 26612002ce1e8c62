#include "readablepages.h"

#include "platform/pdf/pdfdocument.h"

#include <algorithm>

namespace narrata {

bool hasReadableText(const QString &pageText)
{
    return std::any_of(pageText.cbegin(), pageText.cend(), [](QChar c) { return !c.isSpace() && !c.isPunct(); });
}

ReadablePageSearch firstReadablePage(const PDFDocument &document, int first, int last)
{
    last = std::min(last, document.pageCount() - 1);
    std::optional<int> run; // the first page of the current run that could not be loaded
    for (int index = std::max(first, 0); index <= last; ++index) {
        const auto page = document.pageAtIndex(index);
        if (!page) {
            if (!run)
                run = index;
            if (index - *run + 1 >= kUnloadablePagesRun)
                return {std::nullopt, run};
            continue;
        }
        run.reset();
        if (hasReadableText(page->string()))
            return {index, std::nullopt};
    }
    return {std::nullopt, run};
}

} // namespace narrata
