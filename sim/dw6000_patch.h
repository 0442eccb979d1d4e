#pragma once
// The DW-6000's 26 patch bytes as the instrument knows them: which bits of which byte
// hold each of its 35 sound parameters, how far each goes, and the names its panel
// gives to the values. Bits no parameter holds are 0 in every patch the instrument makes.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

inline constexpr size_t kDw6000PatchSize = 26;
using Dw6000Patch = std::array<uint8_t, kDw6000PatchSize>;

struct Dw6000Field {
    const char* name; // as printed near its control, qualified by its envelope
    int byte;         // 0-25, also the parameter number of a parameter change
    uint8_t mask;     // the field's bits within the byte, in position
    int maxValue;     // largest value the panel sets; codes above may still be stored
    std::vector<const char*> valueNames; // entry k names code k; empty: shown as a number

    int Shift() const;
    int Code(uint8_t byte) const { return (byte & mask) >> Shift(); }
    // The value of this field in a patch byte as the panel shows it: a name or a number.
    std::string Text(uint8_t byte) const;
};

// All 35 fields, in panel order.
const std::vector<Dw6000Field>& Dw6000Fields();

// "VCF Cutoff = 40" for every field held in that byte of the patch, joined by ", ".
std::string DescribePatchByte(const Dw6000Patch& patch, int byte);
