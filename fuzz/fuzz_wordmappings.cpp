// Parses the fuzzer's bytes as a word mappings file, as the reader does with the user's file
// once it has decoded it, and speaks a fixed sentence through the mappings found.

#include "speech/speakabletext.h"
#include "speech/wordmappings.h"

#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace narrata;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const WordMappings mappings = parseWordMappings(text);
    for (auto it = mappings.cbegin(); it != mappings.cend(); ++it) {
        // A declared word never carries the colon that declared it, nor a line break.
        if (it.key().contains(u'\n')) {
            std::fprintf(stderr, "a declared word spans lines\n");
            std::abort();
        }
    }

    static const QString sentence = QStringLiteral(
        "See https://narrata.app/index.html for the GUI, e.g. SQL and Nguyen \u00A0 Narrata  twice.\uFFFC");
    (void)speakableStringWithWordMappings(sentence, mappings);
    // Each declared word standing alone, so that every replacement is used at least once.
    QStringList words = mappings.keys();
    (void)speakableStringWithWordMappings(words.join(u' '), mappings);
    return 0;
}
