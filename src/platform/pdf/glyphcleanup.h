#pragma once

#include "rawpagetext.h"

namespace narrata {

// Makes a line's glyphs into clean text for listening and comparing: ligatures are
// expanded, spacing accents drawn over a letter are composed with it, glyphs without a
// Unicode meaning and control characters are dropped, spaces are folded to one and
// trimmed from the ends, and a raised footnote mark is set apart from the word after it.
void cleanUpLine(GlyphLine &line);

} // namespace narrata
