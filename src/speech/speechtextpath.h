#pragma once

#include "text/sentencerecord.h"

#include <QMap>
#include <QString>

#include <vector>

namespace narrata {

// The steps every sentence takes between the page and the synthesizer that are not the
// loop's own: smartening a list before it is queued, and making a text speakable. Each
// does the least that is correct until filtering and word mappings are built on it.
class SpeechTextPath {
public:
    virtual ~SpeechTextPath() = default;

    // Filters and orders a list before it enters the queue; may return an empty list.
    virtual std::vector<SentenceRecord> smartenedSpeechSet(const std::vector<SentenceRecord> &sentences);
    // Re-reads the user's word mappings so that edits take effect from the next sentence on.
    virtual void runtimeReloadCustomDictionaryMap() { }
    virtual QString speakableStringWithWordMappings(const QString &text);
};

// A sentence's text with words hyphenated at line ends joined ("exam- ple" is "example").
QString joinHyphenatedLineEnds(const QString &sentence);

// The words of a sentence as the session counts them: pieces between single spaces once
// hyphenated line ends are joined; consecutive spaces yield empty pieces, which count.
quint64 spokenWordCount(const QString &sentence);

} // namespace narrata
