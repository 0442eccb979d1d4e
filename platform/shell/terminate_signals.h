#pragma once
// SIGINT and SIGTERM close the main window as its close button does, so the normal
// shut-down runs and the settings are written. The signal handler only writes one byte
// into a socket pair; the main thread reads it and closes the window.
// POSIX only: on Windows the class is absent.
#ifndef _WIN32
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <memory>

class QSocketNotifier;

class TerminateSignals : public QObject {
    Q_OBJECT
public:
    // One instance at a time; the previous handlers come back when it is destroyed.
    explicit TerminateSignals(QWidget& window);
    ~TerminateSignals() override;

private:
    void SignalArrived();

    QPointer<QWidget> window;
    int fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};
#endif
