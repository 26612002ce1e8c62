#pragma once

// The reader's window for benchmarks: off screen unless told otherwise, with settings of its
// own so that the user's are left alone.
#include "app/readerapplication.h"
#include "documents/appdelegate.h"
#include "view/custompdfview.h"
#include "view/mainwindow.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

// Before the QApplication is made: settings, data and caches go into `home`.
inline void isolateReader(const QTemporaryDir &home)
{
    for (const char *variable : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Runs the event loop for a while.
inline void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Shows the window; the user guide shown at launch is drawn first, so that its pages are not in
// the way of what is measured.
inline void startReader(narrata::ReaderApplication &reader)
{
    reader.start({});
    settle(1500);
}

// Opens the file and waits until a page of it is drawn (the first one, unless the document
// opens where it was last heard); false when it cannot be opened or nothing is drawn within a
// minute.
inline bool openAndDraw(narrata::ReaderApplication &reader, const QString &path)
{
    QEventLoop drawn;
    QObject::connect(reader.window().pdfView(), &narrata::CustomPDFView::pageRendered, &drawn, &QEventLoop::quit);
    QTimer::singleShot(60000, &drawn, [&drawn] { drawn.exit(1); });
    return reader.delegate().documents().openFileInternal(path) && drawn.exec() == 0;
}
