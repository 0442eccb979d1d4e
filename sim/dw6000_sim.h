#pragma once
// A DW-6000 in software: the SysEx and program-change behaviour of the synthesizer,
// bytes in and bytes out, with no MIDI ports and no threads of its own.
#include "sim/dw6000_patch.h"
#include "sim/midi_message.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct Dw6000Settings {
    int channel = 1;             // receive (and send) channel, 1-16
    bool strictChannel = true;   // SysEx must carry the receive channel in its format byte
    bool writeProtected = false; // the rear WRITE switch on DISABLE
};

class Dw6000Sim {
public:
    static constexpr int kProgramCount = 64;

    // The 64 programs are filled from a fixed seed, so every run starts alike; program 11
    // (number 0) is playing.
    explicit Dw6000Sim(Dw6000Settings settings = {});

    // Everything the synthesizer does with the bytes: the messages it answers with, in
    // order. Reads data[0, size) only.
    MidiMessages Receive(const uint8_t* data, size_t size);

    // Choosing a program on the panel (0-63): loads it and announces it with a program
    // change on the channel.
    MidiMessages SelectProgram(int program);

    // What the synthesizer made of each message received since the last call, in words:
    // "VCF Cutoff = 40", "data save request: sent the edit buffer", "ignored: ...".
    std::vector<std::string> TakeLog();

    const Dw6000Patch& EditBuffer() const { return editBuffer; }
    const Dw6000Patch& Program(int program) const;
    int CurrentProgram() const { return currentProgram; }
    const Dw6000Settings& Settings() const { return settings; }
    void SetWriteProtected(bool on) { settings.writeProtected = on; }

    // One line per parameter of the edit buffer: "VCF Cutoff = 40".
    std::vector<std::string> DescribeEditBuffer() const;

private:
    void Handle(std::span<const uint8_t> message, MidiMessages& replies);
    void HandleSysex(std::span<const uint8_t> message, MidiMessages& replies);
    uint8_t FormatByte() const { return static_cast<uint8_t>(0x30 | (settings.channel - 1)); }
    bool ChannelMatches(uint8_t nibble) const;
    MidiMessage Reply(std::initializer_list<uint8_t> body) const;
    void Ignore(std::span<const uint8_t> message, const char* why);

    Dw6000Settings settings;
    std::array<Dw6000Patch, kProgramCount> programs{};
    Dw6000Patch editBuffer{};
    int currentProgram = 0;
    std::vector<std::string> log;
};

// The panel's name of a program: 0 is "11", 7 is "18", 8 is "21", 63 is "88".
std::string Dw6000ProgramName(int program);
// The program number of a panel name "11"-"88", or -1.
int Dw6000ProgramFromName(const std::string& name);
