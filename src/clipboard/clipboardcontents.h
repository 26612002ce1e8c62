#pragma once

#include <QByteArray>

class QMimeData;
class QTextDocument;

namespace narrata {

// Puts what another application copied into `text`, in the richest form offered: HTML with its
// images, else a lone image, else plain text. The text is emptied first. False when none of
// these is there; the text then stays empty. There is no reader for RTF here: applications on
// this desktop offer HTML or plain text beside it.
bool readSelectionFromPasteboard(QTextDocument &text, const QMimeData &clipboard);

// The bytes of a PDF on the clipboard, or none.
QByteArray pdfDataOnClipboard(const QMimeData &clipboard);

} // namespace narrata
