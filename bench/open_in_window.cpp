// Opens a document in the reader's window and waits for its first page to be drawn there, then
// prints how long that took, in milliseconds: `open-in-window FILE.pdf`. The clock runs from
// the open command to the page's rendering arriving in the view, so it holds what the window
// does around MuPDF (refusing locked files, the copies of the document, laying out the pages,
// the page analysis) but not starting the program. Runs off screen unless told otherwise, and
// with settings of its own, so the user's are left alone.
#include "offscreenreader.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: open-in-window FILE.pdf\n", stderr);
        return 2;
    }
    QTemporaryDir home;
    isolateReader(home);
    QApplication application(argc, argv);
    narrata::ReaderApplication reader({});
    startReader(reader);

    QElapsedTimer timer;
    timer.start();
    if (!openAndDraw(reader, QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "open-in-window: cannot open %s\n", argv[1]);
        return 1;
    }
    std::printf("%.3f\n", static_cast<double>(timer.nsecsElapsed()) / 1e6);
    return 0;
}
