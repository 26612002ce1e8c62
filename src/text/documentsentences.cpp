#include "documentsentences.h"

#include "sentencesegmentation.h"

#include "platform/pdf/pdfdocument.h"

#include <limits>

namespace narrata {

std::vector<SentenceRecord> sentencesOnPageIndex(const PDFDocument &document, int pageIndex)
{
    if (pageIndex < 0 || pageIndex >= document.pageCount())
        return {};
    const std::shared_ptr<PDFPage> page = document.pageAtIndex(pageIndex);
    if (!page)
        return {};
    return sentencesOnPageIndex(page->string(), pageIndex);
}

std::vector<SentenceRecord> sentencesOnPageWithSelection(const PDFDocument &document, const SentenceRecord &selection)
{
    // A record's page index is wider than the document's; one beyond int is no page of it.
    if (selection.pageIndex < 0 || selection.pageIndex > std::numeric_limits<int>::max())
        return {};
    return sentencesOnPageIndex(document, static_cast<int>(selection.pageIndex));
}

} // namespace narrata
