#pragma once
// What every input device of a MIDI service does with the bytes its driver receives:
// short messages go to the callback packed with their time stamp, SysEx bytes fill
// the lent buffers in the order they were added, each filled buffer going back
// through the callback. Shared by the RtMidi and loopback services.
//
// Threads: Deliver runs on the driver's thread (one thread per device), everything else
// on the main thread. The driver's side takes no lock and allocates nothing: lent
// buffers reach it through a single-producer, single-consumer queue (the main thread
// adds, the driver's thread takes). Stop and Reset wait until a delivery under way has
// finished, so once they return the driver's thread leaves the buffers and the callback
// alone; the callback is never run by two threads at once.
#include "platform/midi_services/midi_services.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>

class MidiInputDelivery {
public:
    MidiInputDelivery(MidiHandle handle, MidiDriverCallback callback, void* data);

    uint32_t Prepare(MidiHeader& header);
    uint32_t Unprepare(MidiHeader& header);
    uint32_t Add(MidiHeader& header);
    void Start();
    void Stop();
    // Stops, then hands every lent buffer back through the callback, on this thread.
    void Reset();
    // True while buffers are lent (closing must wait for a reset).
    bool HasBuffers() const;

    // One complete message, or a part of a SysEx block, as the driver received it.
    void Deliver(const uint8_t* bytes, std::size_t count);

private:
    // The lent buffers in the order they were added. Main thread: Push; driver's thread:
    // Pop; both only while the other may run, except while the driver's side is shut
    // out (Grow, and Pop inside Reset).
    class LentQueue {
    public:
        bool Push(MidiHeader* header);
        MidiHeader* Pop();
        void Grow();

    private:
        std::unique_ptr<MidiHeader*[]> slots_;
        std::size_t size_ = 0;
        std::atomic<std::size_t> head_ = 0; // moved by the taker
        std::atomic<std::size_t> tail_ = 0; // moved by the adder
    };

    // Stops deliveries and waits until none is under way; returns whether it was started.
    bool ShutOutDriver();
    void DeliverSysex(const uint8_t* bytes, std::size_t count, uint32_t stamp);
    void HandBack(MidiHeader* header, uint32_t stamp);
    uint32_t Stamp() const;

    const MidiHandle handle_;
    const MidiDriverCallback callback_;
    void* const data_;
    LentQueue lent_;
    // Buffers added and not yet handed back.
    std::atomic<std::size_t> lentCount_ = 0;
    std::atomic<bool> started_ = false;
    std::atomic<bool> delivering_ = false;
    // Written only while the driver's side is shut out, read by it while started.
    std::chrono::steady_clock::time_point startTime_{};
    // The driver's side: the buffer being filled and whether a block is still open.
    MidiHeader* filling_ = nullptr;
    bool inSysex_ = false;
};

// The input calls of a service whose devices deliver through a MidiInputDelivery: each
// finds the device's delivery by its handle and passes the call on.
class DeliveringMidiServices : public MidiServices {
public:
    uint32_t PrepareInputHeader(MidiHandle handle, MidiHeader& header) override;
    uint32_t UnprepareInputHeader(MidiHandle handle, MidiHeader& header) override;
    uint32_t AddInputBuffer(MidiHandle handle, MidiHeader& header) override;
    uint32_t StartInput(MidiHandle handle) override;
    uint32_t StopInput(MidiHandle handle) override;
    uint32_t ResetInput(MidiHandle handle) override;

protected:
    enum class InputCall { Prepare, Unprepare, Add, Start, Stop, Reset };

    // The open device's delivery, or none for a handle that is not open.
    virtual MidiInputDelivery* DeliveryOf(MidiHandle handle) = 0;
    // The result a call gets before it is passed on; kOk passes it on.
    virtual uint32_t Admit(InputCall) { return MidiResult::kOk; }

private:
    template <typename Call> uint32_t Forward(InputCall kind, MidiHandle handle, Call call);
};
