#include "wordmappingtextpath.h"

#include "speakabletext.h"

namespace narrata {

WordMappingTextPath::WordMappingTextPath(WordMappingsFile file)
    : file_(std::move(file))
{
}

void WordMappingTextPath::initializeCustomPronunciationFileAtFirstLaunch()
{
    file_.ensureExists();
}

void WordMappingTextPath::runtimeReloadCustomDictionaryMap()
{
    if (file_.reload())
        wordMappingsDictionary = file_.mappings();
}

QString WordMappingTextPath::speakableStringWithWordMappings(const QString &text)
{
    return narrata::speakableStringWithWordMappings(text, wordMappingsDictionary);
}

} // namespace narrata
