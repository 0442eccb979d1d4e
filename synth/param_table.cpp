#include "synth/cc_param.h"

#include <QStringList>

namespace {

// One row of the table as it differs from the defaults of CcParam.
struct ParamRow {
    int32_t dumpIndex;
    int32_t mask;
    int32_t shift;
    int32_t maxValue;
    int32_t partner;
    int32_t bcrController;
    int32_t envelopeSlot;
    const char* label;
    QStringList valueNames;
};

const QStringList kNoNames;
const QStringList kWaveNames{"Brass&Str", "Violin",    "Ac. Piano", "Elec Piano",
                             "SynthBass", "Saxophone", "Clavinet",  "Bell-Gong"};
const QStringList kOctaveNames{"16'", " 8'", " 4'", "INHIBIT"};

// Rows in their fixed order; the comment is the caption printed on the panel.
// clang-format off
const ParamRow kRows[kParamCount] = {
//   dump  mask  shift max partner ctrl slot  label
    { 0, 0x30, 4,  2,  1, 36, -1, "lBut36", {"Poly 1", "Poly 2", "Unison", "INHIBIT"}}, // Assign Mode
    { 0, 0x0F, 0, 12,  0, 44, -1, "lEnc44", kNoNames},           // Bend Osc
    { 1, 0x1F, 0, 31, -1, 40, -1, "lEnc40", kNoNames},           // Portamento
    { 2, 0x1F, 0, 31, -1, 41, -1, "lEnc41", kNoNames},           // Osc1 Level
    { 3, 0x1F, 0, 31, -1, 42, -1, "lEnc42", kNoNames},           // Osc2 Level
    { 4, 0x1F, 0, 31, -1, 43, -1, "lEnc43", kNoNames},           // Noise Level
    { 5, 0x3F, 0, 63, -1, 37, -1, "lEnc37", kNoNames},           // VCF Cutoff
    { 6, 0x1F, 0, 31, -1, 38, -1, "lEnc38", kNoNames},           // Resonance
    { 7, 0x1F, 0, 31, -1, 52, -1, "lEnc52", kNoNames},           // VCF Intensity
    { 8, 0x1F, 0, 31, -1, 45, 10, "lEnc45", kNoNames},           // VCF Env - Attack
    { 9, 0x1F, 0, 31, -1, 46, 12, "lEnc46", kNoNames},           // VCF Decay
    {10, 0x1F, 0, 31, -1, 47, 13, "lEnc47", kNoNames},           // VCF Break point
    {11, 0x1F, 0, 31, -1, 48, 14, "lEnc48", kNoNames},           // VCF Slope
    {12, 0x1F, 0, 31, -1, 49, 15, "lEnc49", kNoNames},           // VCF Sustain
    {13, 0x1F, 0, 31, -1, 50, 16, "lEnc50", kNoNames},           // VCF Release
    {14, 0x1F, 0, 31, -1, 53,  0, "lEnc53", kNoNames},           // VCA Env - Attack
    {15, 0x1F, 0, 31, -1, 54,  2, "lEnc54", kNoNames},           // VCA Decay
    {16, 0x1F, 0, 31, -1, 55,  3, "lEnc55", kNoNames},           // VCA Break point
    {17, 0x1F, 0, 31, -1, 56,  4, "lEnc56", kNoNames},           // VCA Slope
    {18, 0x1F, 0, 31, 21, 57,  5, "lEnc57", kNoNames},           // VCA Sustain
    {19, 0x1F, 0, 31, 22, 58,  6, "lEnc58", kNoNames},           // VCA Release
    {18, 0x20, 5,  1, 19, 32, -1, "lBut32", {"Off", "On"}},      // Bend VCF
    {19, 0x60, 5,  2, 20, 33, -1, "lBut33", kOctaveNames},       // Osc1 Octave
    {20, 0x60, 5,  2, 24, 34, -1, "lBut34", kOctaveNames},       // Osc2 Octave
    {20, 0x1F, 0, 31, 23, 20, -1, "lEnc20", kNoNames},           // MG Freq
    {21, 0x60, 5,  2, 26, 29, -1, "lBut29", {"Off", "Half", "Full", "INHIBIT"}}, // Kbd Track
    {21, 0x1F, 0,  3, 25, 21, -1, "lEnc21", kNoNames},           // MG Delay
    {22, 0x20, 5,  1, 28, 30, -1, "lBut30", {"Normal", "Invert"}}, // Polarity
    {22, 0x1F, 0,  3, 27, 22, -1, "lEnc22", kNoNames},           // MG Osc
    {23, 0x20, 5,  1, 30, 31, -1, "lBut31", {"Off", "On"}},      // Chorus
    {23, 0x1F, 0, 31, 29, 23, -1, "lEnc23", kNoNames},           // MG VCF
    {24, 0x38, 3,  7, 32, 24, -1, "lEnc24", kWaveNames},         // Osc1 Wave
    {24, 0x07, 0,  7, 31, 25, -1, "lEnc25", kWaveNames},         // Osc2 Wave
    {25, 0x38, 3,  4, 34, 26, -1, "lEnc26",                      // Osc2 Interval
     {"Unison", "Third Below", "Third", "Fourth", "Fifth", "INHIBIT", "INHIBIT", "INHIBIT"}},
    {25, 0x07, 0,  6, 33, 27, -1, "lEnc27", kNoNames},           // Osc2 Detune
};
// clang-format on

} // namespace

void FillParamTable(ParamTable& params, const LabelLookup& labelFor) {
    for (CcParam& param : params)
        param = CcParam{};
    for (int i = 0; i < kParamCount; ++i) {
        const ParamRow& row = kRows[i];
        CcParam& param = params[i];
        param.dumpIndex = row.dumpIndex;
        param.label = labelFor(QString::fromLatin1(row.label));
        param.mask = row.mask;
        param.shift = row.shift;
        param.maxValue = row.maxValue;
        param.partner = row.partner;
        param.bcrController = row.bcrController;
        param.envelopeSlot = row.envelopeSlot;
        param.valueNames = row.valueNames;
    }
}
