#pragma once
// The DW-6000's System Exclusive messages as the editor sends and receives them, always
// on MIDI channel 1: the data save request, the parameter change and the patch dump.
// Pure byte logic, free of Qt and of the window.
#include "synth/param_rows.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// F0 42 30 04 10 F7: Korg, format byte with channel 1, DW-6000, data save request.
inline constexpr std::array<uint8_t, 6> kDumpRequestMsg{0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7};

// F0 42 30 04 41 pp vv F7: parameter number pp (a patch byte's index) takes the whole
// byte vv. Written once with pp and vv 0; afterwards only bytes 5 and 6 change.
using ParamChangeMsg = std::array<uint8_t, 8>;
inline constexpr ParamChangeMsg kParamChangeStart{0xF0, 0x42, 0x30, 0x04, 0x41, 0x00, 0x00, 0xF7};

// The patch byte a row's parameter change carries. The synthesizer changes a whole
// byte at a time, so a byte two rows share carries both: their values sit in disjoint
// bits, and their sum is the complete byte. partnerValue is ignored without a partner.
uint8_t ParamChangeByte(int32_t value, int32_t partner, int32_t partnerValue);

// Bytes 5 and 6 of the message for a row at dumpIndex whose patch byte is patchByte.
void SetParamChange(ParamChangeMsg& message, int32_t dumpIndex, uint8_t patchByte);

// A patch dump: F0 42 30 04 40, the 26 patch bytes, F7. Patch byte k is block byte k + 5.
inline constexpr int32_t kPatchDataOffset = 5;
inline constexpr int32_t kPatchDumpSize = 32;

// Room kept for the last block from the synthesizer: the header and all 26 patch bytes
// with room to spare. A longer block is cut to its first kSysexBufferSize bytes.
inline constexpr std::size_t kSysexBufferSize = 44;
using SysexBuffer = std::array<uint8_t, kSysexBufferSize>;

// How many bytes of a block of blockSize are kept.
std::size_t KeptSysexSize(std::size_t blockSize);

// Bytes 1 to 4 are 42 30 04 40: Korg, channel 1, DW-6000, data dump. Byte 0, the length
// and the closing F7 are not looked at. Only the block's own bytes count, so a block
// shorter than its header is no dump.
bool IsDw6000PatchDump(std::span<const uint8_t> block);

// Rows are decoded in order until the first whose patch byte lies beyond the block:
// the number of leading rows a block of blockSize bytes holds (kParamCount for a whole
// dump, also one without its F7; 0 for the header alone).
int DecodableRows(int32_t blockSize);
