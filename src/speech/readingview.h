#pragma once

#include "text/selectioncode.h"
#include "text/sentencerecord.h"

namespace narrata {

// What the speech engine needs of whatever shows the document: the page view in the window,
// the headless reader in narrata-cli, a recording fake in tests.
class ReadingView {
public:
    virtual ~ReadingView() = default;

    // Selects the sentence on its page and brings it into view.
    virtual void selectSentence(const SentenceRecord &sentence) = 0;
    // Finds the next page after the sentence's page with something to read, and hands its
    // sentences to the loop's appendSpeechSet before returning; appends nothing at the end.
    virtual void prepareContentAfter(const SentenceRecord &sentence) = 0;
    // The index of the page shown, or kNotFound.
    virtual qint64 currentPageIndex() const = 0;
    // Where a range of a page stands and how it is set.
    virtual SelectionCode selectionCodeForRange(TextRange range, qint64 pageIndex) const = 0;
};

} // namespace narrata
