#pragma once

#include "speechtextpath.h"
#include "wordmappings.h"

namespace narrata {

// The text path with the user's word mappings: the file is re-read before every sentence, so an
// edit is heard from the next sentence on, and every sentence is made speakable with the
// mappings read last.
class WordMappingTextPath : public SpeechTextPath {
public:
    explicit WordMappingTextPath(WordMappingsFile file = WordMappingsFile());

    // Creates the file from the template when it is missing; called once at launch.
    void initializeCustomPronunciationFileAtFirstLaunch();

    void runtimeReloadCustomDictionaryMap() override;
    QString speakableStringWithWordMappings(const QString &text) override;

    const WordMappings &mappings() const { return wordMappingsDictionary; }
    WordMappingsFile &mappingsFile() { return file_; }

private:
    WordMappingsFile file_;
    WordMappings wordMappingsDictionary;
};

} // namespace narrata
