#include "clierror.h"
#include "commandline.h"
#include "commands.h"
#include "documentopening.h"

#include "documents/pdfpack.h"

#include <QFileInfo>

namespace narrata::cli {

namespace {

const char *const kUsage = "pack OUT.pdf FILE.pdf...";

// Refuses an output that is one of the inputs: it is read while the pack is made.
void refuseOverwritingAnInput(const QString &output, const QStringList &inputs)
{
    const QFileInfo target(output);
    if (!target.exists())
        return;
    for (const QString &input : inputs) {
        if (QFileInfo(input).canonicalFilePath() == target.canonicalFilePath())
            throw CliError(QStringLiteral("%1: is also an input; choose another name for the pack").arg(output));
    }
}

} // namespace

int runPackCommand(const PDFService &service, const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    const CommandLine line(arguments, {}, {});
    if (line.positional().size() < 2)
        throw CliError(QStringLiteral("usage: narrata-cli ") + QLatin1String(kUsage));
    QStringList inputs = line.positional();
    const QString output = inputs.takeFirst();
    refuseOverwritingAnInput(output, inputs);

    // Every input is checked before anything is written: a pack that lacks one of them is
    // not the pack that was asked for.
    PDFPack pack;
    int refused = 0;
    for (const QString &input : inputs) {
        try {
            const std::unique_ptr<PDFDocument> document = openReadableDocument(service, input);
            const QUrl url = QUrl::fromLocalFile(QFileInfo(input).absoluteFilePath());
            if (refused == 0 && !pack.append(*document, PDFPack::filenameFor(url), url))
                throw CliError(QStringLiteral("%1: its pages could not be added to the pack").arg(input));
        } catch (const CliError &error) {
            err << "narrata-cli: " << QString::fromStdString(error.what()) << '\n';
            ++refused;
        }
    }
    if (refused > 0) {
        err << "narrata-cli: " << output << ": not written (" << refused << " of " << inputs.size()
            << " files refused)\n";
        return 2;
    }
    const std::unique_ptr<PDFDocument> written = pack.copyForWriting(QFileInfo(output).fileName(), true);
    if (!written || !written->writeToFile(output))
        throw CliError(QStringLiteral("%1: the pack could not be written").arg(output));
    out << output << ": " << pack.entries().size() << " PDFs, " << pack.document()->pageCount() << " pages\n";
    return 0;
}

} // namespace narrata::cli
