#pragma once
// The driver callback every open port registers, and the record that tells it where
// to store events and whom to notify.
//
// Threads: midiHandler runs on the MIDI service's thread. It takes no lock, allocates
// nothing and never calls into a port: it filters, puts one item into the ring and
// posts one notification.
#include "midi/circbuf.h"
#include "platform/midi_services/midi_services.h"

#include <atomic>

class TNotifyWindow;

// Notifications posted to a port's window. The first two reuse the service's numbers
// for input data and for a long message done; the ring's own comes after them.
namespace PortNotification {
constexpr uint32_t kEventsWaiting = MidiCallbackMessage::kInputData;
constexpr uint32_t kOutputDone = MidiCallbackMessage::kOutputDone;
constexpr uint32_t kRingFull = 0x400;
// The session asking whether it may end.
constexpr uint32_t kQueryEndSession = 0x11;
} // namespace PortNotification

struct TPortCallbackData {
    TBlockHandle Block;
    // The input port's ring; none for an output port.
    std::atomic<TCircularBuffer*> Buffer;
    TNotifyWindow* Window;
    // Written by the main thread whenever the port's properties change, read by the
    // callback from the next message on.
    std::atomic<bool> SysexOnly;
    std::atomic<bool> DropTimingClock;
    std::atomic<bool> DropActiveSensing;
    // Counts the input port's Opens, so that a refused SysEx buffer reported after the
    // port was closed and opened again is not taken for one of the new buffers.
    std::atomic<uint32_t> OpenSerial;
};

// Zero-filled, at a fixed address until TPortCallbackDataFree.
TPortCallbackData* TPortCallbackDataAlloc();
void TPortCallbackDataFree(TPortCallbackData* data);

void midiHandler(MidiHandle handle, uint32_t message, void* data, uintptr_t param1,
                 uintptr_t param2);
