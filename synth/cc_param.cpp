#include "synth/cc_param.h"

#include <QLabel>

#include <algorithm>
#include <stdexcept>

namespace {

// Value labels size themselves to their text. A centred label keeps its centre, any
// other its left edge, so a value stays over its control whatever its length.
void ShowText(QLabel& label, const QString& text) {
    const bool centred = label.alignment() & Qt::AlignHCenter;
    const int centre = label.x() + label.width() / 2;
    label.setText(text);
    label.adjustSize();
    if (centred)
        label.move(centre - label.width() / 2, label.y());
}

QString DisplayText(const CcParam& param, int32_t plain) {
    return param.valueNames.isEmpty() ? QString::number(plain) : param.valueNames.at(plain);
}

} // namespace

void CcParam::SetFromController(int32_t v) {
    const int32_t plain = std::clamp(v, 0, maxValue);
    ShowText(*label, DisplayText(*this, plain));
    value = plain << shift;
}

void CcParam::SetFromDumpByte(uint8_t b) {
    value = b & mask;
    ShowText(*label, DisplayText(*this, PlainValue()));
}

void FillParamTable(ParamTable& params, const LabelLookup& labelFor) {
    for (CcParam& param : params)
        param = CcParam{};
    for (int i = 0; i < kParamCount; ++i) {
        const ParamRow& row = kParamRows[i];
        CcParam& param = params[i];
        param.dumpIndex = row.dumpIndex;
        param.label = labelFor(QString::fromLatin1(row.label));
        if (param.label == nullptr)
            throw std::logic_error(std::string("The panel has no label ") + row.label);
        param.mask = row.mask;
        param.shift = row.shift;
        param.maxValue = row.maxValue;
        param.partner = row.partner;
        param.bcrChannel = row.bcrChannel;
        param.bcrController = row.bcrController;
        param.envelopeSlot = row.envelopeSlot;
        for (const char* name : row.valueNames)
            param.valueNames.append(QString::fromLatin1(name));
    }
}
