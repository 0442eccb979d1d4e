#include "sim/bcr2000_sim.h"

#include <gtest/gtest.h>

namespace {
MidiMessage BclLine(int index, const std::string& text, uint8_t device = 0x00,
                    uint8_t model = 0x15) {
    MidiMessage m = {0xF0,
                     0x00,
                     0x20,
                     0x32,
                     device,
                     model,
                     0x20,
                     static_cast<uint8_t>(index >> 7),
                     static_cast<uint8_t>(index & 0x7F)};
    for (char c : text)
        m.push_back(static_cast<uint8_t>(c));
    m.push_back(0xF7);
    return m;
}

MidiMessage Reply(int index, int error, uint8_t device = 0x00) {
    return {0xF0,
            0x00,
            0x20,
            0x32,
            device,
            0x15,
            0x21,
            static_cast<uint8_t>(index >> 7),
            static_cast<uint8_t>(index & 0x7F),
            static_cast<uint8_t>(error),
            0xF7};
}

MidiMessages Send(Bcr2000Sim& sim, const MidiMessage& bytes) {
    return sim.Receive(bytes.data(), bytes.size());
}

// Sends the lines with indexes 0, 1, 2, … and returns each line's error code.
std::vector<int> SendLines(Bcr2000Sim& sim, const std::vector<std::string>& lines) {
    std::vector<int> errors;
    for (size_t i = 0; i < lines.size(); ++i) {
        const MidiMessages replies = Send(sim, BclLine(static_cast<int>(i), lines[i]));
        EXPECT_EQ(replies.size(), 1u) << lines[i];
        errors.push_back(replies.empty() ? -1 : replies[0][9]);
    }
    return errors;
}

MidiMessage Cc(int channel, int controller, int value) {
    return {static_cast<uint8_t>(0xB0 | (channel - 1)), static_cast<uint8_t>(controller),
            static_cast<uint8_t>(value)};
}

// A preset of our own: one encoder and one button for each behaviour under test.
const std::vector<std::string> ourPreset = {
    "$rev R1",
    "$preset",
    "  .name 'quorvin test'   ; a comment",
    "  .snapshot off",
    "  .request off",
    "  .egroups 4",
    "  .fkeys on",
    "  .lock off",
    "  .init",
    "$encoder 33",
    "  .easypar CC 1 37 0 63 absolute",
    "  .showvalue on",
    "  .mode 1dot",
    "  .resolution 96 96 96 96",
    "  .default 0",
    "$encoder 34",
    "  .easypar CC 1 38 0 3 absolute",
    "  .resolution 24 24 24 24",
    "$encoder 35",
    "  .easypar CC 2 10 0 1000 absolute/14",
    "  .resolution 192",
    "  .default 500",
    "$encoder 36",
    "  .easypar CC 1 60 0 127 relative-2",
    "$button 33",
    "  .easypar CC 1 29 2 0 increment 1",
    "  .showvalue on",
    "  .default 0",
    "$button 34",
    "  .easypar CC 1 30 127 0 toggleon",
    "$button 35",
    "  .easypar CC 1 31 127 0 toggleoff",
    "$button 36",
    "  .easypar CC 1 32 100 off toggleoff",
    "$store 1",
    "$end",
};

class LoadedBcr : public ::testing::Test {
protected:
    void SetUp() override {
        const std::vector<int> errors = SendLines(sim, ourPreset);
        ASSERT_EQ(errors, std::vector<int>(ourPreset.size(), 0));
        sim.TakeLog();
    }
    Bcr2000Sim sim;
};

TEST(Bcr2000Sim, StartsWithTheFactoryPreset) {
    Bcr2000Sim sim;
    EXPECT_EQ(sim.Turn(1, 1), MidiMessages{Cc(1, 1, 1)});
    EXPECT_EQ(sim.Turn(33, 2), MidiMessages{Cc(1, 81, 2)});
    EXPECT_EQ(sim.Turn(56, 1), MidiMessages{Cc(1, 104, 1)});
    EXPECT_EQ(sim.Press(1), MidiMessages{Cc(1, 33, 127)});
    EXPECT_EQ(sim.Press(48), MidiMessages{Cc(1, 80, 127)});
    EXPECT_EQ(sim.Press(49), MidiMessages{Cc(1, 105, 127)});
    EXPECT_EQ(sim.Release(49), MidiMessages{Cc(1, 105, 0)});
}

TEST_F(LoadedBcr, TakesItsOwnPresetLineByLine) {
    EXPECT_EQ(sim.EditBuffer().name, "quorvin test");
    EXPECT_FALSE(sim.Encoder(1).programmed) << ".init clears the factory controls";
    const BcrEncoder& e = sim.Encoder(33);
    EXPECT_TRUE(e.programmed);
    EXPECT_EQ(e.controller, 37);
    EXPECT_EQ(e.maximum, 63);
    EXPECT_EQ(e.ring, "1dot");
    EXPECT_EQ(sim.Encoder(35).value, 500);
    EXPECT_EQ(sim.Button(33).mode, ButtonMode::Increment);
    EXPECT_FALSE(sim.Button(36).value2.has_value());
}

TEST(Bcr2000Sim, RepliesWithItsDeviceAndTheLinesIndex) {
    Bcr2000Sim sim(3);
    EXPECT_EQ(Send(sim, BclLine(0, "$rev R1", 0x02)), MidiMessages{Reply(0, 0, 0x02)});
    EXPECT_EQ(Send(sim, BclLine(1, "$preset", 0x7F, 0x7F)), MidiMessages{Reply(1, 0, 0x02)});
    EXPECT_TRUE(Send(sim, BclLine(2, "$end", 0x00)).empty()) << "device id 1";
    EXPECT_TRUE(Send(sim, BclLine(2, "$end", 0x02, 0x14)).empty()) << "a BCF2000 line";
    EXPECT_EQ(Send(sim, BclLine(2, "$end", 0x02)), MidiMessages{Reply(2, 0, 0x02)});
    // Indexes run over 14 bits, high part first.
    Send(sim, BclLine(0, "$rev R1", 0x02));
    for (int i = 1; i < 200; ++i)
        Send(sim, BclLine(i, "", 0x02));
    EXPECT_EQ(Send(sim, BclLine(200, "$end", 0x02)), MidiMessages{Reply(200, 0, 0x02)});
}

TEST(Bcr2000Sim, AnswersEachFaultWithItsErrorCode) {
    struct Case {
        std::vector<std::string> lines; // every line before the last must succeed
        BclError error;
    };
    const Case cases[] = {
        {{"$rev R1", "$frobnicate"}, BclError::UnknownToken},
        {{"$rev R1", "$encoder 33", ".sparkle on"}, BclError::UnknownToken},
        {{"$rev R1", "$encoder 33", "easypar CC 1 37 0 63 absolute"}, BclError::DataWithoutToken},
        {{"$rev R1", "$encoder 33", ".easypar CC 1 37 0 63"}, BclError::ArgumentMissing},
        {{"$rev R1", "$encoder"}, BclError::ArgumentMissing},
        {{"$rev R1", "$button 33", ".easypar CC 1 29 2 0 increment"}, BclError::ArgumentMissing},
        {{"$rev F1"}, BclError::WrongDevice},
        {{"$rev R2"}, BclError::WrongRevision},
        {{"$preset"}, BclError::MissingRevision},
        {{"$rev R1", "$end", "$preset"}, BclError::MissingRevision},
        {{"$rev R1", "$encoder 57"}, BclError::BadItemIndex},
        {{"$rev R1", "$button 0"}, BclError::BadItemIndex},
        {{"$rev R1", "$encoder 3x"}, BclError::NotANumber},
        {{"$rev R1", "$encoder 33", ".easypar CC 1 x 0 63 absolute"}, BclError::NotANumber},
        {{"$rev R1", "$encoder 33", ".easypar CC 17 37 0 63 absolute"}, BclError::ValueOutOfRange},
        {{"$rev R1", "$encoder 33", ".easypar CC 1 37 0 128 absolute"}, BclError::ValueOutOfRange},
        {{"$rev R1", "$encoder 33", ".easypar CC 1 37 0 63 absolute", ".default 64"},
         BclError::ValueOutOfRange},
        {{"$rev R1", "$preset", ".egroups 5"}, BclError::ValueOutOfRange},
        {{"$rev R1", "$store 33"}, BclError::ValueOutOfRange},
        {{"$rev R1", "$encoder 33", ".mode sparkle"}, BclError::InvalidArgument},
        {{"$rev R1", "$encoder 33", ".easypar NRPN 1 37 0 63 absolute"}, BclError::InvalidArgument},
        {{"$rev R1", "$encoder 33", ".easypar CC 1 37 0 63 inc/dec"}, BclError::InvalidArgument},
        {{"$rev R1", "$button 33", ".easypar CC 1 29 127 off toggleon"}, BclError::NotANumber},
        {{"$rev R1", "$preset", ".lock maybe"}, BclError::InvalidArgument},
        {{"$rev R1", "$preset", ".name quorvin"}, BclError::InvalidArgument},
        {{"$rev R1", "$preset", ".name 'twenty-five characters!!!'"}, BclError::TooMuchData},
        {{"$rev R1", "$encoder 33", ".showvalue on off"}, BclError::WrongArgumentCount},
        {{"$rev R1", "$preset 1"}, BclError::WrongArgumentCount},
        {{"$rev R1", "$encoder 33", ".name 'x'"}, BclError::WrongContext},
        {{"$rev R1", "$preset", ".mode 1dot"}, BclError::WrongContext},
        {{"$rev R1", "$button 33", ".mode 1dot"}, BclError::WrongContext},
        {{"$rev R1", "$encoder 33", "$store 2", ".default 0"}, BclError::WrongContext},
        {{"$rev R1", "$preset", ".name 'tab\x01'"}, BclError::InvalidCommand},
    };
    for (const Case& c : cases) {
        Bcr2000Sim sim;
        std::vector<int> expected(c.lines.size(), 0);
        expected.back() = static_cast<int>(c.error);
        EXPECT_EQ(SendLines(sim, c.lines), expected) << c.lines.back();
    }
}

TEST(Bcr2000Sim, ReportsAnIndexGapOnceAndSkipsThatLine) {
    Bcr2000Sim sim;
    Send(sim, BclLine(0, "$rev R1"));
    Send(sim, BclLine(1, "$encoder 33"));
    EXPECT_EQ(Send(sim, BclLine(3, ".easypar CC 1 37 0 63 absolute")), MidiMessages{Reply(3, 22)});
    EXPECT_EQ(sim.Encoder(33).programmed, false);
    EXPECT_EQ(Send(sim, BclLine(4, ".easypar CC 1 37 0 63 absolute")), MidiMessages{Reply(4, 0)});
    EXPECT_EQ(Send(sim, BclLine(4, ".default 1")), MidiMessages{Reply(4, 22)}) << "a repeat";
    EXPECT_EQ(Send(sim, BclLine(1, "$rev R1")), MidiMessages{Reply(1, 22)});
}

TEST_F(LoadedBcr, EncoderMovesByResolutionOverNinetySix) {
    struct Case {
        int encoder;
        std::vector<int> detents;
        std::vector<MidiMessages> sent;
    };
    const Case cases[] = {
        // Resolution 96: one step a detent.
        {33, {5, -2}, {{Cc(1, 37, 5)}, {Cc(1, 37, 3)}}},
        // Resolution 24: four detents make a step, and part-way turns add up.
        {34, {1, 2, 1, 4}, {{}, {}, {Cc(1, 38, 1)}, {Cc(1, 38, 2)}}},
        // Resolution 192 on a 14-bit encoder: two steps a detent, high seven bits first.
        {35, {3}, {{Cc(2, 10, 506 >> 7), Cc(2, 42, 506 & 0x7F)}}},
    };
    for (const Case& c : cases)
        for (size_t k = 0; k < c.detents.size(); ++k)
            EXPECT_EQ(sim.Turn(c.encoder, c.detents[k]), c.sent[k])
                << "encoder " << c.encoder << " turn " << k;
}

TEST_F(LoadedBcr, EncoderStopsAtItsRangeAndSendsOnlyChanges) {
    EXPECT_EQ(sim.Turn(33, -3), MidiMessages{});
    EXPECT_EQ(sim.Turn(33, 60), MidiMessages{Cc(1, 37, 60)});
    EXPECT_EQ(sim.Turn(33, 10), MidiMessages{Cc(1, 37, 63)});
    EXPECT_EQ(sim.Turn(33, 1), MidiMessages{});
    EXPECT_EQ(sim.Encoder(33).value, 63);
    EXPECT_EQ(sim.Turn(34, 100), MidiMessages{Cc(1, 38, 3)});
    EXPECT_EQ(sim.Turn(35, 1000), (MidiMessages{Cc(2, 10, 1000 >> 7), Cc(2, 42, 1000 & 0x7F)}));
}

TEST_F(LoadedBcr, RelativeEncoderSendsTheStep) {
    EXPECT_EQ(sim.Turn(36, 3), MidiMessages{Cc(1, 60, 67)});
    EXPECT_EQ(sim.Turn(36, -2), MidiMessages{Cc(1, 60, 62)});
}

TEST(Bcr2000Sim, RelativeModesWriteTheStepTheirOwnWay) {
    const std::pair<const char*, std::pair<int, int>> modes[] = {
        {"relative-1", {3, 125}}, {"relative-2", {67, 61}}, {"relative-3", {3, 67}}};
    for (const auto& [mode, codes] : modes) {
        Bcr2000Sim sim;
        SendLines(sim, {"$rev R1", "$encoder 1", std::string(".easypar CC 1 5 0 127 ") + mode});
        EXPECT_EQ(sim.Turn(1, 3), MidiMessages{Cc(1, 5, codes.first)}) << mode;
        EXPECT_EQ(sim.Turn(1, -3), MidiMessages{Cc(1, 5, codes.second)}) << mode;
    }
}

TEST_F(LoadedBcr, IncrementButtonStepsFromTheLowEndAndStops) {
    EXPECT_EQ(sim.Press(33), MidiMessages{Cc(1, 29, 1)});
    EXPECT_EQ(sim.Release(33), MidiMessages{});
    EXPECT_EQ(sim.Press(33), MidiMessages{Cc(1, 29, 2)});
    EXPECT_TRUE(sim.Button(33).lit) << "2 is value1";
    EXPECT_EQ(sim.Press(33), MidiMessages{});
    EXPECT_EQ(sim.Button(33).value, 2);
}

TEST_F(LoadedBcr, ToggleOnLatches) {
    EXPECT_EQ(sim.Press(34), MidiMessages{Cc(1, 30, 127)});
    EXPECT_TRUE(sim.Button(34).lit);
    EXPECT_EQ(sim.Release(34), MidiMessages{});
    EXPECT_TRUE(sim.Button(34).lit);
    EXPECT_EQ(sim.Press(34), MidiMessages{Cc(1, 30, 0)});
    EXPECT_FALSE(sim.Button(34).lit);
}

TEST_F(LoadedBcr, ToggleOffIsMomentary) {
    EXPECT_EQ(sim.Press(35), MidiMessages{Cc(1, 31, 127)});
    EXPECT_TRUE(sim.Button(35).lit);
    EXPECT_EQ(sim.Release(35), MidiMessages{Cc(1, 31, 0)});
    EXPECT_FALSE(sim.Button(35).lit);
    // value2 "off": nothing on release, but the LED still goes dark.
    EXPECT_EQ(sim.Press(36), MidiMessages{Cc(1, 32, 100)});
    EXPECT_EQ(sim.Release(36), MidiMessages{});
    EXPECT_FALSE(sim.Button(36).lit);
}

TEST_F(LoadedBcr, UnprogrammedControlsSendNothing) {
    EXPECT_EQ(sim.Turn(1, 5), MidiMessages{});
    EXPECT_EQ(sim.Press(40), MidiMessages{});
    EXPECT_EQ(sim.Release(40), MidiMessages{});
}

TEST_F(LoadedBcr, IncomingControlChangesSetValuesAndLeds) {
    EXPECT_TRUE(Send(sim, Cc(1, 37, 40)).empty());
    EXPECT_EQ(sim.Encoder(33).value, 40);
    EXPECT_EQ(sim.Turn(33, 1), MidiMessages{Cc(1, 37, 41)}) << "turning goes on from there";
    Send(sim, Cc(1, 37, 100));
    EXPECT_EQ(sim.Encoder(33).value, 63) << "held within the range";
    Send(sim, Cc(2, 37, 5));
    EXPECT_EQ(sim.Encoder(33).value, 63) << "another channel";

    struct Case {
        int value;
        bool lit; // button 33 is "2 0 increment": lit nearer 2
    };
    for (const Case c : {Case{2, true}, Case{1, false}, Case{0, false}, Case{127, true}}) {
        Send(sim, Cc(1, 29, c.value));
        EXPECT_EQ(sim.Button(33).lit, c.lit) << c.value;
        EXPECT_EQ(sim.Button(33).value, c.value);
    }
    Send(sim, Cc(1, 29, 1));
    EXPECT_EQ(sim.Press(33), MidiMessages{Cc(1, 29, 2)}) << "steps on from the value received";

    Send(sim, Cc(2, 10, 3));
    Send(sim, Cc(2, 42, 5));
    EXPECT_EQ(sim.Encoder(35).value, 3 << 7 | 5);
    EXPECT_EQ(sim.TakeLog().front(), "encoder 33 \u2190 40");
}

TEST_F(LoadedBcr, StoresAndRecallsPresets) {
    const std::vector<int> ok(5, 0);
    EXPECT_EQ(SendLines(sim, {"$rev R1", "$recall 2", "$store 3", "$recall 1", "$end"}), ok);
    EXPECT_EQ(sim.EditBuffer().name, "quorvin test");
    EXPECT_EQ(SendLines(sim, {"$rev R1", "$recall 3", "$end"}), std::vector<int>(3, 0));
    EXPECT_FALSE(sim.Encoder(33).programmed) << "preset 2 was never stored";
}
} // namespace
