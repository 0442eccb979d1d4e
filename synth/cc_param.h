#pragma once
// One synthesizer parameter as the window holds it: a row of the parameter table
// (synth/param_rows.h) tied to the label that prints it, with its current value. The
// table of all 35 is filled once at start-up and then only values change.
#include "synth/param_rows.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;

struct CcParam {
    int32_t dumpIndex = 0;     // byte of the patch data, also the parameter-change number
    int32_t value = 0;         // kept in its bit position: plain value << shift
    int32_t partner = -1;      // row sharing the same byte, or -1
    int32_t shift = 0;         // lowest bit of mask
    int32_t bcrChannel = 0;    // 0 is MIDI channel 1
    int32_t bcrController = 0; // controller number of the control change
    int32_t envelopeSlot = -1; // -1 none, 0..6 VCA graph point, 10..16 VCF point slot-10
    QLabel* label = nullptr;   // the window owns the label
    int32_t mask = 0x1F;       // the parameter's bits, in position
    int32_t maxValue = 31;     // largest plain value
    QStringList valueNames;    // entry k names plain value k; empty: shown in decimal

    // A value from the controller or from Randomise. Values outside 0..maxValue are
    // clamped first, so they can never reach the partner's bits or bit 7 of a SysEx byte.
    void SetFromController(int32_t v);
    // A byte of a patch dump; only the bits of mask are kept.
    void SetFromDumpByte(uint8_t b);

    int32_t PlainValue() const { return value >> shift; }
};

using ParamTable = std::array<CcParam, kParamCount>;

// Looks up a window label by its name ("lEnc44", "lBut36", ...).
using LabelLookup = std::function<QLabel*(const QString& name)>;

// Fills every row from its defaults and then the row's own settings. Writes no label.
// A label the lookup does not find is an error that names it.
void FillParamTable(ParamTable& params, const LabelLookup& labelFor);
