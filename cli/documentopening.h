#pragma once

#include "platform/pdf/pdfdocument.h"

class QString;

namespace narrata::cli {

// Opens a PDF for reading, or throws CliError naming the file and what is wrong with it:
// missing, unreadable, not a PDF, encrypted or locked.
std::unique_ptr<PDFDocument> openReadableDocument(const PDFService &service, const QString &path);

// The 0-based index of a page number counted from 1, or throws CliError when the document
// has no such page.
int pageIndexForNumber(const PDFDocument &document, const QString &path, qint64 pageNumber);

class CommandLine;

// The page a command works on: the one file named on its command line, and its --page
// (counted from 1, the first page when absent). Throws CliError with the usage line when the
// file is not named once, and for every problem with the file or the page.
struct CommandPage {
    std::unique_ptr<PDFDocument> document;
    int pageIndex = 0;
    std::shared_ptr<PDFPage> page;
};
// Commands that also name an output take `positionalCount` arguments, the PDF first.
CommandPage openCommandPage(
    const PDFService &service, const CommandLine &line, const QString &usage, qsizetype positionalCount = 1);

} // namespace narrata::cli
