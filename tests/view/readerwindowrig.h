#pragma once

// The reader's window on real widgets and MuPDF, speaking into a fake synthesizer, for the
// tests of the window and of the windows it opens.
#include "view/custompdfview.h"
#include "view/mainwindow.h"

#include "text/sentencesegmentation.h"

#include "support/delegateservices.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace narrata::testing {

// The one QApplication that widgets need. gtest_main owns main(), so the first test that makes a
// widget creates it; without a display the widgets are drawn off screen.
inline QApplication &widgetApp()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "view_tests";
    static char *argv[] = {name, nullptr};
    // Never destroyed: taken down among the other statics after main() it would outlive the
    // platform objects it needs, and crash the run at exit.
    static auto *app = new QApplication(argc, argv);
    return *app;
}

// A base for fixtures holding widgets as members: a base is made before the members are.
class WidgetTest : public ::testing::Test {
protected:
    WidgetTest() { widgetApp(); }
};

// The reader's window on real widgets and MuPDF, speaking into a fake synthesizer, with its
// settings in memory and its files in a temporary folder. The user guide is the sample book.
class ReaderWindowTest : public WidgetTest, protected testing::DelegateServices {
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
    std::vector<SentenceRecord> pageSentences(int pageIndex)
    {
        return sentencesOnPageIndex(shown().pageAtIndex(pageIndex)->string(), pageIndex);
    }
    SentenceRecord sentenceHolding(int pageIndex, const QString &text)
    {
        const qint64 at = indexOf(pageIndex, text);
        return setOfSentencesFromIndex(shown().pageAtIndex(pageIndex)->string(), at, pageIndex).front();
    }
    // The darkest grey in the viewport's square of a radius around a point.
    int darkestAround(QPoint centre, int radius = 3)
    {
        const QImage image = view().viewport()->grab().toImage();
        int darkest = 255;
        for (int dx = -radius; dx <= radius; ++dx)
            for (int dy = -radius; dy <= radius; ++dy)
                darkest = std::min(darkest, qGray(image.pixel(centre + QPoint(dx, dy))));
        return darkest;
    }

    MainWindow window;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace narrata::testing
