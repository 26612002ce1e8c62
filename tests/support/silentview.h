#pragma once

#include "speech/readingview.h"

namespace narrata::testing {

// A reading view that shows nothing, for tests of what the speaking loop does around it.
class SilentView final : public ReadingView {
public:
    void selectSentence(const SentenceRecord &) override { }
    void prepareContentAfter(const SentenceRecord &) override { }
    qint64 currentPageIndex() const override { return 0; }
    SelectionCode selectionCodeForRange(TextRange, qint64 pageIndex) const override
    {
        SelectionCode code{};
        code.pageIndex = pageIndex;
        return code;
    }
};

} // namespace narrata::testing
