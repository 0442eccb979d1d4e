// Which envelope value a row's slot drives, and what the graph shows for a value.
#include "synth/patch_pictures.h"

#include <gtest/gtest.h>

namespace {

TEST(PatchPictures, SlotsNameTheirGraphValue) {
    struct Case {
        int32_t slot;
        EnvelopeGraph graph;
        int32_t index;
        bool usable;
    };
    const Case cases[] = {
        {-1, EnvelopeGraph::None, 0, false}, {8, EnvelopeGraph::None, 0, false},
        {9, EnvelopeGraph::None, 0, false},  {0, EnvelopeGraph::Vca, 0, true},
        {1, EnvelopeGraph::Vca, 1, false},   {6, EnvelopeGraph::Vca, 6, true},
        {7, EnvelopeGraph::Vca, 7, false},   {10, EnvelopeGraph::Vcf, 0, true},
        {11, EnvelopeGraph::Vcf, 1, false},  {16, EnvelopeGraph::Vcf, 6, true},
        {17, EnvelopeGraph::Vcf, 7, false},  {25, EnvelopeGraph::Vcf, 15, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "slot " << c.slot);
        const EnvelopeTarget target = EnvelopeTargetOf(c.slot);
        EXPECT_EQ(target.graph, c.graph);
        EXPECT_EQ(target.usable, c.usable);
        if (c.graph != EnvelopeGraph::None) {
            EXPECT_EQ(target.index, c.index);
        }
    }
}

// Levels as they are; times reversed, a larger value drawing a shorter segment.
TEST(PatchPictures, LevelsShowAsTheyAreAndTimesReversed) {
    struct Case {
        int32_t index, value, shown;
    };
    const Case cases[] = {
        {0, 0, 31}, {0, 31, 0}, {2, 10, 21}, {4, 31, 0},
        {6, 1, 30}, {3, 0, 0},  {3, 20, 20}, {5, 31, 31},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShownEnvelopeValue(c.index, c.value), c.shown)
            << "index " << c.index << " value " << c.value;
}

TEST(PatchPictures, PolarityTurnsTheVcfEnvelopeUpsideDown) {
    EXPECT_EQ(VcfStartLevel(0), 0);
    EXPECT_EQ(VcfStartLevel(0x20), 31);
}

} // namespace
