#include "platform/midi_services/locked_memory.h"

#include <cstdlib>

void* GlobalSharedLockedAlloc(std::size_t size, TBlockHandle& handle) {
    handle = 0;
    if (size == 0)
        return nullptr;
    void* block = std::calloc(1, size);
    handle = reinterpret_cast<TBlockHandle>(block);
    return block;
}

void GlobalSharedLockedFree(TBlockHandle handle, void*) {
    if (handle != 0)
        std::free(reinterpret_cast<void*>(handle));
}
