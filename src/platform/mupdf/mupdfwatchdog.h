#pragma once

#include <mupdf/fitz.h>

#include <QtGlobal>

namespace narrata {

// Long MuPDF work (a page's text, its drawing) runs with a cookie whose abort flag MuPDF checks
// as it goes. The watchdog, a thread of its own, sets that flag when the work runs past its time
// budget, when the process has grown past its memory budget, or once everything was asked to
// stop (Ctrl-C, the window closing): a pathological page is given up instead of holding the
// reader for minutes and gigabytes.
class MuPDFWatchedWork {
public:
    static constexpr int kTimeBudgetMilliseconds = 20000;
    static constexpr qint64 kMemoryBudgetBytes = qint64(3) << 30;

    MuPDFWatchedWork();
    ~MuPDFWatchedWork();
    MuPDFWatchedWork(const MuPDFWatchedWork &) = delete;
    MuPDFWatchedWork &operator=(const MuPDFWatchedWork &) = delete;

    fz_cookie *cookie() { return &m_cookie; }
    qint64 deadline() const { return m_deadline; }
    // The work was given up (its result is incomplete).
    bool aborted() const { return m_cookie.abort != 0; }

    // Every running and later piece of work gives up. Safe to call from a signal handler.
    static void abortAll();

private:
    fz_cookie m_cookie{};
    qint64 m_deadline; // milliseconds on the watchdog's clock
};

} // namespace narrata
