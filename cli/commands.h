#pragma once

#include <QStringList>
#include <QTextStream>

namespace narrata {
class PDFService;
}

namespace narrata::cli {

// Each command takes the arguments after its name, writes its results to `out`, and
// throws CliError for bad arguments or input. They return the process's exit status.
int runSentencesCommand(const PDFService &service, const QStringList &arguments, QTextStream &out);
int runTextCommand(const PDFService &service, const QStringList &arguments, QTextStream &out);
int runReadCommand(const PDFService &service, const QStringList &arguments, QTextStream &out, QTextStream &err);
// Reads a document into one audiobook file; an interrupted or failed export leaves no file.
int runExportCommand(const PDFService &service, const QStringList &arguments, QTextStream &out, QTextStream &err);
int runAnalyzeCommand(const PDFService &service, const QStringList &arguments, QTextStream &out);
int runProgressCommand(const PDFService &pdfService, const QStringList &arguments, QTextStream &out, QTextStream &err);
// Joins PDFs into one pack with a table of contents; refused inputs leave no output behind.
int runPackCommand(const PDFService &service, const QStringList &arguments, QTextStream &out, QTextStream &err);
int runMappingsCommand(const QStringList &arguments, QTextStream &out);
int runVoicesCommand(const QStringList &arguments, QTextStream &out, QTextStream &err);

} // namespace narrata::cli
