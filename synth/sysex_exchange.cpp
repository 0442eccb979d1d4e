// The editor's traffic with the synthesizer: the dump request, the patch dump that
// answers it, and a parameter change for every edit.
#include "app/tf_midi.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "platform/shell/dialogs.h"
#include "synth/dw6000_sysex.h"
#include "synth/graphs_hidden.h"

#include <algorithm>

void TfMidi::bGetPatchClick() {
    if (MidiPCToSynth->PortState() != mosClosed)
        MidiPCToSynth->PutLong(kDumpRequestMsg.data(), kDumpRequestMsg.size());
}

void TfMidi::MidiSynthToPCMidiInput() {
    while (MidiSynthToPC->GetEventCount() > 0) {
        const std::unique_ptr<TMyMidiEvent> event = MidiSynthToPC->GetMidiEvent();
        if ((event->StatusByte & 0xF0) == 0xC0) {
            // The synthesizer has changed program: ask for the new one.
            bGetPatchClick();
        } else if (event->SysexSize > 0) {
            synthSysexStream.assign(event->SysexData.get(),
                                    event->SysexData.get() + event->SysexSize);
            AcceptSynthSysex(synthSysexStream);
        }
    }
}

void TfMidi::AcceptSynthSysex(const std::vector<uint8_t>& stream) {
    const std::size_t kept = KeptSysexSize(stream.size());
    std::copy_n(stream.begin(), kept, sysexBuffer.begin());
    lastSysexSize = static_cast<int32_t>(kept);
    if (IsDw6000PatchDump(std::span(sysexBuffer.data(), kept)))
        DecodePatch(sysexBuffer.data());
}

void TfMidi::DecodePatch(const uint8_t* data) {
    const GraphsHidden hidden(*this);
    const int decodable = DecodableRows(lastSysexSize);
    for (int row = 0; row < kParamCount; ++row) {
        if (row == decodable) {
            services.dialogs.MessageDlg(QStringLiteral("Sysex block too small for patch"),
                                        DialogType::Error, DialogButtons::Ok);
            break;
        }
        params[row].SetFromDumpByte(data[params[row].dumpIndex + kPatchDataOffset]);
        UpdateParamDisplay(row);
        SendParamToBcr(row);
    }
}

void TfMidi::SendParamToSynth(int32_t row) {
    const CcParam& param = params[row];
    const int32_t partnerValue = param.partner >= 0 ? params[param.partner].value : 0;
    SetParamChange(paramChangeMsg, param.dumpIndex,
                   ParamChangeByte(param.value, param.partner, partnerValue));
    if (MidiPCToSynth->PortState() != mosClosed)
        MidiPCToSynth->PutLong(paramChangeMsg.data(), paramChangeMsg.size());
    UpdateParamDisplay(row);
}
