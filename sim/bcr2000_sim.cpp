#include "sim/bcr2000_sim.h"

#include <charconv>
#include <cstdlib>

namespace {
constexpr uint8_t behringerId[] = {0x00, 0x20, 0x32};
constexpr uint8_t bcr2000Model = 0x15;
constexpr uint8_t anyId = 0x7F;
constexpr uint8_t bclMessage = 0x20;
constexpr uint8_t bclReply = 0x21;
constexpr int kPositionsPerTurn = 96;
constexpr int kMaxNameLength = 24;
constexpr int kMax14 = 16383;

using Words = std::vector<std::string>;

// Words of a line, a quoted string ('…', spaces kept) counting as one word with its
// quotes; comments from ';' on are dropped.
Words SplitWords(const std::string& text) {
    Words words;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ';')
            break;
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        size_t end = i + 1;
        if (c == '\'') {
            while (end < text.size() && text[end] != '\'')
                ++end;
            if (end < text.size())
                ++end;
        } else {
            while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != ';')
                ++end;
        }
        words.push_back(text.substr(i, end - i));
        i = end;
    }
    return words;
}

// Reads words[at] as a whole number within [low, high] into out.
BclError Number(const Words& words, size_t at, int low, int high, int& out) {
    if (at >= words.size())
        return BclError::ArgumentMissing;
    const std::string& word = words[at];
    int value = 0;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (ec != std::errc() || end != word.data() + word.size())
        return BclError::NotANumber;
    if (value < low || value > high)
        return BclError::ValueOutOfRange;
    out = value;
    return BclError::None;
}

BclError OnOff(const Words& words, bool& out) {
    if (words.size() < 2)
        return BclError::ArgumentMissing;
    if (words.size() > 2)
        return BclError::WrongArgumentCount;
    if (words[1] != "on" && words[1] != "off")
        return BclError::InvalidArgument;
    out = words[1] == "on";
    return BclError::None;
}

// Exactly `count` words after the token, else missing or too many.
BclError Arguments(const Words& words, size_t count) {
    if (words.size() < count + 1)
        return BclError::ArgumentMissing;
    if (words.size() > count + 1)
        return BclError::WrongArgumentCount;
    return BclError::None;
}

std::optional<EncoderMode> EncoderModeFrom(const std::string& word) {
    if (word == "absolute")
        return EncoderMode::Absolute;
    if (word == "absolute/14")
        return EncoderMode::Absolute14;
    if (word == "relative-1")
        return EncoderMode::Relative1;
    if (word == "relative-2")
        return EncoderMode::Relative2;
    if (word == "relative-3")
        return EncoderMode::Relative3;
    return std::nullopt;
}

const char* EncoderModeName(EncoderMode mode) {
    switch (mode) {
    case EncoderMode::Absolute:
        return "absolute";
    case EncoderMode::Absolute14:
        return "absolute/14";
    case EncoderMode::Relative1:
        return "relative-1";
    case EncoderMode::Relative2:
        return "relative-2";
    case EncoderMode::Relative3:
        return "relative-3";
    }
    return "";
}

const char* ButtonModeName(ButtonMode mode) {
    switch (mode) {
    case ButtonMode::ToggleOn:
        return "toggleon";
    case ButtonMode::ToggleOff:
        return "toggleoff";
    case ButtonMode::Increment:
        return "increment";
    }
    return "";
}

bool IsRingMode(const std::string& word) {
    for (const char* mode : {"off", "1dot", "1dot/off", "12dot", "12dot/off", "bar", "bar/off",
                             "spread", "pan", "qual", "cut", "damp"})
        if (word == mode)
            return true;
    return false;
}

bool IsPresetOption(const std::string& word) {
    for (const char* option :
         {".name", ".snapshot", ".request", ".egroups", ".fkeys", ".lock", ".init"})
        if (word == option)
            return true;
    return false;
}

bool IsControlOption(const std::string& word) {
    for (const char* option : {".easypar", ".showvalue", ".mode", ".resolution", ".default"})
        if (word == option)
            return true;
    return false;
}

MidiMessage ControlChange(int channel, int controller, int value) {
    return {static_cast<uint8_t>(0xB0 | (channel - 1)), static_cast<uint8_t>(controller),
            static_cast<uint8_t>(value)};
}

// A relative step as each relative mode writes it in one data byte.
int RelativeCode(EncoderMode mode, int delta) {
    delta = std::clamp(delta, -63, 63);
    switch (mode) {
    case EncoderMode::Relative1: // two's complement
        return delta & 0x7F;
    case EncoderMode::Relative2: // offset from 64
        return 64 + delta;
    default: // relative-3: sign in bit 6
        return delta >= 0 ? delta : 0x40 | -delta;
    }
}

std::string OnOffText(bool on) {
    return on ? "on" : "off";
}
} // namespace

const char* BclErrorText(BclError error) {
    switch (error) {
    case BclError::None:
        return "no error";
    case BclError::UnknownToken:
        return "unknown token";
    case BclError::DataWithoutToken:
        return "data without token";
    case BclError::ArgumentMissing:
        return "argument missing";
    case BclError::WrongDevice:
        return "wrong device";
    case BclError::WrongRevision:
        return "wrong revision";
    case BclError::MissingRevision:
        return "missing revision";
    case BclError::BadItemIndex:
        return "bad item index";
    case BclError::NotANumber:
        return "not a number";
    case BclError::ValueOutOfRange:
        return "value out of range";
    case BclError::InvalidArgument:
        return "invalid argument";
    case BclError::InvalidCommand:
        return "invalid command";
    case BclError::WrongArgumentCount:
        return "wrong number of arguments";
    case BclError::TooMuchData:
        return "too much data";
    case BclError::Sequence:
        return "sequence";
    case BclError::WrongContext:
        return "wrong context";
    }
    return "error";
}

bool BcrButton::LitFor(int v) const {
    if (!value2)
        return v == value1;
    return std::abs(v - value1) < std::abs(v - *value2);
}

BcrPreset Bcr2000Sim::FactoryPreset() {
    BcrPreset preset;
    preset.name = "factory preset 1";
    const auto encoder = [&](int number, int controller) {
        BcrEncoder& e = preset.encoders[static_cast<size_t>(number - 1)];
        e.programmed = true;
        e.controller = controller;
    };
    const auto button = [&](int number, int controller) {
        BcrButton& b = preset.buttons[static_cast<size_t>(number - 1)];
        b.programmed = true;
        b.controller = controller;
    };
    for (int k = 0; k < 32; ++k) {
        encoder(1 + k, 1 + k);
        button(1 + k, 33 + k);
    }
    for (int k = 0; k < 16; ++k)
        button(33 + k, 65 + k);
    for (int k = 0; k < 24; ++k)
        encoder(33 + k, 81 + k);
    for (int k = 0; k < 4; ++k)
        button(49 + k, 105 + k);
    return preset;
}

Bcr2000Sim::Bcr2000Sim(int deviceId_) : deviceId(deviceId_), edit(FactoryPreset()) {
    stored[0] = edit;
}

const BcrEncoder& Bcr2000Sim::Encoder(int encoder) const {
    return edit.encoders.at(static_cast<size_t>(encoder - 1));
}

const BcrButton& Bcr2000Sim::Button(int button) const {
    return edit.buttons.at(static_cast<size_t>(button - 1));
}

std::vector<std::string> Bcr2000Sim::TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
}

MidiMessages Bcr2000Sim::Receive(const uint8_t* data, size_t size) {
    MidiMessages replies;
    for (std::span<const uint8_t> message : SplitMidiMessages(data, size)) {
        if (message[0] == 0xF0)
            HandleSysex(message, replies);
        else if ((message[0] & 0xF0) == 0xB0)
            HandleControlChange((message[0] & 0x0F) + 1, message[1], message[2]);
    }
    return replies;
}

void Bcr2000Sim::HandleSysex(std::span<const uint8_t> message, MidiMessages& replies) {
    // F0 00 20 32 <device> <model> 20 <index hi> <index lo> <text> F7
    const bool behringer = message.size() >= 5 && message[1] == behringerId[0] &&
                           message[2] == behringerId[1] && message[3] == behringerId[2];
    if (!behringer || message.size() < 10 || message[6] != bclMessage) {
        log.push_back("ignored " + HexBytes(message) + " (not a BCL line)");
        return;
    }
    if (message[4] != deviceId - 1 && message[4] != anyId) {
        log.push_back("ignored " + HexBytes(message) + " (for another device id)");
        return;
    }
    if (message[5] != bcr2000Model && message[5] != anyId) {
        log.push_back("ignored " + HexBytes(message) + " (for another model)");
        return;
    }
    const int index = message[7] << 7 | message[8];
    const std::string text(message.begin() + 9, message.end() - 1);
    const BclError error = Interpret(index, text);
    replies.push_back({0xF0, behringerId[0], behringerId[1], behringerId[2],
                       static_cast<uint8_t>(deviceId - 1), bcr2000Model, bclReply, message[7],
                       message[8], static_cast<uint8_t>(error), 0xF7});
    std::string line = "BCL " + std::to_string(index) + " \"" + text + "\"";
    if (error != BclError::None)
        line +=
            ": error " + std::to_string(static_cast<int>(error)) + " (" + BclErrorText(error) + ")";
    log.push_back(line);
}

BclError Bcr2000Sim::Interpret(int index, const std::string& text) {
    for (char c : text)
        if ((c < 0x20 || c > 0x7E) && c != '\t')
            return BclError::InvalidCommand;
    const Words words = SplitWords(text);
    if (!words.empty() && words[0] == "$rev") {
        if (index != 0)
            return BclError::Sequence;
        if (const BclError error = Arguments(words, 1); error != BclError::None)
            return error;
        if (words[1] == "F1")
            return BclError::WrongDevice;
        if (words[1] != "R1")
            return BclError::WrongRevision;
        blockOpen = true;
        expectedIndex = 1;
        context = Context::None;
        return BclError::None;
    }
    if (!blockOpen)
        return BclError::MissingRevision;
    // A lost or repeated line is reported once; the count then follows the sender.
    const bool inSequence = index == expectedIndex;
    expectedIndex = index + 1;
    if (!inSequence)
        return BclError::Sequence;
    if (words.empty())
        return BclError::None;
    return Execute(words);
}

BclError Bcr2000Sim::Execute(const Words& words) {
    const std::string& token = words[0];
    if (token[0] == '$')
        return Command(words);
    if (token[0] != '.')
        return BclError::DataWithoutToken;
    if (IsPresetOption(token))
        return context == Context::Preset ? PresetOption(words) : BclError::WrongContext;
    if (!IsControlOption(token))
        return BclError::UnknownToken;
    if (context == Context::Encoder)
        return EncoderOption(edit.encoders[static_cast<size_t>(contextItem)], words);
    if (context == Context::Button)
        return ButtonOption(edit.buttons[static_cast<size_t>(contextItem)], words);
    return BclError::WrongContext;
}

BclError Bcr2000Sim::Command(const Words& words) {
    const std::string& token = words[0];
    if (token == "$preset" || token == "$end") {
        if (const BclError error = Arguments(words, 0); error != BclError::None)
            return error;
        context = token == "$preset" ? Context::Preset : Context::None;
        if (token == "$end")
            blockOpen = false;
        return BclError::None;
    }
    const bool encoder = token == "$encoder";
    const bool button = token == "$button";
    const bool store = token == "$store";
    const bool recall = token == "$recall";
    if (!encoder && !button && !store && !recall)
        return BclError::UnknownToken;
    if (const BclError error = Arguments(words, 1); error != BclError::None)
        return error;
    int number = 0;
    const int high = encoder ? kEncoderCount : button ? kButtonCount : kPresetCount;
    if (BclError error = Number(words, 1, 1, high, number); error != BclError::None)
        return error == BclError::ValueOutOfRange && (encoder || button) ? BclError::BadItemIndex
                                                                         : error;
    if (store) {
        stored[static_cast<size_t>(number - 1)] = edit;
        context = Context::None;
    } else if (recall) {
        edit = stored[static_cast<size_t>(number - 1)];
        context = Context::None;
    } else if (encoder) {
        edit.encoders[static_cast<size_t>(number - 1)] = BcrEncoder{};
        context = Context::Encoder;
    } else {
        edit.buttons[static_cast<size_t>(number - 1)] = BcrButton{};
        context = Context::Button;
    }
    contextItem = number - 1;
    return BclError::None;
}

BclError Bcr2000Sim::PresetOption(const Words& words) {
    const std::string& token = words[0];
    if (token == ".init") {
        if (const BclError error = Arguments(words, 0); error != BclError::None)
            return error;
        edit.encoders.fill(BcrEncoder{});
        edit.buttons.fill(BcrButton{});
        return BclError::None;
    }
    if (token == ".name") {
        if (const BclError error = Arguments(words, 1); error != BclError::None)
            return error;
        const std::string& quoted = words[1];
        if (quoted.size() < 2 || quoted.front() != '\'' || quoted.back() != '\'')
            return BclError::InvalidArgument;
        if (quoted.size() - 2 > kMaxNameLength)
            return BclError::TooMuchData;
        edit.name = quoted.substr(1, quoted.size() - 2);
        return BclError::None;
    }
    if (token == ".egroups") {
        if (const BclError error = Arguments(words, 1); error != BclError::None)
            return error;
        return Number(words, 1, 1, 4, edit.egroups);
    }
    bool& flag = token == ".snapshot"  ? edit.snapshot
                 : token == ".request" ? edit.request
                 : token == ".fkeys"   ? edit.fkeys
                                       : edit.lock;
    return OnOff(words, flag);
}

BclError Bcr2000Sim::EncoderOption(BcrEncoder& encoder, const Words& words) {
    const std::string& token = words[0];
    if (token == ".easypar") {
        if (const BclError error = Arguments(words, 6); error != BclError::None)
            return error;
        if (words[1] != "CC")
            return BclError::InvalidArgument;
        const std::optional<EncoderMode> mode = EncoderModeFrom(words[6]);
        if (!mode)
            return BclError::InvalidArgument;
        const bool wide = *mode == EncoderMode::Absolute14;
        BcrEncoder e = encoder;
        BclError error = Number(words, 2, 1, 16, e.channel);
        if (error == BclError::None)
            error = Number(words, 3, 0, wide ? 31 : 127, e.controller);
        if (error == BclError::None)
            error = Number(words, 4, 0, wide ? kMax14 : 127, e.minimum);
        if (error == BclError::None)
            error = Number(words, 5, 0, wide ? kMax14 : 127, e.maximum);
        if (error != BclError::None)
            return error;
        e.mode = *mode;
        e.programmed = true;
        e.value = std::clamp(e.defaultValue, e.Low(), e.High());
        e.travel = 0;
        encoder = e;
        return BclError::None;
    }
    if (token == ".showvalue")
        return OnOff(words, encoder.showValue);
    if (token == ".mode") {
        if (const BclError error = Arguments(words, 1); error != BclError::None)
            return error;
        if (!IsRingMode(words[1]))
            return BclError::InvalidArgument;
        encoder.ring = words[1];
        return BclError::None;
    }
    if (token == ".resolution") {
        if (words.size() < 2)
            return BclError::ArgumentMissing;
        if (words.size() > 5)
            return BclError::WrongArgumentCount;
        std::array<int, 4> resolution = encoder.resolution;
        for (size_t k = 1; k < words.size(); ++k)
            if (const BclError error = Number(words, k, 1, kMax14, resolution[k - 1]);
                error != BclError::None)
                return error;
        encoder.resolution = resolution;
        return BclError::None;
    }
    // .default
    if (const BclError error = Arguments(words, 1); error != BclError::None)
        return error;
    int value = 0;
    const int low = encoder.programmed ? encoder.Low() : 0;
    const int high = encoder.programmed ? encoder.High() : kMax14;
    if (const BclError error = Number(words, 1, low, high, value); error != BclError::None)
        return error;
    encoder.defaultValue = value;
    encoder.value = value;
    return BclError::None;
}

BclError Bcr2000Sim::ButtonOption(BcrButton& button, const Words& words) {
    const std::string& token = words[0];
    if (token == ".easypar") {
        if (words.size() < 7)
            return BclError::ArgumentMissing;
        if (words[1] != "CC")
            return BclError::InvalidArgument;
        BcrButton b = button;
        const std::string& modeWord = words[6];
        if (modeWord == "toggleon")
            b.mode = ButtonMode::ToggleOn;
        else if (modeWord == "toggleoff")
            b.mode = ButtonMode::ToggleOff;
        else if (modeWord == "increment")
            b.mode = ButtonMode::Increment;
        else
            return BclError::InvalidArgument;
        const size_t count = b.mode == ButtonMode::Increment ? 7 : 6;
        if (const BclError error = Arguments(words, count); error != BclError::None)
            return error;
        BclError error = Number(words, 2, 1, 16, b.channel);
        if (error == BclError::None)
            error = Number(words, 3, 0, 127, b.controller);
        if (error == BclError::None)
            error = Number(words, 4, 0, 127, b.value1);
        if (error == BclError::None && b.mode == ButtonMode::ToggleOff && words[5] == "off") {
            b.value2.reset();
        } else if (error == BclError::None) {
            int value2 = 0;
            error = Number(words, 5, 0, 127, value2);
            b.value2 = value2;
        }
        if (error == BclError::None && b.mode == ButtonMode::Increment)
            error = Number(words, 7, 1, 127, b.step);
        if (error != BclError::None)
            return error;
        b.programmed = true;
        if (b.mode == ButtonMode::Increment)
            b.value = std::clamp(b.defaultValue, std::min(b.value1, *b.value2),
                                 std::max(b.value1, *b.value2));
        else
            b.value = b.defaultValue;
        b.lit = b.LitFor(b.value);
        button = b;
        return BclError::None;
    }
    if (token == ".showvalue")
        return OnOff(words, button.showValue);
    if (token == ".default") {
        if (const BclError error = Arguments(words, 1); error != BclError::None)
            return error;
        if (const BclError error = Number(words, 1, 0, 127, button.defaultValue);
            error != BclError::None)
            return error;
        button.value = button.defaultValue;
        button.lit = button.programmed && button.LitFor(button.value);
        return BclError::None;
    }
    return BclError::WrongContext; // a button has no ring to set a .mode or .resolution for
}

void Bcr2000Sim::HandleControlChange(int channel, int controller, int value) {
    bool matched = false;
    for (int n = 1; n <= kEncoderCount; ++n) {
        BcrEncoder& e = edit.encoders[static_cast<size_t>(n - 1)];
        if (!e.programmed || e.channel != channel)
            continue;
        if (e.mode == EncoderMode::Absolute && e.controller == controller)
            e.value = std::clamp(value, e.Low(), e.High());
        else if (e.mode == EncoderMode::Absolute14 && e.controller == controller)
            e.value = std::clamp(value << 7 | (e.value & 0x7F), e.Low(), e.High());
        else if (e.mode == EncoderMode::Absolute14 && e.controller + 32 == controller)
            e.value = std::clamp((e.value & ~0x7F) | value, e.Low(), e.High());
        else
            continue;
        matched = true;
        log.push_back("encoder " + std::to_string(n) + " \u2190 " + std::to_string(e.value));
    }
    for (int n = 1; n <= kButtonCount; ++n) {
        BcrButton& b = edit.buttons[static_cast<size_t>(n - 1)];
        if (!b.programmed || b.channel != channel || b.controller != controller)
            continue;
        matched = true;
        b.value = value;
        b.lit = b.LitFor(value);
        log.push_back("button " + std::to_string(n) + " \u2190 " + std::to_string(value) +
                      (b.lit ? " (lit)" : " (dark)"));
    }
    if (!matched)
        log.push_back("CC " + std::to_string(controller) + " = " + std::to_string(value) +
                      " on channel " + std::to_string(channel) + ": no control");
}

MidiMessages Bcr2000Sim::Turn(int encoder, int detents) {
    BcrEncoder& e = edit.encoders.at(static_cast<size_t>(encoder - 1));
    if (!e.programmed)
        return {};
    e.travel += detents * e.resolution[0];
    const int steps = e.travel / kPositionsPerTurn;
    e.travel -= steps * kPositionsPerTurn;
    if (steps == 0)
        return {};
    switch (e.mode) {
    case EncoderMode::Absolute:
    case EncoderMode::Absolute14: {
        const int value = std::clamp(e.value + steps, e.Low(), e.High());
        if (value == e.value)
            return {};
        e.value = value;
        if (e.mode == EncoderMode::Absolute)
            return {ControlChange(e.channel, e.controller, value)};
        return {ControlChange(e.channel, e.controller, value >> 7),
                ControlChange(e.channel, e.controller + 32, value & 0x7F)};
    }
    default:
        return {ControlChange(e.channel, e.controller, RelativeCode(e.mode, steps))};
    }
}

MidiMessages Bcr2000Sim::Press(int button) {
    BcrButton& b = edit.buttons.at(static_cast<size_t>(button - 1));
    // With .fkeys on, STORE, LEARN, EDIT and EXIT work the panel, not MIDI.
    const bool functionKey = button >= 53 && button <= 56 && edit.fkeys;
    if (!b.programmed || functionKey)
        return {};
    int value = b.value1;
    switch (b.mode) {
    case ButtonMode::ToggleOn:
        value = b.lit ? *b.value2 : b.value1;
        b.lit = !b.lit;
        break;
    case ButtonMode::ToggleOff:
        b.lit = true;
        break;
    case ButtonMode::Increment:
        value = std::min(b.value + b.step, std::max(b.value1, *b.value2));
        if (value == b.value)
            return {};
        b.lit = b.LitFor(value);
        break;
    }
    b.value = value;
    return {ControlChange(b.channel, b.controller, value)};
}

MidiMessages Bcr2000Sim::Release(int button) {
    BcrButton& b = edit.buttons.at(static_cast<size_t>(button - 1));
    const bool functionKey = button >= 53 && button <= 56 && edit.fkeys;
    if (!b.programmed || functionKey || b.mode != ButtonMode::ToggleOff)
        return {};
    b.lit = false;
    if (!b.value2)
        return {};
    b.value = *b.value2;
    return {ControlChange(b.channel, b.controller, b.value)};
}

std::vector<std::string> Bcr2000Sim::DescribeControls() const {
    std::vector<std::string> lines;
    lines.push_back("preset \"" + edit.name + "\", fkeys " + OnOffText(edit.fkeys));
    for (int n = 1; n <= kEncoderCount; ++n) {
        const BcrEncoder& e = Encoder(n);
        if (!e.programmed)
            continue;
        lines.push_back("encoder " + std::to_string(n) + ": CC " + std::to_string(e.controller) +
                        " channel " + std::to_string(e.channel) + ", " + std::to_string(e.minimum) +
                        "-" + std::to_string(e.maximum) + " " + EncoderModeName(e.mode) +
                        ", resolution " + std::to_string(e.resolution[0]) + ", ring " + e.ring +
                        ", value " + std::to_string(e.value));
    }
    for (int n = 1; n <= kButtonCount; ++n) {
        const BcrButton& b = Button(n);
        if (!b.programmed)
            continue;
        std::string line =
            "button " + std::to_string(n) + ": CC " + std::to_string(b.controller) + " channel " +
            std::to_string(b.channel) + ", " + std::to_string(b.value1) + " " +
            (b.value2 ? std::to_string(*b.value2) : "off") + " " + ButtonModeName(b.mode);
        if (b.mode == ButtonMode::Increment)
            line += " " + std::to_string(b.step);
        line += ", value " + std::to_string(b.value) + ", LED " + (b.lit ? "on" : "off");
        lines.push_back(line);
    }
    return lines;
}
