#include "midi/midi_callback.h"

#include "platform/shell/notify_window.h"

#include <new>

TPortCallbackData* TPortCallbackDataAlloc() {
    TBlockHandle block = 0;
    void* memory = GlobalSharedLockedAlloc(sizeof(TPortCallbackData), block);
    if (!memory)
        return nullptr;
    auto* data = new (memory) TPortCallbackData{};
    data->Block = block;
    return data;
}

void TPortCallbackDataFree(TPortCallbackData* data) {
    if (!data)
        return;
    const TBlockHandle block = data->Block;
    data->~TPortCallbackData();
    GlobalSharedLockedFree(block, data);
}

void midiHandler(MidiHandle, uint32_t message, void* data, uintptr_t param1, uintptr_t param2) {
    auto* port = static_cast<TPortCallbackData*>(data);
    switch (message) {
    case MidiCallbackMessage::kInputData:
    case MidiCallbackMessage::kInputLongData:
    case MidiCallbackMessage::kInputLongError: {
        if (!port)
            return;
        // The whole parameter is compared, so only the one-byte messages match.
        if (param1 == 0xF8 && port->DropTimingClock.load(std::memory_order_relaxed))
            return;
        if (param1 == 0xFE && port->DropActiveSensing.load(std::memory_order_relaxed))
            return;
        if (message == MidiCallbackMessage::kInputData &&
            port->SysexOnly.load(std::memory_order_relaxed))
            return;
        TCircularBuffer* ring = port->Buffer.load(std::memory_order_acquire);
        if (!ring)
            return;
        TMidiBufferItem item{};
        item.TimeStamp = static_cast<uint32_t>(param2);
        if (message == MidiCallbackMessage::kInputData) {
            item.ShortMessage = static_cast<uint32_t>(param1);
            item.SysexHeader = nullptr;
        } else {
            item.ShortMessage = 0;
            item.SysexHeader = reinterpret_cast<MidiHeader*>(param1);
        }
        if (!port->Window)
            return;
        if (CircbufPutEvent(ring, item))
            port->Window->Post(PortNotification::kEventsWaiting, 0, 0);
        else
            // A refused SysEx buffer travels with the notice, so the port can lend it
            // again instead of losing it until the next Open.
            port->Window->Post(PortNotification::kRingFull,
                               port->OpenSerial.load(std::memory_order_relaxed),
                               reinterpret_cast<uintptr_t>(item.SysexHeader));
        return;
    }
    case MidiCallbackMessage::kOutputDone:
        if (port && port->Window)
            port->Window->Post(PortNotification::kOutputDone, 0, param1);
        return;
    default:
        return;
    }
}
