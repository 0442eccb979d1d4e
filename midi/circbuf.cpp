#include "midi/circbuf.h"

#include <new>

TCircularBuffer* CircbufAlloc(uint16_t capacity) {
    if (capacity == 0 || capacity > kMaxRingSlots)
        return nullptr;
    TBlockHandle recordBlock = 0;
    void* record = GlobalSharedLockedAlloc(sizeof(TCircularBuffer), recordBlock);
    if (!record)
        return nullptr;
    TBlockHandle slotBlock = 0;
    auto* slots = static_cast<TMidiBufferItem*>(
        GlobalSharedLockedAlloc(sizeof(TMidiBufferItem) * capacity, slotBlock));
    if (!slots) {
        GlobalSharedLockedFree(recordBlock, record);
        return nullptr;
    }
    auto* ring = new (record) TCircularBuffer{};
    ring->RecordBlock = recordBlock;
    ring->SlotBlock = slotBlock;
    ring->FirstSlot = ring->WriteSlot = ring->ReadSlot = slots;
    ring->EndSlot = slots + capacity;
    ring->SlotCount = capacity;
    ring->Filled.store(0, std::memory_order_relaxed);
    return ring;
}

void CircbufFree(TCircularBuffer* ring) {
    if (!ring)
        return;
    const TBlockHandle recordBlock = ring->RecordBlock;
    GlobalSharedLockedFree(ring->SlotBlock, ring->FirstSlot);
    ring->~TCircularBuffer();
    GlobalSharedLockedFree(recordBlock, ring);
}

namespace {
TMidiBufferItem* Advance(const TCircularBuffer* ring, TMidiBufferItem* slot) {
    ++slot;
    return slot == ring->EndSlot ? ring->FirstSlot : slot;
}
} // namespace

bool CircbufReadEvent(TCircularBuffer* ring, TMidiBufferItem& item) {
    if (ring->Filled.load(std::memory_order_acquire) == 0)
        return false;
    item = *ring->ReadSlot;
    return true;
}

bool CircbufRemoveEvent(TCircularBuffer* ring) {
    if (ring->Filled.load(std::memory_order_acquire) == 0)
        return false;
    ring->ReadSlot = Advance(ring, ring->ReadSlot);
    // Released only now, so the callback cannot overwrite the slot still being read.
    ring->Filled.fetch_sub(1, std::memory_order_release);
    return true;
}

bool CircbufPutEvent(TCircularBuffer* ring, const TMidiBufferItem& item) {
    if (ring->Filled.load(std::memory_order_acquire) >= ring->SlotCount)
        return false;
    *ring->WriteSlot = item;
    ring->WriteSlot = Advance(ring, ring->WriteSlot);
    // Published only after the item is written whole.
    ring->Filled.fetch_add(1, std::memory_order_release);
    return true;
}
