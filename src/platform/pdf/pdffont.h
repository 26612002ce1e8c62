#pragma once

#include <QString>

namespace narrata {

// The font of a run of page text, as the text layer reports it.
struct PDFFont {
    QString name; // PostScript name without a subset tag such as "ABCDEF+"
    double pointSize = 0; // the size the glyphs are drawn at, in points
    bool fixedPitch = false;

    friend bool operator==(const PDFFont &, const PDFFont &) = default;
};

// Removes a subset tag ("ABCDEF+Times-Roman" becomes "Times-Roman").
QString fontNameWithoutSubsetTag(const QString &name);

} // namespace narrata
