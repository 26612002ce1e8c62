#pragma once

#include "text/selectioncode.h"
#include "text/sentencerecord.h"

#include <vector>

namespace narrata {

// What the speaking loop needs to know of the document being read: the next page's sentences
// and where a range stands. The page content for reading answers in the window and in
// narrata-cli; tests answer with fixed pages.
class ReadingContent {
public:
    virtual ~ReadingContent() = default;

    // The prepared sentences of the first page after the sentence's page that has something to
    // read; empty at the end of what is to be read.
    virtual std::vector<SentenceRecord> prepareContentAfter(const SentenceRecord &sentence) = 0;
    // The rest of the page after `last`, the last sentence a start handed out, when the start
    // held it back to have the first sentence spoken sooner; empty when it held nothing back.
    virtual std::vector<SentenceRecord> sentencesHeldBackAfter(const SentenceRecord &last)
    {
        (void)last;
        return {};
    }
    // Where a range of a page stands and how it is set.
    virtual SelectionCode selectionCodeForRange(TextRange range, qint64 pageIndex) const = 0;
};

} // namespace narrata
