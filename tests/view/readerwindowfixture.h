#pragma once

#include "view/custompdfview.h"
#include "view/mainwindow.h"

#include "support/delegateservices.h"
#include "view/widgettesting.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace narrata::testing {

// The reader's window on real widgets and MuPDF, speaking into a fake synthesizer, with its
// settings in memory and its files in a temporary folder. The user guide is the sample book.
class ReaderWindowTest : public WidgetTest, protected DelegateServices {
protected:
    ReaderWindowTest()
    {
        window.resize(900, 1000);
        delegate = std::make_unique<AppDelegate>(services(*window.pdfView(), window));
        window.setDelegate(*delegate, defaults, QStringLiteral(":/HelpPopoverText.html"));
        window.pdfView()->setSmoothScrolling(false);
        window.show();
        waitForJumpAfter([this] { delegate->applicationDidFinishLaunching(); });
    }

    ~ReaderWindowTest() override
    {
        window.releaseDelegate();
        delegate.reset();
    }

    // Runs what loads a document, then waits for the view's delayed jump to its newest PDF.
    template<typename Loading> void waitForJumpAfter(Loading loading)
    {
        QSignalSpy jumped(&delegate->documents(), &ShownDocument::jumpedToLastPDF);
        loading();
        ASSERT_TRUE(jumped.wait(3000));
    }

    CustomPDFView &view() { return *window.pdfView(); }
    PDFDocument &shown() { return *view().document(); }
    SpeakingLoop &loop() { return delegate->speakingLoop(); }

    // Where a character of a page is in the view's viewport.
    QPoint pointOfCharacter(int pageIndex, qint64 index)
    {
        const QRectF box = shown().pageAtIndex(pageIndex)->characterBoundsAtIndex(index);
        return view().viewportPointForPagePoint(pageIndex, box.center());
    }
    qint64 indexOf(int pageIndex, const QString &text)
    {
        return shown().pageAtIndex(pageIndex)->string().indexOf(text);
    }
    // As the desktop delivers it: press, release, the double-click, release.
    void doubleClick(QPoint point)
    {
        QTest::mouseDClick(view().viewport(), Qt::LeftButton, {}, point);
        QTest::mouseRelease(view().viewport(), Qt::LeftButton, {}, point);
    }
    // As X11 delivers it: the release's text has no Shift applied.
    void keyStroke(Qt::Key key, Qt::KeyboardModifiers modifiers = {}, const QString &text = {})
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(&view(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text.toLower());
        QApplication::sendEvent(&view(), &release);
    }
    QString selectedText() { return view().currentSelection().string(); }

    MainWindow window;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace narrata::testing
