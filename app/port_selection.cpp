// The four port lists of the "Midi" page: filling them, choosing a device for each
// port, refusing to give one device to both instruments without asking, and the
// settings file that remembers the choice.
#include "app/tf_midi.h"

#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "platform/shell/dialogs.h"
#include "platform/shell/ini_file.h"

#include <QListWidget>
#include <QPushButton>

#include <exception>

namespace {

const QString kDevicesSection = QStringLiteral("MidiDevices");
// The last row of every list, and the remembered name of no device. A device that
// calls itself exactly this is taken for it.
const QString kNone = QStringLiteral("None");

QString RowText(const QListWidget* list, int row) {
    const QListWidgetItem* item = list->item(row);
    return item != nullptr ? item->text() : QString();
}

int FindRowIgnoringCase(const QListWidget* list, const QString& text) {
    for (int row = 0; row < list->count(); ++row)
        if (RowText(list, row).compare(text, Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

int NoneRow(const QListWidget* list) {
    return list->count() - 1;
}

void CopyRows(const QListWidget* from, QListWidget* to) {
    for (int row = 0; row < from->count(); ++row)
        to->addItem(RowText(from, row));
}

} // namespace

// Everything one list stands for: its port (an input or an output), the index of the
// chosen row, its key in the settings file, the button shown while a device is chosen,
// and the list of the other instrument's port of the same direction.
struct TfMidi::PortList {
    QListWidget* list;
    int32_t* index;
    TMidiInput* input;
    TMidiOutput* output;
    QString key;
    QPushButton* button;
    QListWidget* partner;
    QString question;

    bool PortClosed() const {
        return input != nullptr ? input->PortState() == misClosed
                                : output->PortState() == mosClosed;
    }
    void ClosePort() const {
        if (input != nullptr)
            input->StopAndClose();
        else
            output->Close();
    }
    // An input that the platform refuses raises its error; a refused output stays
    // closed without a word, and every sender then skips it.
    void OpenPort(uint32_t device) const {
        if (input != nullptr) {
            input->SetDeviceID(device);
            input->Open();
            input->Start();
        } else {
            output->SetDeviceID(device);
            output->Open();
        }
    }
};

TfMidi::PortList TfMidi::Port(QListWidget* list) {
    const QString controllerHas =
        QStringLiteral("The controller has this device.\nReset the controller?");
    if (list == lbMidiIn)
        return {lbMidiIn, &iMidiIn, MidiSynthToPC, nullptr, QStringLiteral("Input"),
                nullptr,  lbCtrlIn, controllerHas};
    if (list == lbMidiOut)
        return {lbMidiOut, &iMidiOut, nullptr,      MidiPCToSynth, QStringLiteral("Output"),
                bGetPatch, lbCtrlOut, controllerHas};
    if (list == lbCtrlIn)
        return {lbCtrlIn,
                &iCtrlIn,
                MidiBCtoPC,
                nullptr,
                QStringLiteral("CtrlInput"),
                nullptr,
                lbMidiIn,
                QStringLiteral("The Midi input has this device.\nReset the Midi Input?")};
    return {lbCtrlOut,
            &iCtrlOut,
            nullptr,
            MidiPCtoBC,
            QStringLiteral("CtrlOutput"),
            bLoadBCR,
            lbMidiOut,
            QStringLiteral("The Midi output has this device.\nReset the Midi Output?")};
}

void TfMidi::CreatePorts() {
    MidiSynthToPC = new TMidiInput(services.midiServices, this);
    MidiPCToSynth = new TMidiOutput(services.midiServices, this);
    MidiBCtoPC = new TMidiInput(services.midiServices, this);
    MidiPCtoBC = new TMidiOutput(services.midiServices, this);
    for (TMidiInput* input : {MidiSynthToPC, MidiBCtoPC}) {
        input->SetSysexBufferSize(4096);
        input->SetMsgFilter({msgActiveSensing, msgMidiTimeCode});
    }
    // What goes wrong while a port handles its driver's notices reaches the error box.
    for (TMidiIO* port :
         std::initializer_list<TMidiIO*>{MidiSynthToPC, MidiPCToSynth, MidiBCtoPC, MidiPCtoBC})
        port->OnError = [this](QObject*, const std::exception_ptr& error) {
            ShowException(services.dialogs, error);
        };
}

void TfMidi::ConnectPortLists() {
    connect(lbMidiIn, &QListWidget::itemClicked, this,
            Guarded(services.dialogs, [this] { lbMidiInClick(); }));
    connect(lbMidiOut, &QListWidget::itemClicked, this,
            Guarded(services.dialogs, [this] { lbMidiOutClick(); }));
    connect(lbCtrlIn, &QListWidget::itemClicked, this,
            Guarded(services.dialogs, [this] { lbCtrlInClick(); }));
    connect(lbCtrlOut, &QListWidget::itemClicked, this,
            Guarded(services.dialogs, [this] { lbCtrlOutClick(); }));
}

bool TfMidi::HasInputDevice() {
    return MidiBCtoPC->DeviceCount() != 0;
}

// Rows in device-number order, so that a device's row is its device number, and
// "None" last. The names are read through the controller's ports.
void TfMidi::FillPortLists() {
    const uint32_t inputs = MidiBCtoPC->DeviceCount();
    for (uint32_t device = 0; device < inputs; ++device) {
        MidiBCtoPC->SetDeviceID(device);
        lbCtrlIn->addItem(QString::fromStdString(MidiBCtoPC->ProductName()));
    }
    CopyRows(lbCtrlIn, lbMidiIn);

    lbMidiOut->clear();
    lbCtrlOut->clear();
    const uint32_t outputs = MidiPCtoBC->DeviceCount();
    for (uint32_t device = 0; device < outputs; ++device) {
        MidiPCtoBC->SetDeviceID(device);
        lbMidiOut->addItem(QString::fromStdString(MidiPCtoBC->ProductName()));
    }
    CopyRows(lbMidiOut, lbCtrlOut);

    for (QListWidget* list : {lbMidiIn, lbMidiOut, lbCtrlIn, lbCtrlOut})
        list->addItem(kNone);
}

// The synthesizer's lists come first, so a device remembered for both sides is found
// when the controller's list is restored, and the question is asked there.
void TfMidi::RestorePorts() {
    bool writeFailureShown = false;
    for (QListWidget* list : {lbMidiIn, lbMidiOut, lbCtrlIn, lbCtrlOut}) {
        const PortList port = Port(list);
        const QString name = iniFile->ReadString(kDevicesSection, port.key, kNone);
        int row = FindRowIgnoringCase(list, name);
        if (row < 0)
            row = FindRowIgnoringCase(list, kNone);
        *port.index = row;
        list->setCurrentRow(row);
        // A device that will not open is reported, and start-up goes on with the rest. A
        // settings file that cannot be written fails all four restores alike: once is
        // enough to say so.
        try {
            ChooseRow(port);
        } catch (const EIniFileError& error) {
            if (!writeFailureShown)
                services.dialogs.ShowErrorBox(QString::fromUtf8(error.what()));
            writeFailureShown = true;
        } catch (const std::exception& error) {
            services.dialogs.ShowErrorBox(QString::fromUtf8(error.what()));
        }
    }
}

// The window's state changes first and the settings file is written last, so a write
// that fails leaves ports, lists and buttons agreeing with each other.
void TfMidi::ChooseRow(const PortList& chosen) {
    const int row = chosen.list->currentRow();
    if (row < 0)
        return;
    if (RowText(chosen.list, row) == kNone) {
        *chosen.index = -1;
        if (!chosen.PortClosed())
            chosen.ClosePort();
        if (chosen.button != nullptr)
            chosen.button->hide();
        iniFile->WriteString(kDevicesSection, chosen.key, kNone);
        return;
    }

    const PortList partner = Port(chosen.partner);
    const bool partnerHasIt = *partner.index != -1 && row == *partner.index;
    if (partnerHasIt) {
        const DialogAnswer answer =
            services.dialogs.MessageDlg(chosen.question, DialogType::Error, DialogButtons::YesNo);
        if (answer != DialogAnswer::Yes) {
            chosen.list->setCurrentRow(*chosen.index != -1 ? *chosen.index : NoneRow(chosen.list));
            return;
        }
        // The partner gives the device up; its button stays as it was.
        if (!partner.PortClosed())
            partner.ClosePort();
        *partner.index = -1;
        partner.list->setCurrentRow(NoneRow(partner.list));
    }

    // Choosing the open row again reopens its port.
    if (!chosen.PortClosed())
        chosen.ClosePort();
    *chosen.index = row;
    chosen.OpenPort(uint32_t(row));
    if (chosen.button != nullptr)
        chosen.button->show();
    if (partnerHasIt)
        iniFile->WriteString(kDevicesSection, partner.key, kNone);
    iniFile->WriteString(kDevicesSection, chosen.key, RowText(chosen.list, row));
}

void TfMidi::lbMidiInClick() {
    ChooseRow(Port(lbMidiIn));
}
void TfMidi::lbMidiOutClick() {
    ChooseRow(Port(lbMidiOut));
}
void TfMidi::lbCtrlInClick() {
    ChooseRow(Port(lbCtrlIn));
}
void TfMidi::lbCtrlOutClick() {
    ChooseRow(Port(lbCtrlOut));
}

void TfMidi::ClosePorts() {
    if (MidiPCToSynth->PortState() != mosClosed)
        MidiPCToSynth->Close();
    if (MidiSynthToPC->PortState() != misClosed)
        MidiSynthToPC->StopAndClose();
    if (MidiBCtoPC->PortState() != misClosed)
        MidiBCtoPC->StopAndClose();
    if (MidiPCtoBC->PortState() != mosClosed)
        MidiPCtoBC->Close();
}

void TfMidi::WriteDeviceNames() {
    for (QListWidget* list : {lbMidiIn, lbMidiOut, lbCtrlIn, lbCtrlOut}) {
        const PortList port = Port(list);
        if (*port.index != -1)
            iniFile->WriteString(kDevicesSection, port.key, RowText(list, *port.index));
    }
}
