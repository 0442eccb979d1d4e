#include "sim/dw6000_sim.h"

#include <gtest/gtest.h>

#include <set>

namespace {
MidiMessages Send(Dw6000Sim& sim, const MidiMessage& bytes) {
    return sim.Receive(bytes.data(), bytes.size());
}

MidiMessage DumpOf(const Dw6000Patch& patch, uint8_t format = 0x30) {
    MidiMessage dump = {0xF0, 0x42, format, 0x04, 0x40};
    for (uint8_t byte : patch)
        dump.push_back(byte);
    dump.push_back(0xF7);
    return dump;
}

Dw6000Patch PatchFilledWith(uint8_t byte) {
    Dw6000Patch patch;
    patch.fill(byte);
    return patch;
}

TEST(Dw6000Sim, AnswersEachRequestKind) {
    enum class Answer { none, dump, deviceId, writeCompleted, writeError };
    struct Case {
        const char* what;
        Dw6000Settings settings;
        MidiMessage in;
        Answer answer;
    };
    const Dw6000Settings strict;
    const Dw6000Settings loose{1, false, false};
    const Dw6000Settings channel3{3, true, false};
    const Dw6000Settings protectedWrite{1, true, true};
    const Case cases[] = {
        {"data save request", strict, {0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7}, Answer::dump},
        {"device id request", strict, {0xF0, 0x42, 0x40, 0xF7}, Answer::deviceId},
        {"write request",
         strict,
         {0xF0, 0x42, 0x30, 0x04, 0x11, 0x05, 0xF7},
         Answer::writeCompleted},
        {"write request, protected",
         protectedWrite,
         {0xF0, 0x42, 0x30, 0x04, 0x11, 0x05, 0xF7},
         Answer::writeError},
        {"request on its channel 3", channel3, {0xF0, 0x42, 0x32, 0x04, 0x10, 0xF7}, Answer::dump},
        {"device id on channel 3", channel3, {0xF0, 0x42, 0x42, 0xF7}, Answer::deviceId},
        {"other channel, strict", strict, {0xF0, 0x42, 0x31, 0x04, 0x10, 0xF7}, Answer::none},
        {"device id other channel, strict", strict, {0xF0, 0x42, 0x41, 0xF7}, Answer::none},
        {"other channel, loose", loose, {0xF0, 0x42, 0x35, 0x04, 0x10, 0xF7}, Answer::dump},
        {"channel 1 to a synth on 3", channel3, {0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7}, Answer::none},
        {"other model", strict, {0xF0, 0x42, 0x30, 0x05, 0x10, 0xF7}, Answer::none},
        {"other maker", strict, {0xF0, 0x43, 0x30, 0x04, 0x10, 0xF7}, Answer::none},
        {"truncated", strict, {0xF0, 0x42, 0x30, 0x04, 0x10}, Answer::none},
        {"one byte too many", strict, {0xF0, 0x42, 0x30, 0x04, 0x10, 0x00, 0xF7}, Answer::none},
        {"write to program 64", strict, {0xF0, 0x42, 0x30, 0x04, 0x11, 0x40, 0xF7}, Answer::none},
        {"unknown function", strict, {0xF0, 0x42, 0x30, 0x04, 0x12, 0xF7}, Answer::none},
    };
    for (const Case& c : cases) {
        Dw6000Sim sim(c.settings);
        const uint8_t format = static_cast<uint8_t>(0x30 | (c.settings.channel - 1));
        const Dw6000Patch before = sim.EditBuffer();
        MidiMessages expected;
        switch (c.answer) {
        case Answer::none:
            break;
        case Answer::dump:
            expected = {DumpOf(before, format)};
            break;
        case Answer::deviceId:
            expected = {{0xF0, 0x42, format, 0x04, 0xF7}};
            break;
        case Answer::writeCompleted:
            expected = {{0xF0, 0x42, format, 0x04, 0x21, 0xF7}};
            break;
        case Answer::writeError:
            expected = {{0xF0, 0x42, format, 0x04, 0x22, 0xF7}};
            break;
        }
        const Dw6000Patch program5 = sim.Program(5);
        EXPECT_EQ(Send(sim, c.in), expected) << c.what;
        EXPECT_EQ(sim.EditBuffer(), before) << c.what;
        const bool written = c.answer == Answer::writeCompleted;
        EXPECT_EQ(sim.Program(5), written ? before : program5) << c.what;
        if (c.answer == Answer::dump) {
            EXPECT_EQ(expected[0].size(), 32u);
        }
    }
}

TEST(Dw6000Sim, ParameterChangeReplacesTheWholeByte) {
    Dw6000Sim sim;
    EXPECT_TRUE(Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x41, 0x05, 0x28, 0xF7}).empty());
    EXPECT_EQ(sim.EditBuffer()[5], 0x28);
    EXPECT_EQ(sim.TakeLog(), std::vector<std::string>{"VCF Cutoff = 40"});

    Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x41, 0x12, 0x2A, 0xF7});
    EXPECT_EQ(sim.EditBuffer()[18], 0x2A);
    EXPECT_EQ(sim.TakeLog(), std::vector<std::string>{"VCA Sustain = 10, Bend VCF = On"});

    // Codes above a field's panel range are stored and named as the panel would.
    Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x41, 0x00, 0x3F, 0xF7});
    EXPECT_EQ(sim.TakeLog(), std::vector<std::string>{"Assign Mode = INHIBIT, Bend Osc = 15"});

    const Dw6000Patch before = sim.EditBuffer();
    Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x41, 0x1A, 0x01, 0xF7}); // byte 26: no such byte
    Send(sim, {0xF0, 0x42, 0x31, 0x04, 0x41, 0x05, 0x01, 0xF7}); // other channel
    Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x41, 0x05, 0x01});       // truncated
    EXPECT_EQ(sim.EditBuffer(), before);
}

TEST(Dw6000Sim, LoadsAReceivedDumpAndSendsItBack) {
    Dw6000Sim sim;
    const Dw6000Patch patch = PatchFilledWith(0x11);
    EXPECT_TRUE(Send(sim, DumpOf(patch)).empty()); // no reply is documented for a load
    EXPECT_EQ(sim.EditBuffer(), patch);
    EXPECT_EQ(Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7}), MidiMessages{DumpOf(patch)});

    MidiMessage shortDump = DumpOf(PatchFilledWith(0x22));
    shortDump.erase(shortDump.end() - 2); // 25 data bytes
    Send(sim, shortDump);
    EXPECT_EQ(sim.EditBuffer(), patch);
}

TEST(Dw6000Sim, WritesTheEditBufferIntoAProgram) {
    Dw6000Sim sim;
    Send(sim, DumpOf(PatchFilledWith(0x03)));
    Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x11, 0x3F, 0xF7});
    EXPECT_EQ(sim.Program(63), PatchFilledWith(0x03));
    Send(sim, {0xC0, 0x00});
    Send(sim, {0xC0, 0x3F});
    EXPECT_EQ(sim.EditBuffer(), PatchFilledWith(0x03));

    sim.SetWriteProtected(true);
    Send(sim, DumpOf(PatchFilledWith(0x04)));
    EXPECT_EQ(Send(sim, {0xF0, 0x42, 0x30, 0x04, 0x11, 0x3F, 0xF7}),
              (MidiMessages{{0xF0, 0x42, 0x30, 0x04, 0x22, 0xF7}}));
    EXPECT_EQ(sim.Program(63), PatchFilledWith(0x03));
}

TEST(Dw6000Sim, ProgramChangeOnItsChannelSelectsAndWraps) {
    struct Case {
        MidiMessage in;
        int program; // expected afterwards
    };
    const Case cases[] = {
        {{0xC2, 0x05}, 5}, {{0xC2, 0x3F}, 63}, {{0xC2, 0x40}, 0},
        {{0xC2, 0x45}, 5}, {{0xC2, 0x7F}, 63}, {{0xC0, 0x09}, 0}, // channel 1: not ours
        {{0xC3, 0x09}, 0},
    };
    for (const Case& c : cases) {
        Dw6000Sim sim({3, true, false});
        EXPECT_TRUE(Send(sim, c.in).empty());
        EXPECT_EQ(sim.CurrentProgram(), c.program) << int(c.in[0]) << " " << int(c.in[1]);
        EXPECT_EQ(sim.EditBuffer(), sim.Program(c.program));
    }
}

TEST(Dw6000Sim, PanelSelectionLoadsAndAnnouncesTheProgram) {
    Dw6000Sim sim({16, true, false});
    EXPECT_EQ(sim.SelectProgram(10), (MidiMessages{{0xCF, 0x0A}}));
    EXPECT_EQ(sim.CurrentProgram(), 10);
    EXPECT_EQ(sim.EditBuffer(), sim.Program(10));
    EXPECT_EQ(sim.SelectProgram(64 + 7), (MidiMessages{{0xCF, 0x07}}));
}

TEST(Dw6000Sim, StartsWithDistinctValidProgramsFromAFixedSeed) {
    const Dw6000Sim sim;
    std::set<Dw6000Patch> distinct;
    for (int p = 0; p < Dw6000Sim::kProgramCount; ++p) {
        const Dw6000Patch& patch = sim.Program(p);
        distinct.insert(patch);
        Dw6000Patch held{}; // the bits some field holds
        for (const Dw6000Field& field : Dw6000Fields()) {
            EXPECT_LE(field.Code(patch[field.byte]), field.maxValue) << field.name << " " << p;
            held[field.byte] |= field.mask;
        }
        for (size_t b = 0; b < kDw6000PatchSize; ++b)
            EXPECT_EQ(patch[b] & ~held[b], 0) << "byte " << b << " of program " << p;
    }
    EXPECT_EQ(distinct.size(), 64u);
    EXPECT_EQ(Dw6000Sim().Program(37), sim.Program(37));
    EXPECT_EQ(sim.EditBuffer(), sim.Program(0));
}

TEST(Dw6000Sim, DescribesItsEditBufferInThePanelsWords) {
    Dw6000Sim sim;
    Dw6000Patch patch{};
    patch[19] = 0x20; // Osc1 Octave 8'
    patch[24] = 0x3F; // Osc1 Wave Bell-Gong, Osc2 Wave Bell-Gong
    patch[25] = 0x12; // Osc2 Interval Third, Osc2 Detune 2
    Send(sim, DumpOf(patch));
    const std::vector<std::string> lines = sim.DescribeEditBuffer();
    ASSERT_EQ(lines.size(), 35u);
    EXPECT_EQ(lines[0], "Assign Mode = Poly 1");
    EXPECT_EQ(lines[22], "Osc1 Octave =  8'");
    EXPECT_EQ(lines[31], "Osc1 Wave = Bell-Gong");
    EXPECT_EQ(lines[33], "Osc2 Interval = Third");
    EXPECT_EQ(lines[34], "Osc2 Detune = 2");
}

TEST(Dw6000ProgramName, MapsNumbersToBankAndNumber) {
    const std::pair<int, const char*> names[] = {{0, "11"}, {7, "18"}, {8, "21"}, {63, "88"}};
    for (const auto& [number, name] : names) {
        EXPECT_EQ(Dw6000ProgramName(number), name);
        EXPECT_EQ(Dw6000ProgramFromName(name), number);
    }
    for (const char* bad : {"10", "19", "91", "1", "111", "a1"})
        EXPECT_EQ(Dw6000ProgramFromName(bad), -1) << bad;
}
} // namespace
