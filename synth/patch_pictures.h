#pragma once
// Which picture of the "Edit" page a parameter row drives, and what the picture shows
// for the row's value. Pure rules, free of Qt and of the window.
#include <cstdint>

enum class EnvelopeGraph { None, Vca, Vcf };

// The envelope graph value an envelopeSlot names: -1 (and 8, 9) none, 0-6 the VCA
// graph's value of that index, 10-16 the VCF graph's value slot - 10. Index 1 (the
// peak) and 7 (start and end level) belong to no row, nor do indexes past 7: such a
// slot names its graph and index but is not usable.
struct EnvelopeTarget {
    EnvelopeGraph graph = EnvelopeGraph::None;
    int32_t index = 0;
    bool usable = false;
};
EnvelopeTarget EnvelopeTargetOf(int32_t envelopeSlot);

// What a graph shows at index for a row's 5-bit value: a level (index 3 or 5) as it
// is, a time reversed (31 - value), since the graph holds times as rates.
int32_t ShownEnvelopeValue(int32_t index, int32_t value);

// The VCF graph's start and end level (index 7) for the polarity row's value: 0 for
// "Normal", 31 for "Invert". Its peak (index 1) is 31 minus this.
int32_t VcfStartLevel(int32_t polarityValue);
