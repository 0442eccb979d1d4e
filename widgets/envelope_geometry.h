#pragma once

// Qt-free arithmetic of the envelope graph: the six corner points, the marker hit test,
// the mouse edit step and the colour bands of the gradient background. Painting and
// mouse handling both call these, so what is drawn is exactly what can be grabbed.

#include <array>
#include <cstdint>
#include <vector>

enum tGradientType2 {
    gr2LeftToRight,
    gr2RightToLeft,
    gr2TopToBottom,
    gr2BottomToTop,
    gr2HorizCenterToBorder,
    gr2HorizBorderToCenter,
    gr2VertCenterToBorder,
    gr2VertBorderToCenter,
};

struct EnvPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const EnvPoint&, const EnvPoint&) = default;
};

using EnvValues = std::array<int, 8>;
using EnvPoints = std::array<EnvPoint, 6>;

// a * b / c through 64 bits, rounded to nearest with halves away from zero; -1 when c is 0
// or the result does not fit an int (the Win32 rule the band arithmetic was tuned with).
int MulDiv(int a, int b, int c);

// Corner points of the envelope drawn in a width x height area; max must be at least 1.
EnvPoints EnvelopePoints(int width, int height, int max, const EnvValues& values);

// Both edges of the square [cx - t, cx + t] x [cy - t, cy + t] count as inside.
bool IsInsideRect(int cx, int cy, int t, int x, int y);

// Index of the first marker within max(markerSize, 5) pixels of (x, y), or -1.
int IsMouseOnMarker(const EnvPoints& points, int markerSize, int x, int y);

// Applies a drag of marker 0..5 from its point p to the pointer (mx, my) to the values,
// clamping each changed value to 0..max. Returns false (values untouched) when the area
// is too small to scale a pointer move (width < 5 or height < 3) or max < 1.
bool ApplyEditStep(EnvValues& values, int marker, EnvPoint p, int mx, int my, int width, int height,
                   int max);

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// One band covers [start, end) along the gradient's direction and the full other side.
struct GradientBand {
    int start = 0;
    int end = 0;
    Rgb colour;
};

struct GradientPlan {
    bool alongX = false;
    std::vector<GradientBand> bands;
};

// Bands filling a width x height area. nbOfColors 0 means one band per pixel of the
// gradient's length (2 to 256); background is the control's colour, gradient the other.
GradientPlan GradientBands(tGradientType2 type, int width, int height, int nbOfColors,
                           Rgb background, Rgb gradient);
