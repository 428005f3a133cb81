#include "platform/TerminationSignals.h"

#include <atomic>
#include <csignal>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// The write end is all a signal handler may touch, with the count of
// EndAtOnceOnTermination scopes.
int signalPipe[2] = {-1, -1};
std::atomic<int> endAtOnce{0};
// Whether a signal was ever caught to be told: a scope begins once per call
// a plug-in makes, and until then it need not ask the pipe.
std::atomic<bool> caught{false};
static_assert(std::atomic<int>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

void onSignal(int signal) {
    if (endAtOnce.load(std::memory_order_relaxed) > 0) {
        // Delivered again as soon as this handler returns, now with the
        // default action: the process ends by the signal, as if no handler
        // had been installed.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    caught.store(true);
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// A signal caught just before a scope began and not yet told ends the
// process now, as it would have a moment later.
void endIfAlreadyAsked() {
    if (signalPipe[0] < 0 || !caught.load())
        return;
    pollfd pending{signalPipe[0], POLLIN, 0};
    char signal = 0;
    if (::poll(&pending, 1, 0) != 1 || ::read(signalPipe[0], &signal, 1) != 1)
        return;
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        throw std::runtime_error("Cannot create the pipe for termination signals");
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalPipe[0], &byte, 1);
        emit terminationRequested();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    ::signal(SIGTERM, SIG_DFL);
    ::signal(SIGINT, SIG_DFL);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

EndAtOnceOnTermination::EndAtOnceOnTermination() {
    endAtOnce.fetch_add(1, std::memory_order_relaxed);
    endIfAlreadyAsked();
}

EndAtOnceOnTermination::~EndAtOnceOnTermination() {
    endAtOnce.fetch_sub(1, std::memory_order_relaxed);
}

} // namespace platform
