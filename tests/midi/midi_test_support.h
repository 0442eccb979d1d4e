#pragma once
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

// Runs the event loop until done() holds or the time is up; returns done(). The loop
// sleeps between events, so a test waiting here leaves the CPU to the MIDI threads.
template <typename Done>
bool RunUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    QTimer wake;
    wake.start(10);
    while (!done() && std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// Lets every notification posted so far reach its port.
inline void Settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
