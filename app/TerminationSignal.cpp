#include "app/TerminationSignal.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP};

} // namespace

TerminationSignal::TerminationSignal(std::function<void()> close, QObject* parent)
    : QObject(parent), close_(std::move(close)) {
    if (pipeEnds[0] < 0 && ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignal::arrived);
    struct sigaction action {};
    action.sa_handler = &TerminationSignal::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int s : kSignals)
        ::sigaction(s, &action, nullptr);
}

TerminationSignal::~TerminationSignal() {
    for (const int s : kSignals)
        ::signal(s, SIG_DFL);
}

void TerminationSignal::handle(int signal) {
    const char byte = char(signal);
    // Only async-signal-safe calls here; a full pipe already says it.
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
}

void TerminationSignal::arrived() {
    char bytes[16];
    while (::read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    notifier_->setEnabled(false);
    // A second signal while closing ends the program at once, as it would have without us.
    for (const int s : kSignals)
        ::signal(s, SIG_DFL);
    ::signal(SIGALRM, SIG_DFL);
    ::alarm(kCloseWithinS);
    if (close_) close_();
}
