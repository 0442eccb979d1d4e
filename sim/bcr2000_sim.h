#pragma once
// A BCR2000 in software: its BCL interpreter and its controls, bytes in and bytes out,
// with no MIDI ports and no threads of its own.
//
// Modelled: control changes only (.easypar CC); encoder modes absolute, absolute/14
// (controller and controller + 32) and relative-1 to relative-3; button modes toggleon,
// toggleoff and increment. Other message types and modes are answered with "invalid
// argument", so a preset that needs them is noticed rather than half-played. Turning
// uses the slowest of the four resolutions.
//
// increment: the numerically lower of value1 and value2 is the low end, whichever order
// they come in. A button starts at its default (clamped into the range) and each press
// moves it up by the step until it reaches the high end; further presses send nothing.
#include "sim/midi_message.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class BclError : uint8_t {
    None = 0,
    UnknownToken = 1,
    DataWithoutToken = 2,
    ArgumentMissing = 3,
    WrongDevice = 4,
    WrongRevision = 5,
    MissingRevision = 6,
    BadItemIndex = 9,
    NotANumber = 10,
    ValueOutOfRange = 11,
    InvalidArgument = 12,
    InvalidCommand = 13,
    WrongArgumentCount = 14,
    TooMuchData = 15,
    Sequence = 22,
    WrongContext = 23,
};
const char* BclErrorText(BclError error);

enum class EncoderMode { Absolute, Absolute14, Relative1, Relative2, Relative3 };
enum class ButtonMode { ToggleOn, ToggleOff, Increment };

struct BcrEncoder {
    bool programmed = false; // has a valid .easypar
    int channel = 1;         // 1-16
    int controller = 0;
    int minimum = 0;
    int maximum = 127;
    EncoderMode mode = EncoderMode::Absolute;
    std::string ring = "1dot";
    bool showValue = true;
    std::array<int, 4> resolution{96, 96, 96, 96};
    int defaultValue = 0;
    int value = 0;  // what the ring shows
    int travel = 0; // detents × resolution not yet worth a whole step

    int Low() const { return std::min(minimum, maximum); }
    int High() const { return std::max(minimum, maximum); }
};

struct BcrButton {
    bool programmed = false;
    int channel = 1;
    int controller = 0;
    int value1 = 127;
    std::optional<int> value2 = 0; // empty: "off", nothing sent on release
    ButtonMode mode = ButtonMode::ToggleOff;
    int step = 1;
    bool showValue = true;
    int defaultValue = 0;
    int value = 0;
    bool lit = false;

    // An incoming or stepped value lights the button when it is nearer value1 than
    // value2; with value2 "off", when it is value1.
    bool LitFor(int v) const;
};

struct BcrPreset {
    std::string name;
    bool snapshot = false;
    bool request = false;
    int egroups = 4;
    bool fkeys = true;
    bool lock = false;
    std::array<BcrEncoder, 56> encoders{}; // $encoder 1-56 at index 0-55
    std::array<BcrButton, 64> buttons{};   // $button 1-64 at index 0-63
};

class Bcr2000Sim {
public:
    static constexpr int kEncoderCount = 56;
    static constexpr int kButtonCount = 64;
    static constexpr int kPresetCount = 32;

    // deviceId 1-16. Starts with the factory preset in the edit buffer and in preset 1.
    explicit Bcr2000Sim(int deviceId = 1);

    // BCL lines (each answered with its reply) and control changes (feedback). Reads
    // data[0, size) only.
    MidiMessages Receive(const uint8_t* data, size_t size);

    // The controls; numbers as in BCL. They return the control changes sent.
    MidiMessages Turn(int encoder, int detents);
    MidiMessages Press(int button);
    MidiMessages Release(int button);

    // What the controller made of each message received since the last call, in words.
    std::vector<std::string> TakeLog();

    int DeviceId() const { return deviceId; }
    const BcrPreset& EditBuffer() const { return edit; }
    const BcrEncoder& Encoder(int encoder) const;
    const BcrButton& Button(int button) const;
    // One line per programmed control: its programming, value and LED.
    std::vector<std::string> DescribeControls() const;

    static BcrPreset FactoryPreset();

private:
    BclError Interpret(int index, const std::string& text);
    BclError Execute(const std::vector<std::string>& words);
    BclError Command(const std::vector<std::string>& words);
    BclError PresetOption(const std::vector<std::string>& words);
    BclError EncoderOption(BcrEncoder& encoder, const std::vector<std::string>& words);
    BclError ButtonOption(BcrButton& button, const std::vector<std::string>& words);
    void HandleSysex(std::span<const uint8_t> message, MidiMessages& replies);
    void HandleControlChange(int channel, int controller, int value);

    enum class Context { None, Preset, Encoder, Button };

    int deviceId;
    BcrPreset edit;
    std::array<BcrPreset, kPresetCount> stored{};
    bool blockOpen = false; // between $rev and $end
    int expectedIndex = 0;
    Context context = Context::None;
    int contextItem = 0; // index of the control being programmed
    std::vector<std::string> log;
};
