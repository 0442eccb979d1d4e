// Controller feedback: a parameter's value sent back to its control, so the BCR2000
// shows a patch that did not come from its own controls.
#include "app/tf_midi.h"
#include "controller/controller_feedback.h"
#include "midi/midi_output.h"

void TfMidi::SendParamToBcr(int32_t row) {
    if (MidiPCtoBC->PortState() == mosClosed)
        return;
    const CcParam& param = params[row];
    const auto [status, controller, value] =
        FeedbackControlChange(param.bcrChannel, param.bcrController, param.value, param.shift);
    MidiPCtoBC->PutShort(status, controller, value);
}
