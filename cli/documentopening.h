#pragma once

#include "platform/pdf/pdfdocument.h"

namespace narrata::cli {

// Opens a PDF for reading, or throws CliError naming the file and what is wrong with it:
// missing, unreadable, not a PDF, encrypted or locked.
std::unique_ptr<PDFDocument> openReadableDocument(const PDFService &service, const QString &path);

// The 0-based index of a page number counted from 1, or throws CliError when the document
// has no such page.
int pageIndexForNumber(const PDFDocument &document, const QString &path, qint64 pageNumber);

} // namespace narrata::cli
