// How long an input event takes from the MIDI service's callback thread to the port's
// OnMidiInput on the main thread, against the same hand-over made with Qt's ordinary
// queued call; and how long the main thread takes to drain a burst of 1000 events.
#include "midi/midi_input.h"
#include "platform/loopback/loopback_midi_services.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;
// Events alternate between the two roads, so both meet the same machine load.
constexpr int kEvents = 40000;
constexpr int kBurst = 1000;
constexpr double kByteTimeUs = 320.0; // one byte at 31,250 baud, 10 bits a byte

// Loopback services whose input callback is wrapped, so that the moment the driver
// callback is entered is known, and so that the same moment can start a Qt queued call
// instead of the port's own hand-over.
class TimedServices : public LoopbackMidiServices {
public:
    uint32_t OpenInput(uint32_t id, MidiDriverCallback callback, void* data,
                       MidiHandle& handle) override {
        portCallback_ = callback;
        portData_ = data;
        return LoopbackMidiServices::OpenInput(id, &TimedServices::Trampoline, this, handle);
    }

    QObject* qtReceiver = nullptr;
    // Odd events take the Qt road while set.
    std::atomic<bool> alternate{true};
    std::vector<Clock::time_point> entered = std::vector<Clock::time_point>(kEvents);
    std::vector<Clock::time_point> arrived = std::vector<Clock::time_point>(kEvents);
    std::atomic<int> handled{0};

private:
    static void Trampoline(MidiHandle handle, uint32_t message, void* self, uintptr_t param1,
                           uintptr_t param2) {
        auto* services = static_cast<TimedServices*>(self);
        const int seq = static_cast<int>(((param1 >> 8) & 0x7F) | ((param1 >> 16) & 0x7F) << 7 |
                                         (param1 & 0x0F) << 14);
        if (message == MidiCallbackMessage::kInputData && seq < kEvents)
            services->entered[seq] = Clock::now();
        if (!services->alternate || seq % 2 == 0) {
            services->portCallback_(handle, message, services->portData_, param1, param2);
            return;
        }
        QMetaObject::invokeMethod(
            services->qtReceiver,
            [services, seq] {
                services->arrived[seq] = Clock::now();
                services->handled.fetch_add(1, std::memory_order_release);
            },
            Qt::QueuedConnection);
    }

    MidiDriverCallback portCallback_ = nullptr;
    void* portData_ = nullptr;
};

std::vector<uint8_t> Numbered(int seq) {
    // The number rides in the channel and both data bytes: 18 bits.
    return {static_cast<uint8_t>(0xB0 | ((seq >> 14) & 0x0F)), static_cast<uint8_t>(seq & 0x7F),
            static_cast<uint8_t>((seq >> 7) & 0x7F)};
}

struct Figures {
    double p50, p99, max;
};

// Runs count events, one at a time, and returns the latencies of even (port) and odd (Qt
// queued) events.
std::pair<Figures, Figures> Measure(TimedServices& services, int count) {
    // One event at a time, each sent once the previous one has arrived: the hand-over
    // alone is timed, with no queue in front of it.
    services.handled = 0;
    std::thread driver([&] {
        for (int seq = 0; seq < count; ++seq) {
            services.Inject("Bench In", Numbered(seq));
            while (services.handled.load(std::memory_order_acquire) <= seq)
                std::this_thread::yield();
        }
    });
    while (services.handled.load(std::memory_order_acquire) < count)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    driver.join();
    std::vector<double> road[2];
    for (int i = 0; i < count; ++i)
        road[i % 2].push_back(
            std::chrono::duration<double, std::micro>(services.arrived[i] - services.entered[i])
                .count());
    Figures figures[2];
    for (int r = 0; r < 2; ++r) {
        std::sort(road[r].begin(), road[r].end());
        const std::size_t n = road[r].size();
        figures[r] = {road[r][n / 2], road[r][n * 99 / 100], road[r].back()};
    }
    return {figures[0], figures[1]};
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TimedServices services;
    services.AddInputDevice("Bench In");
    QObject qtReceiver;
    services.qtReceiver = &qtReceiver;

    TMidiInput port(services);
    Clock::time_point handlerStart, handlerEnd;
    int drained = 0;
    bool timeDrain = false;
    port.OnMidiInput = [&](QObject*) {
        // The hand-over ends where OnMidiInput is entered; taking the event is the
        // handler's own work.
        const Clock::time_point entered = Clock::now();
        if (timeDrain)
            handlerStart = entered;
        while (port.GetEventCount() > 0) {
            auto event = port.GetMidiEvent();
            const int seq =
                event->DataByte1 | event->DataByte2 << 7 | (event->StatusByte & 0x0F) << 14;
            if (!timeDrain) {
                services.arrived[seq] = entered;
                services.handled.fetch_add(1, std::memory_order_release);
            }
            ++drained;
        }
        if (timeDrain)
            handlerEnd = Clock::now();
    };
    port.OpenAndStart();

    // Warm both roads up, then measure them side by side.
    Measure(services, 2000);
    const auto [port1, qt1] = Measure(services, kEvents);

    // A burst of 1000 waiting in the ring, drained by one handler run.
    services.alternate = false;
    timeDrain = true;
    drained = 0;
    for (int seq = 0; seq < kBurst; ++seq)
        services.Inject("Bench In", Numbered(seq));
    services.WaitDelivered("Bench In");
    while (drained < kBurst)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double drainUs =
        std::chrono::duration<double, std::micro>(handlerEnd - handlerStart).count();
    port.StopAndClose();

    std::printf("hand-over latency, callback to OnMidiInput, %d events each (microseconds)\n",
                kEvents / 2);
    std::printf("  %-22s p50 %7.1f  p99 %7.1f  max %8.1f\n", "port notification:", port1.p50,
                port1.p99, port1.max);
    std::printf("  %-22s p50 %7.1f  p99 %7.1f  max %8.1f\n", "Qt queued call:", qt1.p50, qt1.p99,
                qt1.max);
    std::printf("  ratio port / Qt:       p50 %7.2f  p99 %7.2f\n", port1.p50 / qt1.p50,
                port1.p99 / qt1.p99);
    std::printf("  port p99 against one MIDI byte time (%.0f us): %.3f byte times\n", kByteTimeUs,
                port1.p99 / kByteTimeUs);
    std::printf("burst of %d events waiting in the ring: drained by one OnMidiInput in %.1f us "
                "(%.3f us an event)\n",
                kBurst, drainUs, drainUs / kBurst);
    return 0;
}
