#pragma once

#include "text/sentencerecord.h"

namespace narrata {

// What the speech engine needs of whatever shows the document: the page view in the window,
// the headless reader in narrata-cli, a recording fake in tests.
class ReadingView {
public:
    virtual ~ReadingView() = default;

    // Selects the sentence on its page and brings it into view.
    virtual void selectSentence(const SentenceRecord &sentence) = 0;
    // The index of the page shown, or kNotFound.
    virtual qint64 currentPageIndex() const = 0;
};

} // namespace narrata
