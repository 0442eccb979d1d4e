#include "controller/controller_feedback.h"

ControlChange FeedbackControlChange(int32_t bcrChannel, int32_t bcrController, int32_t value,
                                    int32_t shift) {
    return {static_cast<uint8_t>(0xB0 + bcrChannel), static_cast<uint8_t>(bcrController),
            static_cast<uint8_t>(value >> shift)};
}
