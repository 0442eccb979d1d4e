// A random patch: every parameter a value within its range, shown and sent to both
// instruments.
#include "app/tf_midi.h"
#include "synth/graphs_hidden.h"

#include <chrono>
#include <random>

void TfMidi::Randomise() {
    // Seeded afresh from the clock on every run: nothing of an earlier run carries over.
    const auto ticks =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::seed_seq seed{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
    std::mt19937 generator(seed);

    const GraphsHidden hidden(*this);
    for (int row = 0; row < kParamCount; ++row) {
        std::uniform_int_distribution<int32_t> draw(0, params[row].maxValue);
        params[row].SetFromController(draw(generator));
        SendParamToBcr(row);
        SendParamToSynth(row);
    }
}

void TfMidi::Label17Click() {
    Randomise();
}
