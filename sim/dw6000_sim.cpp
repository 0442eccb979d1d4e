#include "sim/dw6000_sim.h"

#include <random>
#include <set>

namespace {
constexpr uint8_t korgId = 0x42;
constexpr uint8_t dw6000Id = 0x04;
constexpr uint8_t dataSaveRequest = 0x10;
constexpr uint8_t writeRequest = 0x11;
constexpr uint8_t writeCompleted = 0x21;
constexpr uint8_t writeError = 0x22;
constexpr uint8_t dataDump = 0x40;
constexpr uint8_t parameterChange = 0x41;
constexpr uint32_t programSeed = 6000;

// A patch with every field within its panel range and every other bit 0. The value is
// taken modulo the range from the raw generator output, which is the same on every
// standard library (the distributions are not).
Dw6000Patch RandomPatch(std::mt19937& generator) {
    Dw6000Patch patch{};
    for (const Dw6000Field& field : Dw6000Fields()) {
        const auto code = generator() % static_cast<uint32_t>(field.maxValue + 1);
        patch[static_cast<size_t>(field.byte)] |= static_cast<uint8_t>(code << field.Shift());
    }
    return patch;
}
} // namespace

std::string Dw6000ProgramName(int program) {
    return std::to_string(program / 8 + 1) + std::to_string(program % 8 + 1);
}

int Dw6000ProgramFromName(const std::string& name) {
    if (name.size() != 2 || name[0] < '1' || name[0] > '8' || name[1] < '1' || name[1] > '8')
        return -1;
    return (name[0] - '1') * 8 + (name[1] - '1');
}

Dw6000Sim::Dw6000Sim(Dw6000Settings settings_) : settings(settings_) {
    std::mt19937 generator(programSeed);
    std::set<Dw6000Patch> seen;
    for (Dw6000Patch& program : programs) {
        do
            program = RandomPatch(generator);
        while (!seen.insert(program).second);
    }
    editBuffer = programs[0];
}

const Dw6000Patch& Dw6000Sim::Program(int program) const {
    return programs.at(static_cast<size_t>(program));
}

MidiMessages Dw6000Sim::Receive(const uint8_t* data, size_t size) {
    MidiMessages replies;
    for (std::span<const uint8_t> message : SplitMidiMessages(data, size))
        Handle(message, replies);
    return replies;
}

MidiMessages Dw6000Sim::SelectProgram(int program) {
    currentProgram = program % kProgramCount;
    editBuffer = programs[static_cast<size_t>(currentProgram)];
    return {{static_cast<uint8_t>(0xC0 | (settings.channel - 1)),
             static_cast<uint8_t>(currentProgram)}};
}

std::vector<std::string> Dw6000Sim::TakeLog() {
    std::vector<std::string> taken;
    taken.swap(log);
    return taken;
}

std::vector<std::string> Dw6000Sim::DescribeEditBuffer() const {
    std::vector<std::string> lines;
    for (const Dw6000Field& field : Dw6000Fields())
        lines.push_back(std::string(field.name) + " = " +
                        field.Text(editBuffer[static_cast<size_t>(field.byte)]));
    return lines;
}

bool Dw6000Sim::ChannelMatches(uint8_t nibble) const {
    return !settings.strictChannel || nibble == settings.channel - 1;
}

MidiMessage Dw6000Sim::Reply(std::initializer_list<uint8_t> body) const {
    MidiMessage reply = {0xF0, korgId, FormatByte(), dw6000Id};
    for (uint8_t b : body)
        reply.push_back(b);
    reply.push_back(0xF7);
    return reply;
}

void Dw6000Sim::Ignore(std::span<const uint8_t> message, const char* why) {
    log.push_back(std::string("ignored ") + HexBytes(message) + " (" + why + ")");
}

void Dw6000Sim::Handle(std::span<const uint8_t> message, MidiMessages& replies) {
    const uint8_t status = message[0];
    if (status == 0xF0) {
        HandleSysex(message, replies);
        return;
    }
    if ((status & 0xF0) != 0xC0)
        return; // notes, controllers and bends make sound, not state
    if ((status & 0x0F) != settings.channel - 1) {
        Ignore(message, "program change for another channel");
        return;
    }
    currentProgram = message[1] % kProgramCount;
    editBuffer = programs[static_cast<size_t>(currentProgram)];
    log.push_back("program change " + std::to_string(message[1]) + ": program " +
                  Dw6000ProgramName(currentProgram));
}

void Dw6000Sim::HandleSysex(std::span<const uint8_t> message, MidiMessages& replies) {
    const size_t size = message.size(); // F0 ... F7, all between them data bytes
    if (size < 4 || message[1] != korgId) {
        Ignore(message, "not for a Korg instrument");
        return;
    }
    const uint8_t format = message[2] & 0xF0;
    const uint8_t nibble = message[2] & 0x0F;
    if (format == 0x40 && size == 4) {
        if (!ChannelMatches(nibble)) {
            Ignore(message, "device id request for another channel");
            return;
        }
        replies.push_back(Reply({}));
        log.push_back("device id request: answered");
        return;
    }
    if (format != 0x30 || size < 6 || message[3] != dw6000Id) {
        Ignore(message, "not for a DW-6000");
        return;
    }
    if (!ChannelMatches(nibble)) {
        Ignore(message, "for another channel");
        return;
    }
    const uint8_t function = message[4];
    if (function == dataSaveRequest && size == 6) {
        MidiMessage dump = {0xF0, korgId, FormatByte(), dw6000Id, dataDump};
        dump.insert(dump.end(), editBuffer.begin(), editBuffer.end());
        dump.push_back(0xF7);
        replies.push_back(std::move(dump));
        log.push_back("data save request: sent the edit buffer");
    } else if (function == parameterChange && size == 8) {
        const uint8_t byte = message[5];
        if (byte >= kDw6000PatchSize) {
            Ignore(message, "no such patch byte");
            return;
        }
        editBuffer[byte] = message[6];
        log.push_back(DescribePatchByte(editBuffer, byte));
    } else if (function == writeRequest && size == 7) {
        const uint8_t program = message[5];
        if (program >= kProgramCount) {
            Ignore(message, "no such program");
            return;
        }
        if (settings.writeProtected) {
            replies.push_back(Reply({writeError}));
            log.push_back("write request for program " + Dw6000ProgramName(program) +
                          ": refused, write protected");
            return;
        }
        programs[program] = editBuffer;
        currentProgram = program;
        replies.push_back(Reply({writeCompleted}));
        log.push_back("write request: edit buffer written to program " +
                      Dw6000ProgramName(program));
    } else if (function == dataDump && size == 6 + kDw6000PatchSize) {
        std::copy(message.begin() + 5, message.begin() + 5 + kDw6000PatchSize, editBuffer.begin());
        log.push_back("data dump: loaded into the edit buffer");
    } else {
        Ignore(message, "unknown or malformed DW-6000 message");
    }
}
