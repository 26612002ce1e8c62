#pragma once

#include "speech/readingcontent.h"
#include "speech/readingview.h"

namespace narrata::testing {

// A reading view that shows nothing and a document with nothing to read, for tests of what the
// speaking loop does around them.
class SilentView final : public ReadingView, public ReadingContent {
public:
    void selectSentence(const SentenceRecord &) override { }
    std::vector<SentenceRecord> prepareContentAfter(const SentenceRecord &) override { return {}; }
    qint64 currentPageIndex() const override { return 0; }
    SelectionCode selectionCodeForRange(TextRange, qint64 pageIndex) const override
    {
        SelectionCode code{};
        code.pageIndex = pageIndex;
        return code;
    }
};

} // namespace narrata::testing
