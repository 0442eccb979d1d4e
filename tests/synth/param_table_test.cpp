#include "synth/cc_param.h"

#include <QLabel>

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

namespace {

// The table filled with stand-in labels, each showing its own name as the window's
// labels show their design-time text.
class ParamTableTest : public testing::Test {
protected:
    void SetUp() override {
        FillParamTable(params, [this](const QString& name) {
            auto& label = labels[name];
            label = std::make_unique<QLabel>(name);
            return label.get();
        });
    }

    ParamTable params;
    std::map<QString, std::unique_ptr<QLabel>> labels;
};

struct Row {
    const char* label;
    int dumpIndex, mask, shift, maxValue, partner, bcrController, envelopeSlot;
    QStringList valueNames;
};

const QStringList kWaves{"Brass&Str", "Violin",    "Ac. Piano", "Elec Piano",
                         "SynthBass", "Saxophone", "Clavinet",  "Bell-Gong"};
const QStringList kOctaves{"16'", " 8'", " 4'", "INHIBIT"};

const Row kExpected[kParamCount] = {
    {"lBut36", 0, 0x30, 4, 2, 1, 36, -1, {"Poly 1", "Poly 2", "Unison", "INHIBIT"}},
    {"lEnc44", 0, 0x0F, 0, 12, 0, 44, -1, {}},
    {"lEnc40", 1, 0x1F, 0, 31, -1, 40, -1, {}},
    {"lEnc41", 2, 0x1F, 0, 31, -1, 41, -1, {}},
    {"lEnc42", 3, 0x1F, 0, 31, -1, 42, -1, {}},
    {"lEnc43", 4, 0x1F, 0, 31, -1, 43, -1, {}},
    {"lEnc37", 5, 0x3F, 0, 63, -1, 37, -1, {}},
    {"lEnc38", 6, 0x1F, 0, 31, -1, 38, -1, {}},
    {"lEnc52", 7, 0x1F, 0, 31, -1, 52, -1, {}},
    {"lEnc45", 8, 0x1F, 0, 31, -1, 45, 10, {}},
    {"lEnc46", 9, 0x1F, 0, 31, -1, 46, 12, {}},
    {"lEnc47", 10, 0x1F, 0, 31, -1, 47, 13, {}},
    {"lEnc48", 11, 0x1F, 0, 31, -1, 48, 14, {}},
    {"lEnc49", 12, 0x1F, 0, 31, -1, 49, 15, {}},
    {"lEnc50", 13, 0x1F, 0, 31, -1, 50, 16, {}},
    {"lEnc53", 14, 0x1F, 0, 31, -1, 53, 0, {}},
    {"lEnc54", 15, 0x1F, 0, 31, -1, 54, 2, {}},
    {"lEnc55", 16, 0x1F, 0, 31, -1, 55, 3, {}},
    {"lEnc56", 17, 0x1F, 0, 31, -1, 56, 4, {}},
    {"lEnc57", 18, 0x1F, 0, 31, 21, 57, 5, {}},
    {"lEnc58", 19, 0x1F, 0, 31, 22, 58, 6, {}},
    {"lBut32", 18, 0x20, 5, 1, 19, 32, -1, {"Off", "On"}},
    {"lBut33", 19, 0x60, 5, 2, 20, 33, -1, kOctaves},
    {"lBut34", 20, 0x60, 5, 2, 24, 34, -1, kOctaves},
    {"lEnc20", 20, 0x1F, 0, 31, 23, 20, -1, {}},
    {"lBut29", 21, 0x60, 5, 2, 26, 29, -1, {"Off", "Half", "Full", "INHIBIT"}},
    {"lEnc21", 21, 0x1F, 0, 3, 25, 21, -1, {}},
    {"lBut30", 22, 0x20, 5, 1, 28, 30, -1, {"Normal", "Invert"}},
    {"lEnc22", 22, 0x1F, 0, 3, 27, 22, -1, {}},
    {"lBut31", 23, 0x20, 5, 1, 30, 31, -1, {"Off", "On"}},
    {"lEnc23", 23, 0x1F, 0, 31, 29, 23, -1, {}},
    {"lEnc24", 24, 0x38, 3, 7, 32, 24, -1, kWaves},
    {"lEnc25", 24, 0x07, 0, 7, 31, 25, -1, kWaves},
    {"lEnc26",
     25,
     0x38,
     3,
     4,
     34,
     26,
     -1,
     {"Unison", "Third Below", "Third", "Fourth", "Fifth", "INHIBIT", "INHIBIT", "INHIBIT"}},
    {"lEnc27", 25, 0x07, 0, 6, 33, 27, -1, {}},
};

TEST_F(ParamTableTest, EveryRowHoldsItsFieldsAndStartsAtZero) {
    for (int i = 0; i < kParamCount; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        const Row& want = kExpected[i];
        const CcParam& row = params[i];
        EXPECT_EQ(row.dumpIndex, want.dumpIndex);
        EXPECT_EQ(row.value, 0);
        EXPECT_EQ(row.partner, want.partner);
        EXPECT_EQ(row.shift, want.shift);
        EXPECT_EQ(row.bcrChannel, 0);
        EXPECT_EQ(row.bcrController, want.bcrController);
        EXPECT_EQ(row.envelopeSlot, want.envelopeSlot);
        EXPECT_EQ(row.label, labels.at(want.label).get());
        EXPECT_EQ(row.mask, want.mask);
        EXPECT_EQ(row.maxValue, want.maxValue);
        EXPECT_EQ(row.valueNames, want.valueNames);
        // Filling writes no label.
        EXPECT_EQ(row.label->text(), want.label);
    }
}

TEST_F(ParamTableTest, RowsKeepTheInvariantsOfThePatchLayout) {
    std::map<int, std::vector<int>> rowsOfByte;
    std::set<int> controllers;
    for (int i = 0; i < kParamCount; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        const CcParam& row = params[i];
        EXPECT_TRUE(row.mask & (1 << row.shift));
        EXPECT_EQ(row.mask & ((1 << row.shift) - 1), 0);
        EXPECT_EQ((row.maxValue << row.shift) & ~row.mask, 0);
        if (!row.valueNames.isEmpty()) {
            EXPECT_EQ(row.valueNames.size(), (row.mask >> row.shift) + 1);
            for (qsizetype code = row.maxValue + 1; code < row.valueNames.size(); ++code)
                EXPECT_EQ(row.valueNames[code], "INHIBIT");
        }
        if (row.partner >= 0) {
            const CcParam& partner = params[row.partner];
            EXPECT_EQ(partner.partner, i);
            EXPECT_EQ(partner.dumpIndex, row.dumpIndex);
            EXPECT_EQ(partner.mask & row.mask, 0);
        }
        EXPECT_TRUE(controllers.insert(row.bcrController).second) << "controller repeated";
        rowsOfByte[row.dumpIndex].push_back(i);
    }
    ASSERT_EQ(rowsOfByte.size(), 26u);
    for (const auto& [byte, rows] : rowsOfByte) {
        const bool shared = byte == 0 || byte >= 18;
        EXPECT_EQ(rows.size(), shared ? 2u : 1u) << "byte " << byte;
    }
}

struct SetCase {
    int row;
    int input;
    int value;
    const char* text;
};

// A dump byte keeps only the row's bits, so a code above maxValue can show.
TEST_F(ParamTableTest, SetFromDumpByteKeepsTheMaskedBitsInPlace) {
    const SetCase cases[] = {
        {0, 0x3F, 0x30, "INHIBIT"}, {1, 0x3F, 15, "15"},        {6, 0xFF, 63, "63"},
        {25, 0x43, 0x40, "Full"},   {26, 0x43, 3, "3"},         {33, 0x2A, 0x28, "INHIBIT"},
        {34, 0x2A, 2, "2"},         {27, 0x20, 0x20, "Invert"}, {31, 0x08, 0x08, "Violin"},
        {32, 0xFF, 7, "Bell-Gong"}, {22, 0x20, 0x20, " 8'"},    {2, 0x80, 0, "0"},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " byte " << c.input);
        params[c.row].SetFromDumpByte(static_cast<uint8_t>(c.input));
        EXPECT_EQ(params[c.row].value, c.value);
        EXPECT_EQ(params[c.row].label->text(), c.text);
    }
}

// Controller values are clamped to 0..maxValue: they never reach the partner's bits,
// never name an "INHIBIT" code and never fail the name lookup.
TEST_F(ParamTableTest, SetFromControllerClampsToTheRowsRange) {
    const SetCase cases[] = {
        {22, 1, 0x20, " 8'"},
        {0, 2, 0x20, "Unison"},
        {0, 3, 0x20, "Unison"},
        {0, 127, 0x20, "Unison"},
        {0, -1, 0, "Poly 1"},
        {1, 7, 7, "7"},
        {1, 15, 12, "12"},
        {26, 40, 3, "3"},
        {6, 127, 63, "63"},
        {6, 0, 0, "0"},
        {2, -5, 0, "0"},
        {33, 6, 0x20, "Fifth"},
        {31, 127, 0x38, "Bell-Gong"},
        {27, 1, 0x20, "Invert"},
        {34, 7, 6, "6"},
    };
    for (const SetCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " value " << c.input);
        params[c.row].SetFromController(c.input);
        EXPECT_EQ(params[c.row].value, c.value);
        EXPECT_EQ(params[c.row].label->text(), c.text);
        EXPECT_EQ(params[c.row].value & ~params[c.row].mask, 0);
    }
}

TEST_F(ParamTableTest, ValueLabelsSizeThemselvesToTheirText) {
    QLabel& left = *params[1].label;
    left.move(100, 50);
    QLabel& centred = *params[31].label;
    centred.setAlignment(Qt::AlignHCenter);
    centred.move(200, 60);
    centred.adjustSize();
    const int centre = centred.x() + centred.width() / 2;

    params[1].SetFromController(5);
    params[31].SetFromController(3);
    const int narrow = left.width();
    params[1].SetFromController(12);

    EXPECT_EQ(left.pos(), QPoint(100, 50));
    EXPECT_GT(left.width(), narrow);
    EXPECT_EQ(centred.width(), centred.sizeHint().width());
    EXPECT_EQ(centred.x() + centred.width() / 2, centre);
    EXPECT_EQ(centred.y(), 60);
}

} // namespace
