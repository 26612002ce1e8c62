#include "clierror.h"
#include "commands.h"

#include "platform/mupdf/mupdfservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

#include <unistd.h>

namespace {

const char *const kUsage = "Usage: narrata-cli COMMAND ...\n"
                           "  sentences FILE.pdf [--page N] [--from INDEX] [--json]\n"
                           "                     the sentences of a page with their ranges\n"
                           "  text FILE.pdf --page N [--fonts]\n"
                           "                     the text layer of a page, paragraph by paragraph\n"
                           "  read FILE.pdf [--page N] [--to-page M] [OPTION...]\n"
                           "                     reads aloud from page N on, sentence by sentence, with\n"
                           "                     --wav OUT.wav, --voice ID, --rate WPM, --dry-run,\n"
                           "                     --fast-skip, --skip-fixed-width, --aggressive-headers,\n"
                           "                     --visual-order, --skip-weird-bounds, --ignore-font LABEL\n"
                           "  export FILE.pdf OUT [--page N] [--to-page M] [OPTION...]\n"
                           "                     reads pages N to M into one chaptered audiobook, OUT.opus,\n"
                           "                     .flac, .mp3 or .wav, faster than real time, with espeak-ng\n"
                           "                     or flite (speech-dispatcher hands back no audio, so neither\n"
                           "                     export nor read --wav takes its voices); the options of\n"
                           "                     read but --wav and --dry-run\n"
                           "  analyze FILE.pdf --page N\n"
                           "                     the heads, feet, page numbers and code found on a page\n"
                           "  progress FILE.pdf  the most recent and furthest sentences heard in it\n"
                           "  pack OUT.pdf FILE.pdf...\n"
                           "                     joins the PDFs into one with a table of contents\n"
                           "  mappings           where the word mappings file is\n"
                           "  voices [--all]     the voice menu; with --all every voice and its attributes\n"
                           "  --version          the program's version\n";

// The arguments as strings. A file name that is not UTF-8 has no string that names it, so it is
// reached through a link with a UTF-8 name in a folder of this run's own, under the name with
// its stray bytes shown as replacement characters.
QStringList argumentsOf(int argc, char *argv[], const QTemporaryDir &links)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8.decode(raw);
        if (!utf8.hasError() || !links.isValid() || ::access(argv[i], F_OK) != 0) {
            arguments.append(text);
            continue;
        }
        const QString link = QDir(links.filePath(QString::number(i))).filePath(QFileInfo(text).fileName());
        QDir().mkpath(QFileInfo(link).absolutePath());
        const QByteArray target = raw.startsWith('/') ? raw : QFile::encodeName(QDir::currentPath()) + '/' + raw;
        arguments.append(::symlink(target.constData(), QFile::encodeName(link).constData()) == 0 ? link : text);
    }
    return arguments;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Narrata"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    const QTemporaryDir links;
    QStringList arguments = argumentsOf(argc, argv, links);
    if (arguments.isEmpty() || arguments.first() == QLatin1String("--help")) {
        (arguments.isEmpty() ? err : out) << kUsage;
        return arguments.isEmpty() ? 2 : 0;
    }
    if (arguments.first() == QLatin1String("--version")) {
        out << "narrata-cli " NARRATA_VERSION "\n";
        return 0;
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
        if (command == QLatin1String("export"))
            return narrata::cli::runExportCommand(service, arguments, out, err);
        if (command == QLatin1String("analyze"))
            return narrata::cli::runAnalyzeCommand(service, arguments, out);
        if (command == QLatin1String("progress"))
            return narrata::cli::runProgressCommand(service, arguments, out, err);
        if (command == QLatin1String("pack"))
            return narrata::cli::runPackCommand(service, arguments, out, err);
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
