#pragma once
// The 35 synthesizer parameters as plain data: where each sits in the DW-6000's 26-byte
// patch, which BCR2000 control sends it, which window label prints it and which envelope
// point it moves. Free of Qt, so tools, benchmarks and fuzzers can use it; the window's
// CcParam rows are filled from it.
#include <array>
#include <cstdint>
#include <span>

inline constexpr int kParamCount = 35;

// Columns, one meaning each:
//   caption        the text printed near the value on the panel, qualified by its graph
//   dumpIndex      byte of the patch data (0-25), also the parameter-change number
//   mask           the parameter's bits within that byte, in position
//   shift          position of mask's lowest bit
//   maxValue       largest plain value (value >> shift) the parameter takes
//   partner        row sharing the same byte, or -1
//   bcrChannel     MIDI channel of the control, 0 for channel 1
//   bcrController  controller number of the control's control change
//   envelopeSlot   -1 none; 0-6 a point of the VCA graph; 10-16 point slot - 10 of VCF
//   label          name of the window label that shows the value
//   valueNames     entry k names plain value k; empty: shown in decimal
struct ParamRow {
    const char* caption;
    int32_t dumpIndex;
    int32_t mask;
    int32_t shift;
    int32_t maxValue;
    int32_t partner;
    int32_t bcrChannel;
    int32_t bcrController;
    int32_t envelopeSlot;
    const char* label;
    std::span<const char* const> valueNames;
};

namespace param_names {
inline constexpr const char* kAssignMode[] = {"Poly 1", "Poly 2", "Unison", "INHIBIT"};
inline constexpr const char* kOffOn[] = {"Off", "On"};
inline constexpr const char* kOctave[] = {"16'", " 8'", " 4'", "INHIBIT"};
inline constexpr const char* kKbdTrack[] = {"Off", "Half", "Full", "INHIBIT"};
inline constexpr const char* kPolarity[] = {"Normal", "Invert"};
inline constexpr const char* kWave[] = {"Brass&Str", "Violin",    "Ac. Piano", "Elec Piano",
                                        "SynthBass", "Saxophone", "Clavinet",  "Bell-Gong"};
inline constexpr const char* kInterval[] = {"Unison", "Third Below", "Third",   "Fourth",
                                            "Fifth",  "INHIBIT",     "INHIBIT", "INHIBIT"};
} // namespace param_names

// Rows in their fixed order; every part of the program addresses a parameter by its row.
// clang-format off
inline constexpr std::array<ParamRow, kParamCount> kParamRows{{
//   caption               dump  mask shift max partner ch ctrl slot label     names
    {"Assign Mode",          0, 0x30, 4,  2,  1, 0, 36, -1, "lBut36", param_names::kAssignMode},
    {"Bend Osc",             0, 0x0F, 0, 12,  0, 0, 44, -1, "lEnc44", {}},
    {"Portamento",           1, 0x1F, 0, 31, -1, 0, 40, -1, "lEnc40", {}},
    {"Osc1 Level",           2, 0x1F, 0, 31, -1, 0, 41, -1, "lEnc41", {}},
    {"Osc2 Level",           3, 0x1F, 0, 31, -1, 0, 42, -1, "lEnc42", {}},
    {"Noise Level",          4, 0x1F, 0, 31, -1, 0, 43, -1, "lEnc43", {}},
    {"VCF Cutoff",           5, 0x3F, 0, 63, -1, 0, 37, -1, "lEnc37", {}},
    {"Resonance",            6, 0x1F, 0, 31, -1, 0, 38, -1, "lEnc38", {}},
    {"VCF Intensity",        7, 0x1F, 0, 31, -1, 0, 52, -1, "lEnc52", {}},
    {"VCF Env - Attack",     8, 0x1F, 0, 31, -1, 0, 45, 10, "lEnc45", {}},
    {"VCF Decay",            9, 0x1F, 0, 31, -1, 0, 46, 12, "lEnc46", {}},
    {"VCF Break point",     10, 0x1F, 0, 31, -1, 0, 47, 13, "lEnc47", {}},
    {"VCF Slope",           11, 0x1F, 0, 31, -1, 0, 48, 14, "lEnc48", {}},
    {"VCF Sustain",         12, 0x1F, 0, 31, -1, 0, 49, 15, "lEnc49", {}},
    {"VCF Release",         13, 0x1F, 0, 31, -1, 0, 50, 16, "lEnc50", {}},
    {"VCA Env - Attack",    14, 0x1F, 0, 31, -1, 0, 53,  0, "lEnc53", {}},
    {"VCA Decay",           15, 0x1F, 0, 31, -1, 0, 54,  2, "lEnc54", {}},
    {"VCA Break point",     16, 0x1F, 0, 31, -1, 0, 55,  3, "lEnc55", {}},
    {"VCA Slope",           17, 0x1F, 0, 31, -1, 0, 56,  4, "lEnc56", {}},
    {"VCA Sustain",         18, 0x1F, 0, 31, 21, 0, 57,  5, "lEnc57", {}},
    {"VCA Release",         19, 0x1F, 0, 31, 22, 0, 58,  6, "lEnc58", {}},
    {"Bend VCF",            18, 0x20, 5,  1, 19, 0, 32, -1, "lBut32", param_names::kOffOn},
    {"Osc1 Octave",         19, 0x60, 5,  2, 20, 0, 33, -1, "lBut33", param_names::kOctave},
    {"Osc2 Octave",         20, 0x60, 5,  2, 24, 0, 34, -1, "lBut34", param_names::kOctave},
    {"MG Freq",             20, 0x1F, 0, 31, 23, 0, 20, -1, "lEnc20", {}},
    {"Kbd Track",           21, 0x60, 5,  2, 26, 0, 29, -1, "lBut29", param_names::kKbdTrack},
    {"MG Delay",            21, 0x1F, 0,  3, 25, 0, 21, -1, "lEnc21", {}},
    {"Polarity",            22, 0x20, 5,  1, 28, 0, 30, -1, "lBut30", param_names::kPolarity},
    {"MG Osc",              22, 0x1F, 0,  3, 27, 0, 22, -1, "lEnc22", {}},
    {"Chorus",              23, 0x20, 5,  1, 30, 0, 31, -1, "lBut31", param_names::kOffOn},
    {"MG VCF",              23, 0x1F, 0, 31, 29, 0, 23, -1, "lEnc23", {}},
    {"Osc1 Wave",           24, 0x38, 3,  7, 32, 0, 24, -1, "lEnc24", param_names::kWave},
    {"Osc2 Wave",           24, 0x07, 0,  7, 31, 0, 25, -1, "lEnc25", param_names::kWave},
    {"Osc2 Interval",       25, 0x38, 3,  4, 34, 0, 26, -1, "lEnc26", param_names::kInterval},
    {"Osc2 Detune",         25, 0x07, 0,  6, 33, 0, 27, -1, "lEnc27", {}},
}};
// clang-format on

// Rows other parts of the program name by number.
inline constexpr int kPolarityRow = 27;
inline constexpr int kOsc1WaveRow = 31;
inline constexpr int kOsc2WaveRow = 32;
