#include "clierror.h"
#include "commands.h"

#include "platform/mupdf/mupdfservice.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

namespace {

const char *const kUsage = "usage: narrata-cli COMMAND ...\n"
                           "  sentences FILE.pdf [--page N] [--from INDEX] [--json]\n"
                           "                     the sentences of a page with their ranges\n"
                           "  text FILE.pdf --page N [--fonts]\n"
                           "                     the text layer of a page, paragraph by paragraph\n"
                           "  read FILE.pdf [--page N] [--to-page M] [--wav OUT.wav] [--voice ID]\n"
                           "       [--rate WPM] [--dry-run]\n"
                           "                     reads aloud from page N on, sentence by sentence\n"
                           "  analyze FILE.pdf --page N\n"
                           "                     the heads, feet, page numbers and code found on a page\n"
                           "  progress FILE.pdf  the most recent and furthest sentences heard in it\n"
                           "  mappings           where the word mappings file is\n"
                           "  voices [--all]     the voice menu; with --all every voice and its attributes\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Narrata"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")) {
        (arguments.isEmpty() ? err : out) << kUsage;
        return arguments.isEmpty() ? 2 : 0;
    }
    const QString command = arguments.takeFirst();
    const narrata::MuPDFService service;
    try {
        if (command == QLatin1String("sentences"))
            return narrata::cli::runSentencesCommand(service, arguments, out);
        if (command == QLatin1String("text"))
            return narrata::cli::runTextCommand(service, arguments, out);
        if (command == QLatin1String("read"))
            return narrata::cli::runReadCommand(service, arguments, out, err);
        if (command == QLatin1String("analyze"))
            return narrata::cli::runAnalyzeCommand(service, arguments, out);
        if (command == QLatin1String("progress"))
            return narrata::cli::runProgressCommand(service, arguments, out, err);
        if (command == QLatin1String("mappings"))
            return narrata::cli::runMappingsCommand(arguments, out);
        if (command == QLatin1String("voices"))
            return narrata::cli::runVoicesCommand(arguments, out, err);
        throw narrata::cli::CliError(QStringLiteral("unknown command \"%1\" (try --help)").arg(command));
    } catch (const narrata::cli::CliError &error) {
        out.flush();
        err << "narrata-cli: " << QString::fromStdString(error.what()) << '\n';
        return 2;
    }
}
