// narrata [FILE.pdf]: the reader's window. A second launch hands its file to the window that is
// already open and quits.
#include "readerapplication.h"
#include "singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QUrl>

#include <memory>

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Reads PDF documents aloud."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("file"), QStringLiteral("A PDF to open."), QStringLiteral("[FILE.pdf]"));
    const QCommandLineOption reportReading(QStringLiteral("report-reading"),
        QStringLiteral(
            "Print each sentence as it starts to be read, each document's title as it is shown, and "
            "each page it turns to, and each pause, resumption and reset of the session's statistics, on standard "
            "output."));
    const QCommandLineOption reportWord(QStringLiteral("report-word-position"),
        QStringLiteral("Print where WORD first stands on the screen once the document is shown."),
        QStringLiteral("WORD"));
    const QCommandLineOption separate(
        QStringLiteral("separate"), QStringLiteral("Open a window of its own instead of handing over the file."));
    const QCommandLineOption noMediaControls(QStringLiteral("no-media-controls"),
        QStringLiteral("Keep the reading out of the desktop's media controls and away from media keys."));
    parser.addOptions({reportReading, reportWord, separate, noMediaControls});

    // --help and --version only print, so they work where there is no display (and for the
    // build, which makes the manual page from them).
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    parser.parse(arguments);
    const bool onlyPrints = parser.isSet(help) || parser.isSet(QStringLiteral("help-all")) || parser.isSet(version);
    const std::unique_ptr<QCoreApplication> application
        = onlyPrints ? std::make_unique<QCoreApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Narrata"));
    QCoreApplication::setApplicationVersion(QStringLiteral(NARRATA_VERSION));
    parser.process(*application);

    QApplication::setApplicationDisplayName(QStringLiteral("Narrata"));
    QApplication::setDesktopFileName(QStringLiteral("narrata"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("narrata"), QIcon::fromTheme(QStringLiteral("x-office-document"))));

    // The desktop hands over files as paths or file: URLs, and links to a place as they are.
    QString path = parser.positionalArguments().value(0);
    if (path.startsWith(QLatin1String("file:")))
        path = QUrl(path).toLocalFile();

    narrata::SingleInstance instance;
    if (!parser.isSet(separate)) {
        if (instance.handOffToRunningInstance(path))
            return 0;
        instance.listen();
    }

    narrata::ReaderApplication reader(
        {parser.isSet(reportReading), parser.value(reportWord), !parser.isSet(noMediaControls), {}});
    QObject::connect(
        &instance, &narrata::SingleInstance::fileRequested, &reader, &narrata::ReaderApplication::openFile);
    reader.start(path);
    return QCoreApplication::exec();
}
