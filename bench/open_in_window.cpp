// Opens a document in the reader's window and waits for its first page to be drawn there, then
// prints how long that took, in milliseconds: `open-in-window FILE.pdf`. The clock runs from
// the open command to the page's rendering arriving in the view, so it holds what the window
// does around MuPDF (refusing locked files, the copies of the document, laying out the pages,
// the page analysis) but not starting the program. Runs off screen unless told otherwise, and
// with settings of its own, so the user's are left alone.
#include "app/readerapplication.h"
#include "documents/appdelegate.h"
#include "view/custompdfview.h"
#include "view/mainwindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: open-in-window FILE.pdf\n", stderr);
        return 2;
    }
    QTemporaryDir home;
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    narrata::ReaderApplication reader({});
    reader.start({});
    // The user guide shown at launch is drawn first, so that its pages are not in the way.
    QEventLoop settle;
    QTimer::singleShot(1500, &settle, &QEventLoop::quit);
    settle.exec();

    QEventLoop drawn;
    QObject::connect(reader.window().pdfView(), &narrata::CustomPDFView::pageRendered, &drawn, [&drawn](int page) {
        if (page == 0)
            drawn.quit();
    });
    QTimer::singleShot(60000, &drawn, [&drawn] { drawn.exit(1); });
    QElapsedTimer timer;
    timer.start();
    if (!reader.delegate().documents().openFileInternal(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "open-in-window: cannot open %s\n", argv[1]);
        return 1;
    }
    if (drawn.exec() != 0)
        return 1;
    std::printf("%.3f\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    return 0;
}
