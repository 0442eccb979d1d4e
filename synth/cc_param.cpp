#include "synth/cc_param.h"

#include <QLabel>

#include <algorithm>

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
