#pragma once
// A port's hidden notification window: the MIDI callback thread posts fixed-size
// records (message, two parameters) that the port's handler receives, in order, on
// the main thread from Qt's event loop.
//
// Threads: Post may be called from any thread and takes no lock and allocates nothing
// (one write of one record into a pipe). The handler and the error handler run on the
// thread that made the window, which must run a Qt event loop.
//
// The channel is a POSIX pipe watched by a QSocketNotifier. A Windows build would post
// to a hidden message-only window instead (PostMessage from the callback thread).
#include <QObject>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>

class QSocketNotifier;

class TNotifyWindow : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<uintptr_t(uint32_t message, uintptr_t param1, uintptr_t param2)>;

    // Takes an exception the handler raised; must not raise itself.
    using ErrorHandler = std::function<void(const std::exception_ptr& error)>;

    // An exception from the handler goes to onError (and is dropped when it is empty);
    // the records after it are still handed over, in order.
    TNotifyWindow(Handler handler, ErrorHandler onError, QObject* parent = nullptr);
    ~TNotifyWindow() override;
    TNotifyWindow(const TNotifyWindow&) = delete;
    TNotifyWindow& operator=(const TNotifyWindow&) = delete;

    // False when the record could not be queued (the pipe is full).
    bool Post(uint32_t message, uintptr_t param1, uintptr_t param2) noexcept;

    // Hands every record waiting now to the handler, in order; the event loop does this
    // on its own.
    void DispatchWaiting();

    // Calls the handler directly, as a message sent rather than posted.
    uintptr_t Send(uint32_t message, uintptr_t param1, uintptr_t param2);

private:
    struct Record {
        uint32_t message;
        uintptr_t param1;
        uintptr_t param2;
    };

    static constexpr std::size_t kRecordsPerRead = 64;

    Handler handler_;
    ErrorHandler onError_;
    Record batch_[kRecordsPerRead];
    std::size_t next_ = 0;
    std::size_t count_ = 0;
    int readFd_ = -1;
    int writeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};
