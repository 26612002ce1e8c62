#pragma once

#include <QByteArray>
#include <QSizeF>

class QTextDocument;

namespace narrata {

// The text drawn onto one PDF page of `bounds`, given in the units the text was laid out in
// at `dotsPerInch` (so a 12-point font stays 12 points on the page), with a text layer that
// gives back the text's characters in order. The bytes of the PDF file; empty when nothing
// could be drawn.
QByteArray dataWithPDFInsideRect(QTextDocument &text, QSizeF bounds, int dotsPerInch);

} // namespace narrata
