#pragma once
// Both envelope graphs hidden for the length of a whole-patch operation, VCF first,
// and shown again, VCF first, however the operation ends: an error from a port on the
// way must not leave them hidden for good.
#include "app/tf_midi.h"
#include "widgets/mbadsr2.h"

class GraphsHidden {
public:
    explicit GraphsHidden(TfMidi& window_) : window(window_) {
        window.VCFadsr->setVisible(false);
        window.VCAadsr->setVisible(false);
    }
    ~GraphsHidden() {
        window.VCFadsr->setVisible(true);
        window.VCAadsr->setVisible(true);
    }
    GraphsHidden(const GraphsHidden&) = delete;
    GraphsHidden& operator=(const GraphsHidden&) = delete;

private:
    TfMidi& window;
};
