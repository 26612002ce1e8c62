#pragma once

#include <QApplication>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

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

} // namespace narrata::testing
