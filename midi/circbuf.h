#pragma once
// The ring in which an input port's received events wait: a single-producer,
// single-consumer queue. Only the driver callback puts, on the driver's thread (moving
// WriteSlot); only the main thread reads and removes (moving ReadSlot). Filled is the
// one field both change, atomically, and it alone tells a full ring from an empty one.
// An input port takes its ring from the callback before it resets its device, so the
// buffers a reset hands back on the main thread never reach the ring.
#include "platform/midi_services/locked_memory.h"
#include "platform/midi_services/midi_services.h"

#include <atomic>
#include <cstdint>

struct TMidiBufferItem {
    uint32_t TimeStamp;      // milliseconds since the port was started
    uint32_t ShortMessage;   // status | data1 << 8 | data2 << 16; 0 for a SysEx item
    MidiHeader* SysexHeader; // the handed-back SysEx buffer; none for a short message
};

struct TCircularBuffer {
    TBlockHandle RecordBlock;
    TBlockHandle SlotBlock;
    TMidiBufferItem* FirstSlot;
    TMidiBufferItem* EndSlot;
    TMidiBufferItem* WriteSlot;
    TMidiBufferItem* ReadSlot;
    uint16_t SlotCount;
    std::atomic<uint16_t> Filled;
};

// Rings are limited to what a 64 KiB block of 12-byte slots holds, so a Capacity means
// the same on every build.
constexpr uint16_t kMaxRingSlots = 5461;

// None when capacity is 0 or above kMaxRingSlots, or when memory runs out.
TCircularBuffer* CircbufAlloc(uint16_t capacity);
void CircbufFree(TCircularBuffer* ring);
// Copies the oldest item without removing it.
bool CircbufReadEvent(TCircularBuffer* ring, TMidiBufferItem& item);
bool CircbufRemoveEvent(TCircularBuffer* ring);
// Refused (false, nothing stored) when the ring is full; never overwrites.
bool CircbufPutEvent(TCircularBuffer* ring, const TMidiBufferItem& item);
