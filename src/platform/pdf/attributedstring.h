#pragma once

#include "pdffont.h"
#include "textrange.h"

#include <QString>

#include <optional>
#include <vector>

namespace narrata {

struct FontRun {
    TextRange range;
    PDFFont font;

    friend bool operator==(const FontRun &, const FontRun &) = default;
};

// Text with the font of every character: runs are in order, do not overlap and
// cover the whole string.
struct AttributedString {
    QString string;
    std::vector<FontRun> runs;

    std::optional<PDFFont> fontAtIndex(qint64 index) const;

    // The runs cut to a range, re-based so that the range's start is 0.
    AttributedString substring(TextRange range) const;

    void append(const AttributedString &other);

    friend bool operator==(const AttributedString &, const AttributedString &) = default;
};

} // namespace narrata
