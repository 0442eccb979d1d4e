#include "sim/midi_message.h"

#include <gtest/gtest.h>

namespace {
std::vector<MidiMessage> Split(const MidiMessage& bytes, size_t size) {
    std::vector<MidiMessage> messages;
    for (std::span<const uint8_t> m : SplitMidiMessages(bytes.data(), size))
        messages.emplace_back(m.begin(), m.end());
    return messages;
}

TEST(SplitMidiMessages, KeepsWholeMessagesAndDropsBrokenOnes) {
    struct Case {
        const char* what;
        MidiMessage bytes;
        std::vector<MidiMessage> expected;
    };
    const Case cases[] = {
        {"two messages", {0xF0, 0x42, 0xF7, 0xC0, 0x05}, {{0xF0, 0x42, 0xF7}, {0xC0, 0x05}}},
        {"real-time between", {0xF8, 0xB0, 0x07, 0x10, 0xFE}, {{0xB0, 0x07, 0x10}}},
        {"SysEx cut by a status byte", {0xF0, 0x42, 0x30, 0xC0, 0x01}, {{0xC0, 0x01}}},
        {"SysEx without F7", {0xF0, 0x42, 0x30}, {}},
        {"channel message short of data", {0xB0, 0x07}, {}},
        {"stray data bytes", {0x10, 0x20, 0xC1, 0x02}, {{0xC1, 0x02}}},
        {"system messages with their data", {0xF2, 0x10, 0x20, 0xC0, 0x01}, {{0xC0, 0x01}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Split(c.bytes, c.bytes.size()), c.expected) << c.what;
}

TEST(SplitMidiMessages, StopsAtTheGivenSize) {
    const MidiMessage bytes = {0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7};
    EXPECT_TRUE(Split(bytes, bytes.size() - 1).empty());
    EXPECT_EQ(Split(bytes, bytes.size()).size(), 1u);
}
} // namespace
