#pragma once
// A real window with both instruments on loopback devices: "DW In"/"DW Out" towards the
// synthesizer, "BCR In"/"BCR Out" towards the controller. The simulated DW-6000 can be
// put behind "DW Out", so that it answers as the instrument would.
#include "midi/midi_test_support.h"
#include "sim/dw6000_sim.h"
#include "window_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

class SynthLinkTest : public WindowTest {
protected:
    SynthLinkTest() {
        midi.AddInputDevice("DW In");
        midi.AddInputDevice("BCR In");
        midi.AddOutputDevice("DW Out");
        midi.AddOutputDevice("BCR Out");
    }

    // Remembers the four devices (or "None") and opens the window; the queued first
    // call of the input handler runs before this returns.
    void OpenOn(const std::string& synthOut = "DW Out", const std::string& bcrOut = "BCR Out") {
        folder.Write(IniName(),
                     QByteArray::fromStdString("[MidiDevices]\nInput=DW In\nOutput=" + synthOut +
                                               "\nCtrlInput=BCR In\n"
                                               "CtrlOutput=" +
                                               bcrOut + "\n"));
        Open();
        Settle();
    }

    // The simulated synthesizer answers whatever the editor sends it.
    void ConnectSynth() {
        midi.Connect("DW Out", [this](const Bytes& bytes) {
            for (const Bytes& reply : synth.Receive(bytes.data(), bytes.size()))
                midi.Inject("DW In", reply);
        });
    }

    // Hands bytes to the synthesizer input and lets the window handle them.
    void FromSynth(const Bytes& bytes) {
        midi.Inject("DW In", bytes);
        midi.WaitDelivered("DW In");
        Settle();
    }

    std::vector<Bytes> SentTo(const std::string& output) const {
        std::vector<Bytes> messages;
        for (const auto& sent : midi.Sent(output))
            messages.push_back(sent.bytes);
        return messages;
    }

    // Waits for the controller to have received count messages.
    bool ControllerGot(std::size_t count) {
        return RunUntil([&] { return midi.Sent("BCR Out").size() >= count; });
    }

    static Bytes Dump(const Dw6000Patch& patch) {
        Bytes block(32);
        const uint8_t header[] = {0xF0, 0x42, 0x30, 0x04, 0x40};
        std::copy(std::begin(header), std::end(header), block.begin());
        std::copy(patch.begin(), patch.end(), block.begin() + 5);
        block[31] = 0xF7;
        return block;
    }

    Dw6000Sim synth;
};
