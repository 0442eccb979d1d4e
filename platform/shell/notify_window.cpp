#include "platform/shell/notify_window.h"

#include <QSocketNotifier>

#ifdef _WIN32
#error "The notification channel is a POSIX pipe; Windows needs a message-only window here."
#endif

#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

TNotifyWindow::TNotifyWindow(Handler handler, ErrorHandler onError, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), onError_(std::move(onError)) {
    static_assert(sizeof(Record) <= PIPE_BUF, "a record must be written in one piece");
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("Cannot make a notification channel");
    readFd_ = fds[0];
    writeFd_ = fds[1];
    for (int fd : fds) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
#ifdef F_SETPIPE_SZ
    // Every waiting event posts one record, and the default 64 KiB holds fewer records
    // than a full ring of events: a roomy pipe keeps a burst from being refused. Best
    // effort, where the system lets a pipe grow.
    fcntl(writeFd_, F_SETPIPE_SZ, 1 << 20);
#endif
    notifier_ = new QSocketNotifier(readFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TNotifyWindow::DispatchWaiting);
}

TNotifyWindow::~TNotifyWindow() {
    delete notifier_;
    close(readFd_);
    close(writeFd_);
}

bool TNotifyWindow::Post(uint32_t message, uintptr_t param1, uintptr_t param2) noexcept {
    const Record record{message, param1, param2};
    return write(writeFd_, &record, sizeof record) == static_cast<ssize_t>(sizeof record);
}

void TNotifyWindow::DispatchWaiting() {
    for (;;) {
        if (next_ == count_) {
            const ssize_t got = read(readFd_, batch_, sizeof batch_);
            if (got <= 0)
                return;
            // Records are written whole and read in whole multiples, so none is split.
            count_ = static_cast<std::size_t>(got) / sizeof(Record);
            next_ = 0;
        }
        // Taken before the handler runs: a nested event loop inside it goes on with the
        // next record, and nothing is handled twice.
        const Record record = batch_[next_++];
        // An exception never unwinds through the socket notifier's signal: it is
        // reported, and the next record follows.
        try {
            handler_(record.message, record.param1, record.param2);
        } catch (...) {
            if (onError_)
                onError_(std::current_exception());
        }
    }
}

uintptr_t TNotifyWindow::Send(uint32_t message, uintptr_t param1, uintptr_t param2) {
    return handler_(message, param1, param2);
}
