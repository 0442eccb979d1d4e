// A settings file that cannot be written (here a folder in its place, which not even
// root can write): start-up says so once, and every choice still changes the window
// as it would have, the failed write coming last.
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "platform/shell/ini_file.h"
#include "window_fixture.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace {

class UnwritableSettingsTest : public WindowTest {
protected:
    UnwritableSettingsTest() {
        midi.AddInputDevice("DW In");
        midi.AddInputDevice("BCR In");
        midi.AddOutputDevice("DW Out");
        midi.AddOutputDevice("BCR Out");
    }
    void MakeUnwritable() {
        QFile::remove(folder.File(IniName()));
        ASSERT_TRUE(QDir(folder.Path()).mkdir(IniName()));
    }
    QString WriteFailure() const { return "Unable to write to " + folder.File(IniName()); }
    // Chooses a row as a click does; the handler's error is the caller's.
    void Choose(QListWidget* list, int row, void (TfMidi::*click)()) {
        list->setCurrentRow(row);
        EXPECT_THROW(((*window).*click)(), EIniFileError);
    }
};

TEST_F(UnwritableSettingsTest, StartUpSaysSoOnceAndTheWindowComesUpWhole) {
    MakeUnwritable();
    Open();

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, ShownKind::ErrorBox);
    EXPECT_EQ(dialogs.shown[0].text, WriteFailure());
    EXPECT_TRUE(window->bGetPatch->isHidden());
    EXPECT_TRUE(window->bLoadBCR->isHidden());
    EXPECT_EQ(window->params[0].label, window->lBut36);
    EXPECT_EQ(window->pcGraphMidi->currentWidget(), window->tsMidi);

    // Shut-down's save fails once more, and says so once more.
    Close();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].text, WriteFailure());
}

TEST_F(UnwritableSettingsTest, AChoiceThatCannotBeSavedStillTakesEffect) {
    folder.Write(IniName(), "[MidiDevices]\nInput=DW In\nOutput=DW Out\nCtrlInput=BCR "
                            "In\nCtrlOutput=BCR Out\n");
    Open();
    ASSERT_TRUE(dialogs.shown.empty());
    MakeUnwritable();

    Choose(window->lbMidiOut, 2, &TfMidi::lbMidiOutClick); // "None"
    EXPECT_EQ(window->iMidiOut, -1);
    EXPECT_EQ(window->MidiPCToSynth->PortState(), mosClosed);
    EXPECT_TRUE(window->bGetPatch->isHidden());

    Choose(window->lbMidiOut, 0, &TfMidi::lbMidiOutClick);
    EXPECT_EQ(window->iMidiOut, 0);
    EXPECT_TRUE(midi.IsOpen("DW Out"));
    EXPECT_FALSE(window->bGetPatch->isHidden());

    // Taken over from the partner with Yes: both sides change before the writes fail.
    dialogs.answers = {DialogAnswer::Yes};
    Choose(window->lbCtrlIn, 0, &TfMidi::lbCtrlInClick);
    EXPECT_EQ(window->iMidiIn, -1);
    EXPECT_EQ(window->lbMidiIn->currentItem()->text(), "None");
    EXPECT_EQ(window->MidiSynthToPC->PortState(), misClosed);
    EXPECT_EQ(window->iCtrlIn, 0);
    EXPECT_EQ(window->MidiBCtoPC->PortState(), misOpen);
}

} // namespace
