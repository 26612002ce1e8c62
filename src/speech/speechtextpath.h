#pragma once

#include "text/sentencerecord.h"

#include <QMap>
#include <QString>

#include <vector>

namespace narrata {

class PDFDocument;

// Filters and orders every list before it enters the queue. This one lets everything
// through in its order; the smartener drops and reorders.
class SpeechSetFilter {
public:
    virtual ~SpeechSetFilter() = default;
    // May return an empty list.
    virtual std::vector<SentenceRecord> smartenedSpeechSet(const std::vector<SentenceRecord> &sentences);
    // True when where a sentence goes depends on the others (ordered by place on the page):
    // a list is then smartened whole, else one sentence at a time gives the same.
    virtual bool ordersSentences() const { return false; }
    // The first sentence of a page as a walk onto that page speaks it.
    virtual SentenceRecord cutIgnoredFontLeadIn(const SentenceRecord &sentence, const PDFDocument &) const
    {
        return sentence;
    }
};

// Makes a sentence's text speakable. This one passes it through; word mappings build on it.
class SpeechTextPath {
public:
    virtual ~SpeechTextPath() = default;

    // Re-reads the user's word mappings so that edits take effect from the next sentence on.
    virtual void runtimeReloadCustomDictionaryMap() { }
    virtual QString speakableStringWithWordMappings(const QString &text);
};

// A sentence's text with words hyphenated at line ends joined ("exam- ple" is "example").
QString joinHyphenatedLineEnds(const QString &sentence);

// A sentence's text as it is spoken: hyphenated line ends joined, and a row of leader dots
// (". . . . ." from an entry of a table of contents to its page) made one pause, a comma
// inside the sentence and a full stop at its end, unless one ends it already. An ellipsis of
// three dots stays.
QString sentenceForSpeech(const QString &sentence);

// The words of a sentence as the session counts them: pieces between single spaces of the
// sentence as it is spoken; consecutive spaces yield empty pieces, which count.
quint64 spokenWordCount(const QString &sentence);

} // namespace narrata
