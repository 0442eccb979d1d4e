#pragma once
// What every input device of a MIDI service does with the bytes its driver receives:
// short messages go to the callback packed with their time stamp, SysEx bytes fill
// the lent buffers in the order they were added, each filled buffer going back
// through the callback. Shared by the RtMidi and loopback services.
//
// Threads: Deliver runs on the service's receiving thread, everything else on the
// main thread. The callback runs with the device's lock held, so the buffers handed
// back by Reset never race with a delivery.
#include "platform/midi_services/midi_services.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <mutex>

class MidiInputDelivery {
public:
    MidiInputDelivery(MidiHandle handle, MidiDriverCallback callback, void* data);

    uint32_t Prepare(MidiHeader& header);
    uint32_t Unprepare(MidiHeader& header);
    uint32_t Add(MidiHeader& header);
    void Start();
    void Stop();
    // Stops, then hands every lent buffer back.
    void Reset();
    // True while buffers are lent (closing must wait for a reset).
    bool HasBuffers();

    // One complete message, or a part of a SysEx block, as the driver received it.
    void Deliver(const uint8_t* bytes, std::size_t count);

private:
    void DeliverSysex(const uint8_t* bytes, std::size_t count, uint32_t stamp);
    void HandBack(uint32_t stamp);
    uint32_t Stamp() const;

    const MidiHandle handle_;
    const MidiDriverCallback callback_;
    void* const data_;
    std::mutex lock_;
    std::deque<MidiHeader*> lent_;
    bool started_ = false;
    bool inSysex_ = false;
    std::chrono::steady_clock::time_point startTime_{};
};
