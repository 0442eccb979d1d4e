#pragma once
// The control change that shows a parameter's value on its BCR2000 control: the
// controller lights an encoder's ring or a button when it receives its own control
// change. Pure byte logic, free of Qt and of the window.
#include <array>
#include <cstdint>

using ControlChange = std::array<uint8_t, 3>;

// Status 0xB0 plus the channel, the controller number, and the plain value (value
// shifted down by shift), each kept to its low eight bits.
ControlChange FeedbackControlChange(int32_t bcrChannel, int32_t bcrController, int32_t value,
                                    int32_t shift);
