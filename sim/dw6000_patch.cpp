#include "sim/dw6000_patch.h"

#include <bit>

namespace {
const std::vector<const char*> waveNames = {"Brass&Str", "Violin",    "Ac. Piano", "Elec Piano",
                                            "SynthBass", "Saxophone", "Clavinet",  "Bell-Gong"};
const std::vector<const char*> octaveNames = {"16'", " 8'", " 4'", "INHIBIT"};
} // namespace

int Dw6000Field::Shift() const {
    return std::countr_zero(static_cast<unsigned>(mask));
}

std::string Dw6000Field::Text(uint8_t byte) const {
    const int code = Code(byte);
    if (valueNames.empty())
        return std::to_string(code);
    return valueNames[static_cast<size_t>(code)];
}

const std::vector<Dw6000Field>& Dw6000Fields() {
    static const std::vector<Dw6000Field> fields = {
        {"Assign Mode", 0, 0x30, 2, {"Poly 1", "Poly 2", "Unison", "INHIBIT"}},
        {"Bend Osc", 0, 0x0F, 12, {}},
        {"Portamento", 1, 0x1F, 31, {}},
        {"Osc1 Level", 2, 0x1F, 31, {}},
        {"Osc2 Level", 3, 0x1F, 31, {}},
        {"Noise Level", 4, 0x1F, 31, {}},
        {"VCF Cutoff", 5, 0x3F, 63, {}},
        {"Resonance", 6, 0x1F, 31, {}},
        {"VCF Intensity", 7, 0x1F, 31, {}},
        {"VCF Env - Attack", 8, 0x1F, 31, {}},
        {"VCF Decay", 9, 0x1F, 31, {}},
        {"VCF Break point", 10, 0x1F, 31, {}},
        {"VCF Slope", 11, 0x1F, 31, {}},
        {"VCF Sustain", 12, 0x1F, 31, {}},
        {"VCF Release", 13, 0x1F, 31, {}},
        {"VCA Env - Attack", 14, 0x1F, 31, {}},
        {"VCA Decay", 15, 0x1F, 31, {}},
        {"VCA Break point", 16, 0x1F, 31, {}},
        {"VCA Slope", 17, 0x1F, 31, {}},
        {"VCA Sustain", 18, 0x1F, 31, {}},
        {"VCA Release", 19, 0x1F, 31, {}},
        {"Bend VCF", 18, 0x20, 1, {"Off", "On"}},
        {"Osc1 Octave", 19, 0x60, 2, octaveNames},
        {"Osc2 Octave", 20, 0x60, 2, octaveNames},
        {"MG Freq", 20, 0x1F, 31, {}},
        {"Kbd Track", 21, 0x60, 2, {"Off", "Half", "Full", "INHIBIT"}},
        {"MG Delay", 21, 0x1F, 3, {}},
        {"Polarity", 22, 0x20, 1, {"Normal", "Invert"}},
        {"MG Osc", 22, 0x1F, 3, {}},
        {"Chorus", 23, 0x20, 1, {"Off", "On"}},
        {"MG VCF", 23, 0x1F, 31, {}},
        {"Osc1 Wave", 24, 0x38, 7, waveNames},
        {"Osc2 Wave", 24, 0x07, 7, waveNames},
        {"Osc2 Interval",
         25,
         0x38,
         4,
         {"Unison", "Third Below", "Third", "Fourth", "Fifth", "INHIBIT", "INHIBIT", "INHIBIT"}},
        {"Osc2 Detune", 25, 0x07, 6, {}},
    };
    return fields;
}

std::string DescribePatchByte(const Dw6000Patch& patch, int byte) {
    std::string text;
    for (const Dw6000Field& field : Dw6000Fields()) {
        if (field.byte != byte)
            continue;
        if (!text.empty())
            text += ", ";
        text += field.name;
        text += " = ";
        text += field.Text(patch[static_cast<size_t>(byte)]);
    }
    return text;
}
