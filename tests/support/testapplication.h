#pragma once

#include <QCoreApplication>
#include <QtCore/qtestsupport_core.h>

#include <functional>

namespace narrata {

// The reports come through the event loop, so the tests need an application.
inline void ensureApplication()
{
    static int argc = 1;
    static char name[] = "narrata_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

// Runs the event loop until the condition holds or the time is up: a bug fails a test, it never
// hangs it.
inline bool spinUntil(const std::function<bool()> &condition, int milliseconds = 20000)
{
    return QTest::qWaitFor(condition, milliseconds);
}

} // namespace narrata
