#include "interruption.h"

#include "platform/mupdf/mupdfservice.h"

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace narrata::cli {

namespace {

int g_signalSockets[2] = {-1, -1};

void onSignal(int)
{
    // Only async-signal-safe work here: the byte wakes the notifier on the main thread, which
    // may be inside a slow page; that page is given up at once.
    MuPDFService::abortAllWork();
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalSockets[0], &byte, 1);
}

} // namespace

Interruption::Interruption()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(g_signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(g_signalSockets[1], &byte, 1);
        emit interrupted();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

Interruption::~Interruption()
{
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    ::close(g_signalSockets[0]);
    ::close(g_signalSockets[1]);
    g_signalSockets[0] = g_signalSockets[1] = -1;
}

} // namespace narrata::cli
