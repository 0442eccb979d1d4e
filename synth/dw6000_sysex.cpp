#include "synth/dw6000_sysex.h"

#include <algorithm>

uint8_t ParamChangeByte(int32_t value, int32_t partner, int32_t partnerValue) {
    return static_cast<uint8_t>(partner >= 0 ? value + partnerValue : value);
}

void SetParamChange(ParamChangeMsg& message, int32_t dumpIndex, uint8_t patchByte) {
    message[5] = static_cast<uint8_t>(dumpIndex);
    message[6] = patchByte;
}

std::size_t KeptSysexSize(std::size_t blockSize) {
    return std::min(blockSize, kSysexBufferSize);
}

bool IsDw6000PatchDump(std::span<const uint8_t> block) {
    constexpr uint8_t kHeader[] = {0x42, 0x30, 0x04, 0x40};
    return block.size() >= 5 &&
           std::equal(std::begin(kHeader), std::end(kHeader), block.begin() + 1);
}

int DecodableRows(int32_t blockSize) {
    int rows = 0;
    while (rows < kParamCount && kParamRows[rows].dumpIndex + kPatchDataOffset < blockSize)
        ++rows;
    return rows;
}
