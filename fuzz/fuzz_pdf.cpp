// Opens a PDF from the fuzzer's bytes and prepares its first pages for reading: the text
// layer, the sentences and the page analysis (heads, feet, page numbers), as the reader does
// for every page it shows. Sentence ranges that leave the page's text are reported as a crash.

#include "platform/mupdf/mupdfservice.h"
#include "text/pageanalyzer.h"
#include "text/sentencesegmentation.h"

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace narrata;

namespace {

// Enough pages for the analysis to compare a page with neighbours on both sides, few enough
// that one input stays fast.
constexpr int kPagesRead = 3;

void requireWithin(const std::vector<SentenceRecord> &sentences, const QString &text, const char *what)
{
    for (const SentenceRecord &sentence : sentences) {
        if (sentence.range.end() > static_cast<quint64>(text.size())
            || sentence.range.end() < sentence.range.location) {
            std::fprintf(stderr, "%s: range (%llu, %llu) outside a text of %lld units\n", what,
                static_cast<unsigned long long>(sentence.range.location),
                static_cast<unsigned long long>(sentence.range.length), static_cast<long long>(text.size()));
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const MuPDFService service;
    const auto document
        = service.openData(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));
    if (!document || document->isLocked())
        return 0;

    // The preferences come from the input's size, so that every combination is tried without
    // taking bytes away from the document.
    ContentPreparationOptions options;
    options.useFastSkipMode = size & 1;
    options.skipFixedWidthFonts = size & 2;
    options.skipHeaderFooterAggressive = size & 4;

    PageAnalyzer analyzer(*document);
    const int pages = std::min(document->pageCount(), kPagesRead);
    for (int index = 0; index < pages; ++index) {
        const auto page = document->pageAtIndex(index);
        if (!page)
            continue;
        const QString text = page->string();
        (void)page->textLayer().attributedString();
        requireWithin(sentencesOnPageIndex(text, index), text, "sentencesOnPageIndex");
        requireWithin(analyzer.prepareContentOnPageIndex(index, options), text, "prepareContentOnPageIndex");
        for (const TextRange &range : analyzer.allHeaderFooterRangesOnPageIndex(index)) {
            if (range.end() > static_cast<quint64>(text.size())) {
                std::fprintf(stderr, "allHeaderFooterRangesOnPageIndex: range past the text\n");
                std::abort();
            }
        }
    }
    return 0;
}
