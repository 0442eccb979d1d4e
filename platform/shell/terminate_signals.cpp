#ifndef _WIN32
#include "platform/shell/terminate_signals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Written by the signal handler, so a plain int: set before the handlers, cleared after.
volatile sig_atomic_t writeFd = -1;

struct sigaction previousInt;
struct sigaction previousTerm;

extern "C" void OnTerminateSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe means a close is already pending; nothing more to do.
    [[maybe_unused]] const ssize_t written = write(writeFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminateSignals::TerminateSignals(QWidget& window_) : window(&window_) {
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        throw std::runtime_error(std::string("Cannot watch for terminate signals: ") +
                                 std::strerror(errno));
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    writeFd = fds[0];
    notifier = std::make_unique<QSocketNotifier>(fds[1], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &TerminateSignals::SignalArrived);

    struct sigaction action {};
    action.sa_handler = OnTerminateSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInt);
    sigaction(SIGTERM, &action, &previousTerm);
}

TerminateSignals::~TerminateSignals() {
    sigaction(SIGINT, &previousInt, nullptr);
    sigaction(SIGTERM, &previousTerm, nullptr);
    writeFd = -1;
    notifier.reset();
    close(fds[0]);
    close(fds[1]);
}

void TerminateSignals::SignalArrived() {
    char bytes[16];
    while (read(fds[1], bytes, sizeof bytes) > 0) {
    }
    if (window)
        window->close();
}
#endif
