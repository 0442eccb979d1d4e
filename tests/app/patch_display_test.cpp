// The pictures of the "Edit" page following the parameter rows.
#include "widgets/mbadsr2.h"
#include "window_fixture.h"

namespace {

TEST_F(WindowTest, PolarityIsAppliedToTheVcfGraphOnlyWhenItChanges) {
    AddInterface();
    Open();
    Tmbadsr2& vcf = *window->VCFadsr;
    CcParam& polarity = window->params[27];

    polarity.SetFromDumpByte(0x20);
    window->UpdateParamDisplay(0); // any row applies it
    EXPECT_EQ(vcf.GetValue(7), 31);
    EXPECT_EQ(vcf.GetValue(1), 0);

    polarity.SetFromDumpByte(0x00);
    window->UpdateParamDisplay(2);
    EXPECT_EQ(vcf.GetValue(7), 0);
    EXPECT_EQ(vcf.GetValue(1), 31);

    // Unchanged: a value dragged by hand stays.
    vcf.SetValue(12, 7);
    window->UpdateParamDisplay(0);
    EXPECT_EQ(vcf.GetValue(7), 12);
    EXPECT_EQ(window->VCAadsr->GetValue(7), 0);
}

TEST_F(WindowTest, EnvelopeRowsMoveTheirPointTimesReversed) {
    struct Case {
        int row, value;
        Tmbadsr2* TfMidi::*graph;
        int index, shown;
    };
    const Case cases[] = {
        {9, 0, &TfMidi::VCFadsr, 0, 31},   {9, 31, &TfMidi::VCFadsr, 0, 0},
        {13, 31, &TfMidi::VCFadsr, 5, 31}, {11, 7, &TfMidi::VCFadsr, 3, 7},
        {15, 4, &TfMidi::VCAadsr, 0, 27},  {19, 9, &TfMidi::VCAadsr, 5, 9},
        {20, 30, &TfMidi::VCAadsr, 6, 1},
    };
    AddInterface();
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " value " << c.value);
        window->params[c.row].SetFromDumpByte(uint8_t(c.value));
        window->UpdateParamDisplay(c.row);
        EXPECT_EQ(((*window).*(c.graph))->GetValue(c.index), c.shown);
    }
    EXPECT_TRUE(dialogs.shown.empty());
}

// A slot outside the graphs' values (never so in the table) draws nothing and warns.
TEST_F(WindowTest, ASlotOutsideTheGraphsWarns) {
    struct Case {
        int slot;
        const char* text;
    };
    const Case cases[] = {{1, "VCA State outside range 1"},
                          {7, "VCA State outside range 7"},
                          {11, "VCF State outside range 1"},
                          {17, "VCF State outside range 7"}};
    AddInterface();
    Open();
    for (const Case& c : cases) {
        dialogs.Clear();
        window->params[2].envelopeSlot = c.slot;
        window->UpdateParamDisplay(2);
        ASSERT_EQ(dialogs.shown.size(), 1u) << c.slot;
        EXPECT_EQ(dialogs.shown[0].text, c.text);
        EXPECT_EQ(dialogs.shown[0].type, DialogType::Warning);
        EXPECT_EQ(dialogs.shown[0].buttons, DialogButtons::Ok);
    }
    EXPECT_EQ(window->VCAadsr->GetValue(1), 31);
    EXPECT_EQ(window->VCFadsr->GetValue(1), 31);
}

} // namespace
