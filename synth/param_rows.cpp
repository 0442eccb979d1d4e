// The rules every row of the parameter table keeps, checked when the program is built,
// so a mistyped row never reaches a user.
#include "synth/param_rows.h"

#include <string_view>

namespace {

constexpr int LowestBit(int32_t mask) {
    int bit = 0;
    while (mask != 0 && (mask & 1) == 0) {
        mask >>= 1;
        ++bit;
    }
    return bit;
}

constexpr bool RowsKeepTheirBits() {
    for (const ParamRow& row : kParamRows) {
        if (row.dumpIndex < 0 || row.dumpIndex > 25 || row.mask <= 0 || row.mask > 0x7F)
            return false;
        if (row.shift != LowestBit(row.mask) || ((row.maxValue << row.shift) & ~row.mask) != 0)
            return false;
        // A named row names every code its bits can hold.
        if (!row.valueNames.empty() &&
            row.valueNames.size() != std::size_t((row.mask >> row.shift) + 1))
            return false;
    }
    return true;
}

constexpr bool PartnersShareOneByte() {
    for (int i = 0; i < kParamCount; ++i) {
        const ParamRow& row = kParamRows[i];
        if (row.partner == -1)
            continue;
        if (row.partner < 0 || row.partner >= kParamCount || row.partner == i)
            return false;
        const ParamRow& other = kParamRows[row.partner];
        if (other.partner != i || other.dumpIndex != row.dumpIndex || (other.mask & row.mask))
            return false;
    }
    return true;
}

constexpr bool ControlsAreDistinct() {
    for (int i = 0; i < kParamCount; ++i)
        for (int j = i + 1; j < kParamCount; ++j)
            if (kParamRows[i].bcrChannel == kParamRows[j].bcrChannel &&
                kParamRows[i].bcrController == kParamRows[j].bcrController)
                return false;
    return true;
}

// "lEnc44" shows the encoder sending controller 44, "lBut36" the button sending 36.
constexpr bool LabelsNameTheirControl() {
    for (const ParamRow& row : kParamRows) {
        const std::string_view label = row.label;
        if (label.size() != 6 || (label.substr(0, 4) != "lEnc" && label.substr(0, 4) != "lBut"))
            return false;
        if ((label[4] - '0') * 10 + (label[5] - '0') != row.bcrController)
            return false;
    }
    return true;
}

static_assert(RowsKeepTheirBits());
static_assert(PartnersShareOneByte());
static_assert(ControlsAreDistinct());
static_assert(LabelsNameTheirControl());

} // namespace
