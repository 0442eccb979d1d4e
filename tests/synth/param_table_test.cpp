#include "synth/cc_param.h"

#include "sim/dw6000_patch.h"

#include <QLabel>

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

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

// The simulated synthesizer knows its patch layout on its own: every row must hold the
// bits, range and value names of the instrument's parameter of the same name.
TEST_F(ParamTableTest, EveryRowAgreesWithTheInstrumentsOwnLayoutAndStartsAtZero) {
    const std::vector<Dw6000Field>& fields = Dw6000Fields();
    ASSERT_EQ(fields.size(), std::size_t(kParamCount));
    for (int i = 0; i < kParamCount; ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i);
        const Dw6000Field& field = fields[i];
        const CcParam& row = params[i];
        EXPECT_EQ(std::string(kParamRows[i].caption), field.name);
        EXPECT_EQ(row.dumpIndex, field.byte);
        EXPECT_EQ(row.mask, field.mask);
        EXPECT_EQ(row.shift, field.Shift());
        EXPECT_EQ(row.maxValue, field.maxValue);
        QStringList names;
        for (const char* name : field.valueNames)
            names.append(QString::fromLatin1(name));
        EXPECT_EQ(row.valueNames, names);
        // The partner is the instrument's other parameter in the same byte.
        int partner = -1;
        for (int j = 0; j < kParamCount; ++j)
            if (j != i && fields[j].byte == field.byte)
                partner = j;
        EXPECT_EQ(row.partner, partner);

        // The label is named after the controller its control sends, and filling the
        // table leaves its design-time text.
        const QString label = QString::fromLatin1(kParamRows[i].label);
        EXPECT_EQ(row.label, labels.at(label).get());
        EXPECT_TRUE(label.endsWith(QString::number(row.bcrController))) << label.toStdString();
        EXPECT_EQ(row.label->text(), label);
        EXPECT_EQ(row.bcrChannel, 0);
        EXPECT_EQ(row.value, 0);
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
