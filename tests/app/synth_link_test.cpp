// The window's traffic with the synthesizer: the dump request, the decode of what comes
// back, and the feedback of the decoded patch to the controller.
#include "midi/midi_input.h"
#include "platform/loopback/loopback_midi_services.h"
#include "sim/dw6000_patch.h"
#include "synth_link_fixture.h"
#include "widgets/mbadsr2.h"
#include "widgets/mbgrafsw.h"

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include <functional>

namespace {

const Bytes kDumpRequest{0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7};

// Every field at its highest code: each row differs from an all-zero patch.
Dw6000Patch EveryBitSet() {
    Dw6000Patch patch{};
    for (const ParamRow& row : kParamRows)
        patch[row.dumpIndex] |= uint8_t(row.mask);
    return patch;
}

TEST_F(SynthLinkTest, StartUpAsksForThePatchAndShowsTheAnswerEverywhere) {
    ConnectSynth();
    OpenOn();
    ASSERT_TRUE(ControllerGot(kParamCount));

    EXPECT_EQ(SentTo("DW Out"), std::vector<Bytes>{kDumpRequest});
    const Dw6000Patch& patch = synth.EditBuffer();
    const std::vector<Bytes> feedback = SentTo("BCR Out");
    ASSERT_EQ(feedback.size(), std::size_t(kParamCount));
    for (int row = 0; row < kParamCount; ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        const Dw6000Field& field = Dw6000Fields()[row];
        const uint8_t byte = patch[field.byte];
        EXPECT_EQ(feedback[row],
                  (Bytes{0xB0, uint8_t(kParamRows[row].bcrController), uint8_t(field.Code(byte))}));
        EXPECT_EQ(window->params[row].label->text().toStdString(), field.Text(byte));
    }
    const auto code = [&](int row) {
        return Dw6000Fields()[row].Code(patch[kParamRows[row].dumpIndex]);
    };
    EXPECT_EQ(window->VCFadsr->GetValue(0), 31 - code(9)); // attack: a time
    EXPECT_EQ(window->VCFadsr->GetValue(5), code(13));     // sustain: a level
    EXPECT_EQ(window->VCAadsr->GetValue(6), 31 - code(20));
    EXPECT_EQ(window->gOsc1->State(), code(31));
    EXPECT_EQ(window->gOsc2->State(), code(32));
    EXPECT_TRUE(window->VCFadsr->isVisibleTo(window.get()));
    EXPECT_TRUE(window->VCAadsr->isVisibleTo(window.get()));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(SynthLinkTest, AProgramChangeOnAnyChannelAsksForThePatchOnlyThroughAnOpenOutput) {
    for (const std::string output : {"DW Out", "None"}) {
        SCOPED_TRACE(output);
        OpenOn(output);
        midi.ClearSent("DW Out");
        for (uint8_t status : {0xC0, 0xC7, 0xCF})
            FromSynth({status, 0x05});
        FromSynth({0x90, 60, 100}); // not a program change
        FromSynth({0xB0, 7, 100});
        const std::vector<Bytes> expected(output == "None" ? 0 : 3, kDumpRequest);
        EXPECT_EQ(SentTo("DW Out"), expected);
        Close();
    }
}

// A block decodes row by row as far as it reaches; a block too short for the patch
// says so, and the graphs come back either way. Blocks are handed over as the input
// handler stages them, since a port passes on no SysEx block that lacks its F7.
TEST_F(SynthLinkTest, BlocksAreDecodedAsFarAsTheyReach) {
    struct Case {
        const char* what;
        std::size_t size;
        int rows; // decoded
        bool tooSmall;
        uint8_t formatByte = 0x30;
    };
    const Case cases[] = {
        {"whole dump", 32, 35, false},
        {"no closing F7", 31, 35, false},
        {"30 bytes", 30, 33, true},
        {"header alone", 5, 0, true},
        {"extra bytes within the buffer", 40, 35, false},
        {"extra bytes beyond the buffer", 600, 35, false},
        {"channel 2", 32, 0, false, 0x31},
    };
    OpenOn();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window->AcceptSynthSysex(Dump(Dw6000Patch{}));
        midi.ClearSent("BCR Out");
        dialogs.Clear();

        Bytes block = Dump(EveryBitSet());
        block[2] = c.formatByte;
        block.resize(c.size, 0x55);
        window->AcceptSynthSysex(block);

        EXPECT_EQ(window->lastSysexSize, int32_t(std::min<std::size_t>(c.size, 44)));
        EXPECT_TRUE(std::equal(window->sysexBuffer.begin(),
                               window->sysexBuffer.begin() + window->lastSysexSize, block.begin()));
        for (int row = 0; row < kParamCount; ++row)
            EXPECT_EQ(window->params[row].value, row < c.rows ? kParamRows[row].mask : 0)
                << "row " << row;
        EXPECT_EQ(midi.Sent("BCR Out").size(), std::size_t(c.rows));
        if (c.tooSmall) {
            ASSERT_EQ(dialogs.shown.size(), 1u);
            EXPECT_EQ(dialogs.shown[0].kind, ShownKind::MessageDialog);
            EXPECT_EQ(dialogs.shown[0].text, "Sysex block too small for patch");
            EXPECT_EQ(dialogs.shown[0].type, DialogType::Error);
            EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);
        } else {
            EXPECT_TRUE(dialogs.shown.empty());
        }
        EXPECT_TRUE(window->VCFadsr->isVisibleTo(window.get()));
        EXPECT_TRUE(window->VCAadsr->isVisibleTo(window.get()));
    }
    EXPECT_EQ(midi.Sent("DW Out").size(), 1u) << "a decode sends nothing to the synthesizer";
}

TEST_F(SynthLinkTest, ClosedOutputsStillUpdateLabelsAndPictures) {
    OpenOn("None", "None");
    Dw6000Patch patch = EveryBitSet();
    patch[24] = 0x2B; // Osc1 Wave 5, Osc2 Wave 3
    patch[8] = 0;     // VCF attack 0: the narrowest segment
    FromSynth(Dump(patch));

    EXPECT_EQ(window->lEnc24->text(), "Saxophone");
    EXPECT_EQ(window->lEnc25->text(), "Elec Piano");
    EXPECT_EQ(window->lEnc37->text(), "63");
    EXPECT_EQ(window->lBut36->text(), "INHIBIT");
    EXPECT_EQ(window->gOsc1->State(), 5);
    EXPECT_EQ(window->gOsc2->State(), 3);
    EXPECT_EQ(window->VCFadsr->GetValue(0), 31);
    EXPECT_EQ(window->VCFadsr->GetValue(5), 31);
    EXPECT_TRUE(midi.Sent("DW Out").empty());
    EXPECT_TRUE(midi.Sent("BCR Out").empty());
}

// A port that fails while a patch is decoded ends the decode with the error box; the
// graphs are shown again all the same.
TEST_F(SynthLinkTest, AFailingControllerOutputEndsTheDecodeWithTheGraphsShown) {
    OpenOn();
    midi.FailNext(LoopbackCall::SendShort, 67);
    FromSynth(Dump(EveryBitSet()));

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(window->params[0].value, kParamRows[0].mask);
    EXPECT_EQ(window->params[1].value, 0) << "the rows after the failure are left";
    EXPECT_TRUE(window->VCFadsr->isVisibleTo(window.get()));
    EXPECT_TRUE(window->VCAadsr->isVisibleTo(window.get()));

    // The next dump goes through whole.
    FromSynth(Dump(EveryBitSet()));
    EXPECT_EQ(midi.Sent("BCR Out").size(), std::size_t(kParamCount));
}

TEST_F(SynthLinkTest, ADumpRequestThatFailsAtStartUpIsShownAndStartUpGoesOn) {
    ConnectSynth();
    midi.FailNext(LoopbackCall::SendLong, 67);
    OpenOn();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsEdit);

    // The input handler is attached: the button's request is answered and shown.
    window->bGetPatch->click();
    EXPECT_TRUE(ControllerGot(kParamCount));
}

// Dialogs that, like a real modal dialog, keep the event loop running while open.
class LoopingDialogs : public ScriptedDialogs {
public:
    std::function<void()> whileOpen;
    DialogAnswer MessageDlg(const QString& text, DialogType type, DialogButtons buttons) override {
        if (whileOpen)
            whileOpen();
        return ScriptedDialogs::MessageDlg(text, type, buttons);
    }
};

TEST_F(SynthLinkTest, InputThatCameDuringAStartUpDialogIsHandledAfterStartUp) {
    // The controller input names the synthesizer's input device: start-up asks.
    folder.Write(IniName(), "[MidiDevices]\nInput=DW In\nOutput=DW Out\nCtrlInput=DW In\n"
                            "CtrlOutput=BCR Out\n");
    Dw6000Patch second = EveryBitSet();
    second[5] = 40;
    LoopingDialogs looping;
    QString labelDuringDialog;
    looping.whileOpen = [&] {
        FromSynth(Dump(Dw6000Patch{}));
        FromSynth(Dump(second));
        labelDuringDialog = fMidi->lEnc37->text();
    };
    window = std::make_unique<TfMidi>(TfMidiServices{looping, midi, folder.Path(), folder.Path()});
    ASSERT_EQ(looping.shown.size(), 1u);
    EXPECT_EQ(labelDuringDialog, "37") << "handled in the middle of start-up";
    EXPECT_TRUE(midi.Sent("BCR Out").empty());

    ASSERT_TRUE(ControllerGot(2 * kParamCount));
    EXPECT_EQ(window->lEnc37->text(), "40") << "the later dump last";
    EXPECT_EQ(SentTo("BCR Out").back(), (Bytes{0xB0, 27, 7}));
    EXPECT_EQ(SentTo("DW Out"), std::vector<Bytes>{kDumpRequest});
    EXPECT_EQ(looping.shown.size(), 1u);
}

} // namespace
