// Choosing the four MIDI devices: start-up restore from the settings file, the click
// handlers with their conflict questions, and what shut-down remembers.
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "support/qt_test_main.h"
#include "window_fixture.h"

#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include <string>

namespace {

// Two instruments on four loopback devices; rows are device numbers.
class PortSelectionTest : public WindowTest {
protected:
    PortSelectionTest() {
        midi.AddInputDevice("DW In");   // row 0 of both input lists
        midi.AddInputDevice("BCR In");  // row 1
        midi.AddOutputDevice("DW Out"); // row 0 of both output lists
        midi.AddOutputDevice("BCR Out");
    }

    void Remember(const std::string& in, const std::string& out, const std::string& ctrlIn,
                  const std::string& ctrlOut) {
        folder.Write(IniName(), QByteArray::fromStdString(
                                    "[MidiDevices]\nInput=" + in + "\nOutput=" + out +
                                    "\nCtrlInput=" + ctrlIn + "\nCtrlOutput=" + ctrlOut + "\n"));
    }
    std::string Devices() const {
        // The device section alone, without what follows it.
        const std::string text = folder.Text(IniName());
        const std::size_t end = text.find("\n\n");
        return end == std::string::npos ? text : text.substr(0, end + 1);
    }
    static std::string Devices(const std::string& in, const std::string& out,
                               const std::string& ctrlIn, const std::string& ctrlOut) {
        return "[MidiDevices]\nInput=" + in + "\nOutput=" + out + "\nCtrlInput=" + ctrlIn +
               "\nCtrlOutput=" + ctrlOut + "\n";
    }
    static std::string Selected(const QListWidget* list) {
        return list->currentItem() != nullptr ? list->currentItem()->text().toStdString() : "";
    }
    void Click(QListWidget* list, int row) {
        list->setCurrentRow(row);
        if (list == window->lbMidiIn)
            window->lbMidiInClick();
        else if (list == window->lbMidiOut)
            window->lbMidiOutClick();
        else if (list == window->lbCtrlIn)
            window->lbCtrlInClick();
        else
            window->lbCtrlOutClick();
    }
};

TEST_F(PortSelectionTest, ListsHoldTheDevicesInNumberOrderAndNoneLast) {
    Open();
    for (QListWidget* list : {window->lbMidiIn, window->lbCtrlIn}) {
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), "DW In");
        EXPECT_EQ(list->item(1)->text(), "BCR In");
        EXPECT_EQ(list->item(2)->text(), "None");
    }
    for (QListWidget* list : {window->lbMidiOut, window->lbCtrlOut}) {
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), "DW Out");
        EXPECT_EQ(list->item(2)->text(), "None");
    }
}

TEST_F(PortSelectionTest, WithoutSettingsNothingOpensAndAllFourKeysSayNone) {
    Open();
    for (QListWidget* list :
         {window->lbMidiIn, window->lbMidiOut, window->lbCtrlIn, window->lbCtrlOut})
        EXPECT_EQ(Selected(list), "None");
    for (const char* device : {"DW In", "BCR In", "DW Out", "BCR Out"})
        EXPECT_FALSE(midi.IsOpen(device)) << device;
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsMidi);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(folder.Text(IniName()),
              "[MidiDevices]\nInput=None\nOutput=None\nCtrlInput=None\nCtrlOutput=None\n");
}

TEST_F(PortSelectionTest, FourRememberedDevicesOpenAndTheEditPageIsShown) {
    // Names are found ignoring case; the settings keep the devices' own spelling.
    Remember("dw in", "DW OUT", "BCR In", "BCR Out");
    Open();
    EXPECT_EQ(window->iMidiIn, 0);
    EXPECT_EQ(window->iMidiOut, 0);
    EXPECT_EQ(window->iCtrlIn, 1);
    EXPECT_EQ(window->iCtrlOut, 1);
    for (const char* device : {"DW In", "BCR In", "DW Out", "BCR Out"})
        EXPECT_TRUE(midi.IsOpen(device)) << device;
    EXPECT_EQ(window->MidiSynthToPC->PortState(), misOpen);
    EXPECT_EQ(window->MidiPCtoBC->PortState(), mosOpen);
    EXPECT_FALSE(window->bGetPatch->isHidden());
    EXPECT_FALSE(window->bLoadBCR->isHidden());
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsEdit);
    EXPECT_EQ(Devices(), Devices("DW In", "DW Out", "BCR In", "BCR Out"));

    Close();
    for (const char* device : {"DW In", "BCR In", "DW Out", "BCR Out"})
        EXPECT_FALSE(midi.IsOpen(device)) << device;
    EXPECT_EQ(Devices(), Devices("DW In", "DW Out", "BCR In", "BCR Out"));
}

TEST_F(PortSelectionTest, AMissingDeviceFallsBackToNoneAndIsForgotten) {
    Remember("DW In", "Gone Away", "BCR In", "BCR Out");
    Open();
    EXPECT_EQ(Selected(window->lbMidiOut), "None");
    EXPECT_EQ(window->iMidiOut, -1);
    EXPECT_TRUE(window->bGetPatch->isHidden());
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsMidi);
    EXPECT_EQ(Devices(), Devices("DW In", "None", "BCR In", "BCR Out"));
}

TEST_F(PortSelectionTest, OneInputRememberedForBothSidesAsksAtStartUp) {
    Remember("BCR In", "DW Out", "BCR In", "BCR Out");
    dialogs.answers = {DialogAnswer::No};
    Open();

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "The Midi input has this device.\nReset the Midi Input?");
    EXPECT_EQ(dialogs.shown[0].type, DialogType::Error);
    EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::YesNo);
    // Refused: the controller list shows the device with its index set, but only the
    // synthesizer side has it open.
    EXPECT_EQ(Selected(window->lbCtrlIn), "BCR In");
    EXPECT_EQ(window->iCtrlIn, 1);
    EXPECT_EQ(window->MidiBCtoPC->PortState(), misClosed);
    EXPECT_EQ(window->MidiSynthToPC->PortState(), misOpen);
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsEdit);
}

// Each list against its partner: the question, then Yes gives the device over and No
// changes nothing.
TEST_F(PortSelectionTest, ADeviceHeldByThePartnerIsGivenOverOnlyOnYes) {
    struct Case {
        const char* name;
        QListWidget* TfMidi::*list;
        QListWidget* TfMidi::*partner;
        int32_t TfMidi::*index;
        int32_t TfMidi::*partnerIndex;
        const char* device;
        const char* question;
        std::string rememberedAfterYes;
    };
    const char* controllerHas = "The controller has this device.\nReset the controller?";
    const Case cases[] = {
        {"synth input", &TfMidi::lbMidiIn, &TfMidi::lbCtrlIn, &TfMidi::iMidiIn, &TfMidi::iCtrlIn,
         "BCR In", controllerHas, Devices("BCR In", "None", "None", "BCR Out")},
        {"synth output", &TfMidi::lbMidiOut, &TfMidi::lbCtrlOut, &TfMidi::iMidiOut,
         &TfMidi::iCtrlOut, "BCR Out", controllerHas, Devices("None", "BCR Out", "BCR In", "None")},
        {"controller input", &TfMidi::lbCtrlIn, &TfMidi::lbMidiIn, &TfMidi::iCtrlIn,
         &TfMidi::iMidiIn, "DW In", "The Midi input has this device.\nReset the Midi Input?",
         Devices("None", "DW Out", "DW In", "None")},
        {"controller output", &TfMidi::lbCtrlOut, &TfMidi::lbMidiOut, &TfMidi::iCtrlOut,
         &TfMidi::iMidiOut, "DW Out", "The Midi output has this device.\nReset the Midi Output?",
         Devices("DW In", "None", "None", "DW Out")},
    };
    for (const Case& c : cases) {
        for (DialogAnswer answer : {DialogAnswer::Yes, DialogAnswer::No}) {
            SCOPED_TRACE(std::string(c.name) + (answer == DialogAnswer::Yes ? " Yes" : " No"));
            // Only the other instrument's side holds devices.
            if (c.list == &TfMidi::lbMidiIn || c.list == &TfMidi::lbMidiOut)
                Remember("None", "None", "BCR In", "BCR Out");
            else
                Remember("DW In", "DW Out", "None", "None");
            Open();
            dialogs.Clear();
            dialogs.answers = {answer};
            const std::string before = Devices();
            QListWidget* list = (*window).*c.list;
            QListWidget* partner = (*window).*c.partner;
            const int row = list->row(list->findItems(c.device, Qt::MatchExactly).front());

            Click(list, row);

            ASSERT_EQ(dialogs.shown.size(), 1u);
            EXPECT_EQ(dialogs.shown[0].text, c.question);
            EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::YesNo);
            if (answer == DialogAnswer::Yes) {
                EXPECT_EQ((*window).*c.index, row);
                EXPECT_EQ((*window).*c.partnerIndex, -1);
                EXPECT_EQ(Selected(partner), "None");
                EXPECT_TRUE(midi.IsOpen(c.device));
                EXPECT_EQ(Devices(), c.rememberedAfterYes);
            } else {
                EXPECT_EQ((*window).*c.index, -1);
                EXPECT_EQ(Selected(list), "None");
                EXPECT_EQ((*window).*c.partnerIndex, row);
                EXPECT_EQ(Selected(partner), c.device);
                EXPECT_TRUE(midi.IsOpen(c.device));
                EXPECT_EQ(Devices(), before);
            }
            Close();
        }
    }
}

TEST_F(PortSelectionTest, TheSetUpButtonFollowsTheControllerOutputButNotItsReset) {
    Remember("DW In", "DW Out", "BCR In", "BCR Out");
    Open();
    EXPECT_EQ(window->bLoadBCR->text(), "Send Sysex to  BCR");

    Click(window->lbCtrlOut, 2);
    EXPECT_TRUE(window->bLoadBCR->isHidden());
    EXPECT_FALSE(midi.IsOpen("BCR Out"));
    Click(window->lbCtrlOut, 1);
    EXPECT_FALSE(window->bLoadBCR->isHidden());

    // Taken over by the synthesizer side: the controller output closes, its button stays.
    dialogs.answers = {DialogAnswer::Yes};
    Click(window->lbMidiOut, 1);
    EXPECT_EQ(window->MidiPCtoBC->PortState(), mosClosed);
    EXPECT_EQ(window->iCtrlOut, -1);
    EXPECT_FALSE(window->bLoadBCR->isHidden());
}

TEST_F(PortSelectionTest, ChoosingTheOpenRowAgainReopensAndRewritesIt) {
    Remember("DW In", "DW Out", "BCR In", "BCR Out");
    Open();
    // Something waiting in the old opening is gone after the new one.
    midi.Inject("DW In", {0xB0, 7, 100});
    midi.WaitDelivered("DW In");
    ASSERT_EQ(window->MidiSynthToPC->GetEventCount(), 1);
    folder.Write(IniName(), "[MidiDevices]\nInput=Elsewhere\n");

    Click(window->lbMidiIn, 0);

    EXPECT_EQ(window->MidiSynthToPC->PortState(), misOpen);
    EXPECT_EQ(window->MidiSynthToPC->GetEventCount(), 0);
    EXPECT_EQ(folder.Text(IniName()), "[MidiDevices]\nInput=DW In\n");
}

TEST_F(WindowTest, TheFirstOfTwoDevicesOfOneNameIsRestored) {
    midi.AddInputDevice("Twin");
    midi.AddInputDevice("Twin");
    midi.AddOutputDevice("Out");
    folder.Write(IniName(), "[MidiDevices]\nInput=Twin\n");
    Open();
    EXPECT_EQ(window->iMidiIn, 0);
    EXPECT_EQ(window->MidiSynthToPC->DeviceID(), 0u);
}

TEST_F(WindowTest, ADeviceNamedNoneIsTakenForNoDevice) {
    midi.AddInputDevice("None");
    midi.AddInputDevice("Real");
    midi.AddOutputDevice("Out");
    folder.Write(IniName(), "[MidiDevices]\nInput=none\n");
    Open();
    EXPECT_EQ(window->lbMidiIn->currentRow(), 0);
    EXPECT_EQ(window->iMidiIn, -1);
    EXPECT_FALSE(midi.IsOpen("None"));

    window->lbMidiIn->setCurrentRow(1);
    window->lbMidiInClick();
    window->lbMidiIn->setCurrentRow(0);
    window->lbMidiInClick();
    EXPECT_EQ(window->iMidiIn, -1);
    EXPECT_FALSE(midi.IsOpen("Real"));
}

TEST_F(PortSelectionTest, AnInputThatWillNotOpenIsReportedAndStartUpGoesOn) {
    Remember("DW In", "DW Out", "None", "BCR Out");
    midi.FailNext(LoopbackCall::OpenInput, MidiResult::kAllocated);
    Open();

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(dialogs.shown[0].text.toStdString(),
              window->MidiSynthToPC->MidiInErrorString(MidiResult::kAllocated));
    // The index holds the device, the port stays closed, the key keeps its old value;
    // the rest of start-up ran.
    EXPECT_EQ(window->iMidiIn, 0);
    EXPECT_EQ(window->MidiSynthToPC->PortState(), misClosed);
    EXPECT_TRUE(midi.IsOpen("DW Out"));
    EXPECT_TRUE(midi.IsOpen("BCR Out"));
    EXPECT_EQ(window->params[0].label, window->lBut36);
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsMidi);

    // The same on a click: the error reaches the caller, nothing is written.
    folder.Write(IniName(), "[MidiDevices]\nInput=Before\n");
    midi.FailNext(LoopbackCall::OpenInput, MidiResult::kAllocated);
    window->lbMidiIn->setCurrentRow(1);
    EXPECT_THROW(window->lbMidiInClick(), EMidiInputError);
    EXPECT_EQ(window->iMidiIn, 1);
    EXPECT_EQ(window->MidiSynthToPC->PortState(), misClosed);
    EXPECT_EQ(folder.Text(IniName()), "[MidiDevices]\nInput=Before\n");

    // Shut-down remembers the device the index holds.
    Close();
    EXPECT_EQ(Devices(), "[MidiDevices]\nInput=BCR In\nOutput=DW Out\nCtrlOutput=BCR Out\n");
}

TEST_F(PortSelectionTest, AnOutputThatWillNotOpenIsChosenWithoutAWord) {
    Remember("DW In", "DW Out", "BCR In", "BCR Out");
    midi.FailNext(LoopbackCall::OpenOutput, MidiResult::kAllocated);
    Open();

    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(window->iMidiOut, 0);
    EXPECT_EQ(window->MidiPCToSynth->PortState(), mosClosed);
    EXPECT_FALSE(window->bGetPatch->isHidden());
    Close();
    EXPECT_EQ(Devices(), Devices("DW In", "DW Out", "BCR In", "BCR Out"));
}

TEST_F(PortSelectionTest, AClickOnARowRunsItsHandlerAndItsErrorReachesTheErrorBox) {
    Open();
    dialogs.Clear();
    TestDialogs().Clear();
    window->lbMidiOut->setCurrentRow(0);
    emit window->lbMidiOut->itemClicked(window->lbMidiOut->item(0));
    EXPECT_TRUE(midi.IsOpen("DW Out"));

    // The window's own dialogs show it; nothing goes round through the application.
    midi.FailNext(LoopbackCall::OpenInput, MidiResult::kAllocated);
    window->lbMidiIn->setCurrentRow(0);
    emit window->lbMidiIn->itemClicked(window->lbMidiIn->item(0));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_TRUE(TestDialogs().shown.empty());
    EXPECT_EQ(window->MidiSynthToPC->PortState(), misClosed);
}

TEST_F(WindowTest, WithoutAnyInputDeviceTheProgramSaysSoAndEndsAfterStartUp) {
    midi.AddOutputDevice("Out Only");
    Open();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "You need a Midi interface for this program to work.");
    EXPECT_EQ(dialogs.shown[0].type, DialogType::Error);
    EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);
    EXPECT_TRUE(TestApplication().Terminated());
    // The rest of start-up still ran.
    EXPECT_EQ(window->lbMidiOut->count(), 2);
    EXPECT_EQ(window->params[24].label, window->lEnc20);
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsMidi);
}

} // namespace
