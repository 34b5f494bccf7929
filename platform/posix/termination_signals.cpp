#include "termination_signals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace varno::platform {

namespace {

int signalPipe[2] = {-1, -1};
// The handler may run on any thread, and on two at once: only a lock-free
// atomic is both async-signal-safe and free of a data race.
std::atomic<int> signalled{0};
static_assert(std::atomic<int>::is_always_lock_free);

void onTerminationSignal(int)
{
    // Only async-signal-safe work here, and only once.
    if (signalled.exchange(1, std::memory_order_relaxed) != 0)
        return;
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent)
{
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::drain);

    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void TerminationSignals::drain()
{
    char bytes[64];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (!emitted_) {
        emitted_ = true;
        emit requested();
    }
}

}  // namespace varno::platform
