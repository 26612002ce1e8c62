#pragma once

#include "wordmappings.h"

#include <QString>

namespace narrata {

// The product's name, its web domain and its web page as they are written and as they are
// spoken. espeak-ng stresses "Narata" on its second syllable without colouring the first
// vowel, which is how the name is meant to sound; the address forms reuse it.
namespace spoken {
inline constexpr char16_t productName[] = u"Narrata";
inline constexpr char16_t productNameSpoken[] = u"Narata";
inline constexpr char16_t webDomain[] = u"narrata.app";
inline constexpr char16_t webDomainSpoken[] = u"Narata dot app";
inline constexpr char16_t webPage[] = u"narrata.app/index.html";
inline constexpr char16_t webPageSpoken[] = u"Narata dot app slash index dot html";
} // namespace spoken

// The words that are always given a spoken form, unless the user maps them otherwise.
const WordMappings &fixedWordMappings();

// A sentence's text rewritten for the ear. The text is split at every single space; each piece,
// trimmed of whitespace and U+FFFC, is replaced as a whole: a piece starting "http:" or "https:"
// that parses as a URL with a host is spoken as " <host> URL "; any other piece is looked up in
// the fixed mappings overlaid by the user's. The pieces are joined again by single spaces.
QString speakableStringWithWordMappings(const QString &text, const WordMappings &userMappings);

} // namespace narrata
