#include "widgets/envelope_geometry.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

int MulDiv(int a, int b, int c) {
    if (c == 0) {
        return -1;
    }
    const long long product = static_cast<long long>(a) * b;
    const long long absProduct = std::llabs(product);
    const long long absDivisor = std::llabs(static_cast<long long>(c));
    const long long magnitude = (absProduct + absDivisor / 2) / absDivisor;
    const long long result = ((product < 0) != (c < 0)) ? -magnitude : magnitude;
    if (result > INT_MAX || result < INT_MIN) {
        return -1;
    }
    return static_cast<int>(result);
}

EnvPoints EnvelopePoints(int width, int height, int max, const EnvValues& e) {
    const int x = width - 1;
    const int y = height - 1;
    const int q = x / 4;
    const int m = max;
    const int yb = y - e[7] * y / m;
    EnvPoints p;
    p[0] = {0, yb};
    p[1] = {(m - e[0]) * q / m, y - e[1] * y / m};
    p[2] = {p[1].x + (m - e[2]) * q / m, y - e[3] * y / m};
    p[3] = {p[2].x + (m - e[4]) * q / m, y - e[5] * y / m};
    p[4] = {x - (m - e[6]) * q / m, p[3].y};
    p[5] = {x, yb};
    return p;
}

bool IsInsideRect(int cx, int cy, int t, int x, int y) {
    return std::abs(cx - x) <= t && std::abs(cy - y) <= t;
}

int IsMouseOnMarker(const EnvPoints& points, int markerSize, int x, int y) {
    const int t = std::max(markerSize, 5);
    for (int k = 0; k < static_cast<int>(points.size()); ++k) {
        if (IsInsideRect(points[k].x, points[k].y, t, x, y)) {
            return k;
        }
    }
    return -1;
}

bool ApplyEditStep(EnvValues& values, int marker, EnvPoint p, int mx, int my, int width, int height,
                   int max) {
    const int q = (width - 1) / 4;
    const int hy = height - 2;
    if (q <= 0 || hy <= 0 || max < 1 || marker < 0 || marker > 5) {
        return false;
    }
    // Marker -> index of the time value it moves (-1: none) and of its level value.
    static constexpr int timeIndex[6] = {-1, 0, 2, 4, 6, -1};
    static constexpr int levelIndex[6] = {7, 1, 3, 5, 5, 7};
    const auto clamp = [max](int v) { return std::clamp(v, 0, max); };
    if (const int t = timeIndex[marker]; t >= 0) {
        // The release segment is measured from the right edge, so it moves the other way.
        const int dx = marker == 4 ? mx - p.x : p.x - mx;
        values[t] = clamp(values[t] + dx * max / q);
    }
    const int l = levelIndex[marker];
    values[l] = clamp(values[l] + (p.y - my) * max / hy);
    return true;
}

namespace {

struct Shape {
    bool alongX;
    bool fromControlColour; // start colour A is the control's colour
    bool ramp;              // A to B; otherwise A at both edges and B in the middle
};

Shape ShapeOf(tGradientType2 type) {
    switch (type) {
    case gr2LeftToRight:
        return {true, false, true};
    case gr2RightToLeft:
        return {true, true, true};
    case gr2TopToBottom:
        return {false, false, true};
    case gr2BottomToTop:
        return {false, true, true};
    case gr2HorizCenterToBorder:
        return {true, true, false};
    case gr2HorizBorderToCenter:
        return {true, false, false};
    case gr2VertCenterToBorder:
        return {false, true, false};
    case gr2VertBorderToCenter:
        return {false, false, false};
    }
    return {false, true, false};
}

uint8_t Channel(int start, int i, int diff, int n) {
    return static_cast<uint8_t>((start + MulDiv(i, diff, n)) & 0xFF);
}

void AddHalf(std::vector<GradientBand>& bands, int n, int h, int b, Rgb s, Rgb e) {
    const int dr = e.r - s.r;
    const int dg = e.g - s.g;
    const int db = e.b - s.b;
    for (int i = 0; i < n; ++i) {
        bands.push_back(
            {b + MulDiv(i, h, n), b + MulDiv(i + 1, h, n),
             Rgb{Channel(s.r, i, dr, n), Channel(s.g, i, dg, n), Channel(s.b, i, db, n)}});
    }
}

} // namespace

GradientPlan GradientBands(tGradientType2 type, int width, int height, int nbOfColors,
                           Rgb background, Rgb gradient) {
    const Shape shape = ShapeOf(type);
    const Rgb a = shape.fromControlColour ? background : gradient;
    const Rgb b = shape.fromControlColour ? gradient : background;
    const int length = std::max(shape.alongX ? width : height, 0);
    const int n = nbOfColors == 0 ? std::max(std::min(length, 256), 2) : nbOfColors;
    const int n1 = n / 2;
    const int n2 = n - n1;
    const int firstLength = length / 2;

    GradientPlan plan;
    plan.alongX = shape.alongX;
    plan.bands.reserve(n);
    if (shape.ramp) {
        const Rgb mid{static_cast<uint8_t>(a.r + (b.r - a.r) / 2),
                      static_cast<uint8_t>(a.g + (b.g - a.g) / 2),
                      static_cast<uint8_t>(a.b + (b.b - a.b) / 2)};
        AddHalf(plan.bands, n1, firstLength, 0, a, mid);
        AddHalf(plan.bands, n2, length - firstLength, firstLength, mid, b);
    } else {
        AddHalf(plan.bands, n1, firstLength, 0, a, b);
        AddHalf(plan.bands, n2, length - firstLength, firstLength, b, a);
    }
    return plan;
}
