// The DW-6000's messages as bytes: what the editor sends and which blocks it decodes.
#include "synth/dw6000_sysex.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(Dw6000Sysex, DumpRequestAndFreshParameterChange) {
    EXPECT_EQ(Bytes(kDumpRequestMsg.begin(), kDumpRequestMsg.end()),
              (Bytes{0xF0, 0x42, 0x30, 0x04, 0x10, 0xF7}));
    EXPECT_EQ(Bytes(kParamChangeStart.begin(), kParamChangeStart.end()),
              (Bytes{0xF0, 0x42, 0x30, 0x04, 0x41, 0x00, 0x00, 0xF7}));
}

// A change to either row of a shared byte sends the whole byte: both values in place.
TEST(Dw6000Sysex, ParameterChangeCarriesTheWholePatchByte) {
    struct Case {
        int row;
        int32_t value;        // in its bit position
        int32_t partnerValue; // of the row's partner, in position
        uint8_t number, byte;
    };
    const Case cases[] = {
        {0, 0x20, 7, 0x00, 0x27},  // "Unison" with Bend Osc 7
        {1, 7, 0x20, 0x00, 0x27},  // the same byte from the other row
        {6, 63, 99, 0x05, 0x3F},   // no partner: its value alone
        {25, 0x40, 3, 0x15, 0x43}, // "Full" with MG Delay 3
        {26, 3, 0x40, 0x15, 0x43}, //
        {31, 0x08, 7, 0x18, 0x0F}, // "Violin" with "Bell-Gong"
        {34, 0, 0, 0x19, 0x00},    // everything 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        const ParamRow& row = kParamRows[c.row];
        ParamChangeMsg message = kParamChangeStart;
        SetParamChange(message, row.dumpIndex,
                       ParamChangeByte(c.value, row.partner, c.partnerValue));
        EXPECT_EQ(Bytes(message.begin(), message.end()),
                  (Bytes{0xF0, 0x42, 0x30, 0x04, 0x41, c.number, c.byte, 0xF7}));
    }
}

TEST(Dw6000Sysex, OnlyAChannelOneDataDumpIsAPatchDump) {
    struct Case {
        const char* what;
        Bytes block;
        bool dump;
    };
    Bytes whole{0xF0, 0x42, 0x30, 0x04, 0x40};
    whole.resize(31, 0x11);
    whole.push_back(0xF7);
    const Case cases[] = {
        {"whole dump", whole, true},
        {"header alone", {0xF0, 0x42, 0x30, 0x04, 0x40}, true},
        {"first byte not looked at", {0x00, 0x42, 0x30, 0x04, 0x40, 0x01}, true},
        {"channel 2", {0xF0, 0x42, 0x31, 0x04, 0x40, 0x01}, false},
        {"another maker", {0xF0, 0x41, 0x30, 0x04, 0x40, 0x01}, false},
        {"another model", {0xF0, 0x42, 0x30, 0x05, 0x40, 0x01}, false},
        {"parameter change", {0xF0, 0x42, 0x30, 0x04, 0x41, 0x05, 0x3F, 0xF7}, false},
        {"shorter than the header", {0xF0, 0x42, 0x30, 0x04}, false},
        {"empty", {}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsDw6000PatchDump(c.block), c.dump) << c.what;
}

// A row decodes when its byte lies within the block; the first that does not ends the
// decode, even if a later row's byte would fit.
TEST(Dw6000Sysex, DecodableRowsFollowTheBlockLength) {
    struct Case {
        int32_t size;
        int rows;
    };
    const Case cases[] = {
        {44, 35}, {32, 35}, {31, 35}, // no F7: still every byte
        {30, 33},                     // patch bytes 0-24
        {24, 20},                     // row 20 (byte 19) stops it before row 21 (byte 18)
        {6, 2},   {5, 0},   {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodableRows(c.size), c.rows) << c.size << " bytes";
}

TEST(Dw6000Sysex, NoMoreThanTheBufferIsKept) {
    EXPECT_EQ(KeptSysexSize(0), 0u);
    EXPECT_EQ(KeptSysexSize(32), 32u);
    EXPECT_EQ(KeptSysexSize(44), 44u);
    EXPECT_EQ(KeptSysexSize(45), 44u);
    EXPECT_EQ(KeptSysexSize(4096), 44u);
}

} // namespace
