#include "clierror.h"
#include "commandline.h"
#include "commands.h"

#include "platform/pdf/pdfdocument.h"
#include "platform/settingsstores/qsettingsdefaultsstore.h"
#include "settings/registereddefaults.h"
#include "speech/readingprogress.h"
#include "speech/wordmappingtextpath.h"

#include <QFileInfo>

namespace narrata::cli {

namespace {

void printPosition(QTextStream &out, const char *what, const std::optional<SentenceRecord> &sentence)
{
    out << what << ": ";
    if (sentence) // pages count from 1; the stored index may be anything a file can hold
        out << "p." << QString::number(static_cast<quint64>(sentence->pageIndex) + 1) << " ["
            << sentence->range.location << ", " << sentence->range.length << "] " << sentence->sentence << '\n';
    else
        out << "(none)\n";
}

} // namespace

// narrata-cli progress FILE.pdf: the most recent and furthest sentences heard in a PDF.
int runProgressCommand(const PDFService &pdfService, const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandLine line(arguments, {}, {});
    if (line.positional().size() != 1)
        throw CliError(QStringLiteral("usage: narrata-cli progress FILE.pdf"));
    QSettingsDefaultsStore store;
    store.registerDefaults(registeredDefaults());
    if (!store.problem().isEmpty())
        err << "narrata-cli: " << store.problem() << '\n';
    // Progress is kept by file name, as the reader keeps it.
    const QString fileName = QFileInfo(line.positional().constFirst()).fileName();
    ReadingProgress progress(store);
    // Positions outside the document are not shown; a PDF that is gone shows what is stored.
    if (const std::unique_ptr<PDFDocument> document = pdfService.openFile(line.positional().constFirst()))
        progress.setDocumentPageCount(document->pageCount());
    printPosition(out, "most recent", progress.mostRecentSentenceRead(fileName));
    printPosition(out, "furthest", progress.furthestSentenceRead(fileName));
    return 0;
}

// narrata-cli mappings: where the word mappings file is, created from its template if missing.
int runMappingsCommand(const QStringList &arguments, QTextStream &out)
{
    if (!arguments.isEmpty())
        throw CliError(QStringLiteral("usage: narrata-cli mappings"));
    WordMappingTextPath textPath;
    textPath.initializeCustomPronunciationFileAtFirstLaunch();
    out << textPath.mappingsFile().path() << '\n';
    return 0;
}

} // namespace narrata::cli
