#include "synth/patch_pictures.h"

#include <cstdlib>

namespace {
constexpr int32_t kVcfSlotBase = 10;
constexpr int32_t kPeakIndex = 1;
constexpr int32_t kLastRowIndex = 6;
} // namespace

EnvelopeTarget EnvelopeTargetOf(int32_t envelopeSlot) {
    if (envelopeSlot >= kVcfSlotBase) {
        const int32_t index = envelopeSlot - kVcfSlotBase;
        return {EnvelopeGraph::Vcf, index, index != kPeakIndex && index <= kLastRowIndex};
    }
    if (envelopeSlot < 0 || envelopeSlot > 7)
        return {};
    return {EnvelopeGraph::Vca, envelopeSlot,
            envelopeSlot != kPeakIndex && envelopeSlot <= kLastRowIndex};
}

int32_t ShownEnvelopeValue(int32_t index, int32_t value) {
    const bool level = index == 3 || index == 5;
    const int32_t top = level ? 0 : 31;
    return std::abs(top - value) % 32;
}

int32_t VcfStartLevel(int32_t polarityValue) {
    return polarityValue != 0 ? 31 : 0;
}
