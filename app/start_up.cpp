// The window's start-up and shut-down, step by step in their fixed order.
#include "app/tf_midi.h"

#include "midi/midi_input.h"
#include "platform/shell/application.h"
#include "platform/shell/dialogs.h"
#include "platform/shell/ini_file.h"
#include "widgets/mbadsr2.h"
#include "widgets/wallpaper.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMetaObject>
#include <QTabWidget>
#include <QToolButton>

namespace {

const char* const kDonateSection = "Donate";
const char* const kDonateKey = "Button";

// The envelope picture both graphs show until the first patch arrives, as
// (index, value) in the order they are set.
constexpr int kStartShape[][2] = {{7, 0}, {1, 31}, {3, 20}, {5, 10},
                                  {0, 5}, {2, 1},  {4, 31}, {6, 10}};

void GiveStartShape(Tmbadsr2& graph) {
    for (const auto& [index, value] : kStartShape)
        graph.SetValue(value, index);
    graph.update();
}

} // namespace

void TfMidi::FormCreate() {
    // 1. Empty input lists.
    lbCtrlIn->clear();
    lbMidiIn->clear();

    // 2. Without any MIDI input the program cannot work: say so, and end once start-up
    // has finished.
    if (!HasInputDevice()) {
        services.dialogs.MessageDlg(
            QStringLiteral("You need a Midi interface for this program to work."),
            DialogType::Error, DialogButtons::Ok);
        if (auto* application = qobject_cast<Application*>(QCoreApplication::instance()))
            application->Terminate();
    }

    // 3. The four port lists, each ending in "None".
    FillPortLists();

    // 4. No port chosen yet.
    iMidiIn = -1;
    iMidiOut = -1;
    iCtrlIn = -1;
    iCtrlOut = -1;

    // 5. The SysEx reception and set-up file streams come with their senders.

    // 6. The settings file beside the executable.
    iniFile = std::make_unique<IniFile>(
        QDir(services.iniFolder).filePath(IniFileNameFor(QCoreApplication::applicationFilePath())));

    // 7. Both graphs show the start-up envelope.
    GiveStartShape(*VCAadsr);
    GiveStartShape(*VCFadsr);

    // 8. Donate button as the settings file says.
    sbDonate->setVisible(iniFile->ReadBool(kDonateSection, kDonateKey, true));

    // 9. The four ports as they were chosen last time.
    RestorePorts();

    // 10. The parameter-change message, F0 42 30 04 41 00 00 F7.
    paramChangeMsg = kParamChangeStart;

    // 11. The parameter table, tied to the value labels on the panel.
    FillParamTable(params, [this](const QString& name) {
        return Wallpaper1->findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
    });

    // 12. Ask the synthesizer for its patch, as the "Get Patch From DW6000" button does.
    // An output that fails here is shown in the error box; the window still needs the
    // steps after it.
    Guarded(services.dialogs, [this] { bGetPatchClick(); })();

    // 13. Until all four ports are chosen the user is sent to the "Midi" page.
    const bool allChosen = iMidiIn != -1 && iMidiOut != -1 && iCtrlIn != -1 && iCtrlOut != -1;
    pcGraphMidi->setCurrentWidget(allChosen ? tsEdit : tsMidi);

    // Only now, with the table built, may input reach the parameter operations.
    AttachInputHandler(MidiSynthToPC, &TfMidi::MidiSynthToPCMidiInput);
}

void TfMidi::AttachInputHandler(TMidiInput* port, void (TfMidi::*handler)()) {
    port->OnMidiInput = [this, handler](QObject*) { (this->*handler)(); };
    // Events that came while a start-up dialog was open were left waiting in the port;
    // they are handled once the event loop runs, in order, before any that come later.
    QMetaObject::invokeMethod(this,
                              Guarded(services.dialogs, [this, handler] { (this->*handler)(); }),
                              Qt::QueuedConnection);
}

void TfMidi::FormDestroy() {
    // 1. Close the ports, then 2. remember the devices chosen.
    ClosePorts();
    WriteDeviceNames();

    // 3. The streams and 4. the value-name lists go with the window.

    // 5. The donate button's visibility, unchanged since start-up.
    iniFile->WriteBool(kDonateSection, kDonateKey, !sbDonate->isHidden());
}
