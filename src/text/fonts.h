#pragma once

#include "platform/pdf/attributedstring.h"

#include <optional>
#include <set>

namespace narrata {

// The font that covers the most characters of the text; nothing for text without fonts.
// Ties go to the font met first.
std::optional<PDFFont> mostPopularFont(const AttributedString &text);

// "Helvetica 12.0 pt": the label under which fonts are shown, stored and compared.
QString prettyFontString(const PDFFont &font);

// Fonts counted the same when their names and sizes are equal.
struct FontIdentity {
    QString name;
    double pointSize = 0;

    explicit FontIdentity(const PDFFont &font)
        : name(font.name)
        , pointSize(font.pointSize)
    {
    }
    friend bool operator==(const FontIdentity &, const FontIdentity &) = default;
    friend bool operator<(const FontIdentity &a, const FontIdentity &b)
    {
        return a.name < b.name || (a.name == b.name && a.pointSize < b.pointSize);
    }
};
using FontSet = std::set<FontIdentity>;

} // namespace narrata
