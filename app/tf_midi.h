#pragma once
// The main window: the front-panel picture with a value label over every control, and
// the page control with the "Edit", "Midi" and hidden "Lib" pages. It owns everything
// the program has: the controls, the settings file and the parameter table. Its
// operations live in the folder of the subsystem that owns each of them.
#include "synth/cc_param.h"
#include "synth/dw6000_sysex.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class Dialogs;
class IniFile;
class MidiServices;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;
class TMidiInput;
class TMidiOutput;
class TWallpaper;
class Tmbadsr2;
class Tmbgrafsw;

// What the window is given instead of reaching for the platform itself, so tests can
// build a real window with services of their own.
struct TfMidiServices {
    Dialogs& dialogs;
    MidiServices& midiServices;
    QString iniFolder;     // holds the settings file
    QString currentFolder; // the process's current folder
};

// The settings file's name: the executable's file name with its extension replaced by
// ".INI" ("quorvin" and "quorvin.exe" both give "quorvin.INI").
QString IniFileNameFor(const QString& executablePath);

class TfMidi : public QWidget {
    Q_OBJECT
public:
    explicit TfMidi(const TfMidiServices& services, QWidget* parent = nullptr);
    ~TfMidi() override;

    // The front panel and its labels. Value labels are named after the controller
    // number of the control they sit over.
    TWallpaper* Wallpaper1 = nullptr;
    QLabel *lEnc20{}, *lEnc21{}, *lEnc22{}, *lEnc23{}, *lEnc24{}, *lEnc25{}, *lEnc26{}, *lEnc27{};
    QLabel *lcEnc1{}, *lcEnc2{}, *lcEnc3{}, *lcEnc4{}, *lcEnc5{}, *lcEnc6{}, *lcEnc7{}, *lcEnc8{};
    QLabel *lBut29{}, *lBut30{}, *lBut31{}, *lBut32{}, *lBut33{}, *lBut34{}, *lBut36{};
    QLabel *Label8{}, *Label9{}, *Label10{}, *Label11{}, *Label4{}, *Label5{}, *Label13{};
    QLabel *lEnc37{}, *lEnc38{}, *lEnc40{}, *lEnc41{}, *lEnc42{}, *lEnc43{}, *lEnc44{};
    QLabel *Label12{}, *Label18{}, *Label21{}, *Label22{}, *Label24{}, *Label23{}, *Label25{};
    QLabel *lEnc45{}, *lEnc46{}, *lEnc47{}, *lEnc48{}, *lEnc49{}, *lEnc50{}, *lEnc52{};
    QLabel *Label20{}, *Label26{}, *Label27{}, *Label28{}, *Label29{}, *Label31{}, *Label32{};
    QLabel *lEnc53{}, *lEnc54{}, *lEnc55{}, *lEnc56{}, *lEnc57{}, *lEnc58{};
    QLabel *Label30{}, *Label33{}, *Label34{}, *Label35{}, *Label36{}, *Label37{};
    QLabel* Label17 = nullptr; // "Randomise"
    QToolButton* sbDonate = nullptr;

    QTabWidget* pcGraphMidi = nullptr;
    QWidget* tsEdit = nullptr;
    QWidget* tsMidi = nullptr;
    QWidget* tsPatches = nullptr;

    // "Edit" page.
    Tmbgrafsw* gOsc1 = nullptr;
    Tmbgrafsw* gOsc2 = nullptr;
    Tmbadsr2* VCFadsr = nullptr;
    Tmbadsr2* VCAadsr = nullptr;

    // "Midi" page.
    QLabel *Label1{}, *Label2{}, *Label3{}, *Label6{};
    QListWidget* lbMidiIn = nullptr;
    QListWidget* lbMidiOut = nullptr;
    QListWidget* lbCtrlIn = nullptr;
    QListWidget* lbCtrlOut = nullptr;
    QPushButton* bGetPatch = nullptr;
    QPushButton* bLoadBCR = nullptr;

    // "Lib" page, never shown.
    QListWidget* lbLib = nullptr;
    QLineEdit* ePatchName = nullptr;
    QPushButton* bSavePatch = nullptr;

    // Row of the chosen device in each port list, -1 for none.
    int32_t iMidiIn = -1;
    int32_t iMidiOut = -1;
    int32_t iCtrlIn = -1;
    int32_t iCtrlOut = -1;

    std::unique_ptr<IniFile> iniFile;
    ParamTable params;

    // The four ports, owned by the window as its components: from and to the
    // synthesizer, from and to the controller.
    TMidiInput* MidiSynthToPC = nullptr;
    TMidiOutput* MidiPCToSynth = nullptr;
    TMidiInput* MidiBCtoPC = nullptr;
    TMidiOutput* MidiPCtoBC = nullptr;

    // Choosing a row of a port list: opens the port on that device, or closes it for
    // "None", and remembers the choice in the settings file.
    void lbMidiInClick();
    void lbMidiOutClick();
    void lbCtrlInClick();
    void lbCtrlOutClick();

    void sbDonateClick();
    void bSavePatchClick();

    // ---- The synthesizer link, the patch display, Randomise and the controller
    // feedback (synth/, controller/send_param_to_bcr.cpp).

    // Asks the synthesizer for its current patch, when its output is open.
    void bGetPatchClick();
    // Drains the synthesizer input: a program change asks for the new patch, a SysEx
    // block is staged in synthSysexStream and accepted.
    void MidiSynthToPCMidiInput();
    // Keeps the staged block (its first kSysexBufferSize bytes) and decodes a dump.
    void AcceptSynthSysex(const std::vector<uint8_t>& stream);
    // Spreads the patch in the block at data over the rows, as far as lastSysexSize
    // reaches; both envelope graphs are hidden meanwhile.
    void DecodePatch(const uint8_t* data);
    // The row's whole patch byte to the synthesizer, then the row's display.
    void SendParamToSynth(int32_t row);
    // Moves the envelope point or waveform picture the row drives and reapplies the VCF
    // polarity; pauses 1 ms, which spaces a decode's controller feedback.
    void UpdateParamDisplay(int32_t row);
    // A random value for every row, shown and sent to both instruments.
    void Randomise();
    void Label17Click();
    // The row's value to its control on the controller, when that output is open.
    void SendParamToBcr(int32_t row);

    // Hands an input port's events to handler from now on, and once more right away
    // (queued, through the error box's guard) for events that came before: while a
    // start-up dialog was open they waited in the port.
    void AttachInputHandler(TMidiInput* port, void (TfMidi::*handler)());

    std::vector<uint8_t> synthSysexStream; // a SysEx block from the synthesizer, staged
    SysexBuffer sysexBuffer{};             // the last block accepted, from its 0xF0 on
    int32_t lastSysexSize = 0;             // its length, at most kSysexBufferSize
    ParamChangeMsg paramChangeMsg{};
    int32_t lastVcfPolarity = -1; // polarity row value last applied to VCFadsr

    // ---- End of the synthesizer link.

private:
    struct PortList;

    void CreatePorts();
    void ConnectPortLists();
    bool HasInputDevice();
    void FillPortLists();
    void RestorePorts();
    void ClosePorts();
    void WriteDeviceNames();
    PortList Port(QListWidget* list);
    void ChooseRow(const PortList& chosen);

    // Synthesizer link: "Get Patch From DW6000" and the "Randomise" label.
    void ConnectSynthControls();

    void CreateComponents();
    void CreateFrontPanel();
    void CreatePageControl();
    void CreateEditPage();
    void CreateMidiPage();
    void CreateLibPage();

    void FormCreate();
    void FormDestroy();

    TfMidiServices services;
};

// The one main window while it exists, else null.
extern TfMidi* fMidi;
