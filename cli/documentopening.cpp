#include "documentopening.h"

#include "clierror.h"
#include "commandline.h"

#include <QFileInfo>

namespace narrata::cli {

std::unique_ptr<PDFDocument> openReadableDocument(const PDFService &service, const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw CliError(QStringLiteral("%1: no such file").arg(path));
    if (!info.isFile())
        throw CliError(QStringLiteral("%1: not a file").arg(path));
    if (!info.isReadable())
        throw CliError(QStringLiteral("%1: permission denied").arg(path));
    auto document = service.openFile(path);
    if (!document)
        throw CliError(QStringLiteral("%1: not a readable PDF (damaged, or another kind of file)").arg(path));
    if (document->isLocked())
        throw CliError(QStringLiteral("%1: the PDF is locked with a password").arg(path));
    if (document->isEncrypted())
        throw CliError(QStringLiteral("%1: the PDF is encrypted").arg(path));
    return document;
}

int pageIndexForNumber(const PDFDocument &document, const QString &path, qint64 pageNumber)
{
    const int count = document.pageCount();
    if (pageNumber < 1 || pageNumber > count)
        throw CliError(QStringLiteral("%1: no page %2 (the document has %3 page%4)")
                           .arg(path)
                           .arg(pageNumber)
                           .arg(count)
                           .arg(count == 1 ? "" : "s"));
    return static_cast<int>(pageNumber - 1);
}

CommandPage openCommandPage(
    const PDFService &service, const CommandLine &line, const QString &usage, qsizetype positionalCount)
{
    if (line.positional().size() != positionalCount)
        throw CliError(QStringLiteral("usage: narrata-cli ") + usage);
    const QString path = line.positional().constFirst();
    CommandPage result;
    result.document = openReadableDocument(service, path);
    result.pageIndex
        = pageIndexForNumber(*result.document, path, line.integer(QStringLiteral("--page"), 1, 1, INT_MAX));
    result.page = result.document->pageAtIndex(result.pageIndex);
    if (!result.page)
        throw CliError(QStringLiteral("%1: page %2 cannot be read").arg(path).arg(result.pageIndex + 1));
    return result;
}

} // namespace narrata::cli
