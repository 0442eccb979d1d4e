// The control change that shows a parameter's value on its BCR2000 control.
#include "controller/controller_feedback.h"

#include <gtest/gtest.h>

namespace {

TEST(ControllerFeedback, SendsThePlainValueOnTheRowsOwnControl) {
    struct Case {
        int32_t channel, controller, value, shift;
        ControlChange bytes;
    };
    const Case cases[] = {
        {0, 37, 40, 0, {0xB0, 0x25, 0x28}},   // "VCF Cutoff" at 40
        {0, 36, 0x20, 4, {0xB0, 0x24, 0x02}}, // "Assign Mode" at "Unison"
        {0, 44, 0, 0, {0xB0, 0x2C, 0x00}},    // value 0 is sent as 0
        {0, 24, 0x38, 3, {0xB0, 0x18, 0x07}}, // "Osc1 Wave" at "Bell-Gong"
        {15, 20, 31, 0, {0xBF, 0x14, 0x1F}},  // channel 16
    };
    for (const Case& c : cases)
        EXPECT_EQ(FeedbackControlChange(c.channel, c.controller, c.value, c.shift), c.bytes)
            << "controller " << c.controller;
}

} // namespace
