// The pictures of the "Edit" page kept in step with the parameter table.
#include "app/tf_midi.h"
#include "platform/shell/dialogs.h"
#include "synth/patch_pictures.h"
#include "widgets/mbadsr2.h"
#include "widgets/mbgrafsw.h"

#include <chrono>
#include <thread>

void TfMidi::UpdateParamDisplay(int32_t row) {
    const CcParam& param = params[row];
    if (row == kOsc1WaveRow)
        gOsc1->SetState(param.PlainValue());
    if (row == kOsc2WaveRow)
        gOsc2->SetState(param.PlainValue());

    const EnvelopeTarget target = EnvelopeTargetOf(param.envelopeSlot);
    if (target.graph != EnvelopeGraph::None) {
        const bool vcf = target.graph == EnvelopeGraph::Vcf;
        if (target.usable)
            (vcf ? VCFadsr : VCAadsr)
                ->SetValue(ShownEnvelopeValue(target.index, param.value), target.index);
        else
            services.dialogs.MessageDlg((vcf ? QStringLiteral("VCF State outside range ")
                                             : QStringLiteral("VCA State outside range ")) +
                                            QString::number(target.index),
                                        DialogType::Warning, DialogButtons::Ok);
    }

    const int32_t polarity = params[kPolarityRow].value;
    if (polarity != lastVcfPolarity) {
        lastVcfPolarity = polarity;
        const int32_t start = VcfStartLevel(polarity);
        VCFadsr->SetValue(start, 7);
        VCFadsr->SetValue(31 - start, 1);
    }

    // Spaces the controller feedback of a decode at least 1 ms apart.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}
