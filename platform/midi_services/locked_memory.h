#pragma once
// Memory the MIDI callback thread may touch at any time: zero-filled blocks that stay at
// one address until released.
#include <cstddef>
#include <cstdint>

using TBlockHandle = uintptr_t;

// The block's address, and its handle in `handle`; none (and handle 0) when no memory.
void* GlobalSharedLockedAlloc(std::size_t size, TBlockHandle& handle);
// Releases a block made by GlobalSharedLockedAlloc; nothing when handle is 0.
void GlobalSharedLockedFree(TBlockHandle handle, void* address);
