#include "render.h"
#include "widgets/envelope_geometry.h"
#include "widgets/mbadsr2.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>
#include <set>
#include <vector>

void PrintTo(const EnvPoint& p, std::ostream* os) {
    *os << "(" << p.x << ", " << p.y << ")";
}

namespace {

const QRgb aqua = qRgb(0, 255, 255);
const QRgb teal = qRgb(0, 128, 128);
const QRgb black = qRgb(0, 0, 0);

// Centres of hollow squares in `colour` with half side s. A square cut by the picture's
// edge counts when the part inside is complete: a corner marker keeps 2s - 1 pixels.
std::vector<EnvPoint> FindMarkers(const QImage& image, QRgb colour, int s) {
    std::vector<EnvPoint> found;
    for (int cy = -s + 1; cy < image.height() + s; ++cy) {
        for (int cx = -s + 1; cx < image.width() + s; ++cx) {
            int inside = 0;
            bool complete = true;
            for (int y = cy - s; y <= cy + s - 1 && complete; ++y) {
                for (int x = cx - s; x <= cx + s - 1; ++x) {
                    const bool outline =
                        x == cx - s || x == cx + s - 1 || y == cy - s || y == cy + s - 1;
                    if (!outline || !image.rect().contains(x, y)) {
                        continue;
                    }
                    ++inside;
                    if (image.pixel(x, y) != colour) {
                        complete = false;
                        break;
                    }
                }
            }
            if (complete && inside >= 2 * s - 1) {
                found.push_back({cx, cy});
            }
        }
    }
    return found;
}

std::vector<EnvPoint> Sorted(std::vector<EnvPoint> points) {
    std::sort(points.begin(), points.end(),
              [](EnvPoint a, EnvPoint b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    return points;
}

void SetValues(Tmbadsr2& graph, const EnvValues& values) {
    for (int i = 0; i < 8; ++i) {
        graph.SetValue(values[i], i);
    }
}

EnvValues Values(const Tmbadsr2& graph) {
    EnvValues v;
    for (int i = 0; i < 8; ++i) {
        v[i] = graph.GetValue(i);
    }
    return v;
}

// The graph of the main window: 178 x 117, full scale 32, navy at the top to black.
void MakeWindowGraph(Tmbadsr2& graph) {
    graph.resize(178, 117);
    graph.SetMax(32);
    graph.SetGradientType(gr2TopToBottom);
}

const EnvValues workedExample{5, 31, 1, 20, 31, 10, 10, 0};

} // namespace

TEST(EnvelopeGraph, ConstructionDefaults) {
    Tmbadsr2 graph;
    EXPECT_EQ(graph.size(), QSize(100, 80));
    EXPECT_EQ(graph.Max(), 99);
    EXPECT_EQ(graph.LineColor(), QColor(0, 128, 128));
    EXPECT_EQ(graph.GradientColor(), QColor(0, 0, 128));
    EXPECT_EQ(graph.MarkerColor(), QColor(0, 255, 255));
    EXPECT_EQ(graph.Color(), QColor(0, 0, 0));
    EXPECT_EQ(graph.GradientType(), gr2VertCenterToBorder);
    EXPECT_EQ(graph.GradientNbOfColors(), 64);
    EXPECT_EQ(graph.MarkerSize(), 3);
    EXPECT_TRUE(graph.AlwayDetect());
    EXPECT_TRUE(graph.ShowVLines());
    EXPECT_FALSE(graph.FillEnabled());
    EXPECT_FALSE(graph.GradientEnabled());
    EXPECT_EQ(Values(graph), (EnvValues{49, 49, 49, 49, 49, 49, 49, 49}));
    EXPECT_EQ(graph.focusPolicy(), Qt::StrongFocus);
}

struct PointsCase {
    const char* name;
    int width, height, max;
    EnvValues values;
    std::vector<EnvPoint> points; // sorted by x
};
// Cases print as their names in test listings.
void PrintTo(const PointsCase& c, std::ostream* os) {
    *os << c.name;
}

class EnvelopePointsDrawn : public ::testing::TestWithParam<PointsCase> {};

TEST_P(EnvelopePointsDrawn, MarkersSitOnThePoints) {
    const PointsCase& c = GetParam();
    Tmbadsr2 graph;
    graph.resize(c.width, c.height);
    graph.SetMax(c.max);
    SetValues(graph, c.values);
    const QImage image = Render(graph);
    EXPECT_EQ(Sorted(FindMarkers(image, aqua, 3)), c.points);
    // The geometry the hit test uses gives the very points that were drawn.
    std::set<std::pair<int, int>> unique;
    for (const EnvPoint& p : EnvelopePoints(c.width, c.height, c.max, c.values)) {
        unique.insert({p.x, p.y});
    }
    std::vector<EnvPoint> computed;
    for (const auto& [x, y] : unique) {
        computed.push_back({x, y});
    }
    EXPECT_EQ(computed, c.points);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnvelopePointsDrawn,
    ::testing::Values(PointsCase{"defaults",
                                 100,
                                 80,
                                 99,
                                 {49, 49, 49, 49, 49, 49, 49, 49},
                                 {{0, 40}, {12, 40}, {24, 40}, {36, 40}, {87, 40}, {99, 40}}},
                      PointsCase{"workedExample",
                                 178,
                                 117,
                                 32,
                                 workedExample,
                                 {{0, 116}, {37, 4}, {79, 44}, {80, 80}, {147, 80}, {177, 116}}},
                      // Times at Max draw zero-width segments, at 0 a quarter of the width; level
                      // Max lies on row 0 and level 0 on the bottom row.
                      PointsCase{"timesMaxLevelsMax",
                                 178,
                                 117,
                                 32,
                                 {32, 32, 32, 32, 32, 32, 32, 0},
                                 {{0, 0}, {0, 116}, {177, 0}, {177, 116}}},
                      PointsCase{"timesZeroLevelsZero",
                                 178,
                                 117,
                                 32,
                                 {0, 0, 0, 0, 0, 0, 0, 32},
                                 {{0, 0}, {44, 116}, {88, 116}, {132, 116}, {133, 116}, {177, 0}}}),
    [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(EnvelopeGraph, PointsOverlapWhenSegmentsVanish) {
    // Overlapping markers are found once above; the points themselves stay six.
    const EnvPoints p = EnvelopePoints(178, 117, 32, {32, 32, 32, 32, 32, 32, 32, 0});
    EXPECT_EQ(p[0], (EnvPoint{0, 116}));
    EXPECT_EQ(p[1], (EnvPoint{0, 0}));
    EXPECT_EQ(p[3], (EnvPoint{0, 0}));
    EXPECT_EQ(p[4], (EnvPoint{177, 0}));
    EXPECT_EQ(p[5], (EnvPoint{177, 116}));
}

namespace {

// A layout whose outline runs along row 0 and the side columns, leaving column 100 free
// below row 0 for reading the background.
void OutlineOnTopRow(Tmbadsr2& graph) {
    SetValues(graph, {32, 32, 32, 32, 32, 32, 32, 0});
    graph.SetMarkerSize(0);
    graph.SetShowVLines(false);
}

std::vector<int> BlueColumn(const QImage& image, int x) {
    std::vector<int> blue;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb p = image.pixel(x, y);
        if (y == 0) {
            blue.push_back(-1); // the outline
            continue;
        }
        EXPECT_EQ(qRed(p), 0) << y;
        EXPECT_EQ(qGreen(p), 0) << y;
        blue.push_back(qBlue(p));
    }
    return blue;
}

} // namespace

TEST(EnvelopeGraph, TopToBottomGradientBands) {
    Tmbadsr2 graph;
    MakeWindowGraph(graph);
    OutlineOnTopRow(graph);
    graph.SetGradientEnabled(true);
    const std::vector<int> blue = BlueColumn(Render(graph), 100);

    // Row 0 carries the outline; the first band covers rows 0-1, so row 1 shows it.
    EXPECT_EQ(blue[1], 128);
    EXPECT_EQ(blue[2], 126);
    EXPECT_EQ(blue[3], 126);
    EXPECT_EQ(blue[4], 124);
    EXPECT_EQ(blue[5], 122);
    EXPECT_EQ(blue[6], 122);
    EXPECT_EQ(blue[57], 66);
    EXPECT_EQ(blue[58], 64);
    EXPECT_EQ(blue[116], 2);

    std::set<int> firstHalf(blue.begin() + 1, blue.begin() + 58);
    std::set<int> secondHalf(blue.begin() + 58, blue.end());
    std::set<int> expectedFirst, expectedSecond;
    for (int i = 0; i < 32; ++i) {
        expectedFirst.insert(128 - 2 * i);
        expectedSecond.insert(64 - 2 * i);
    }
    EXPECT_EQ(firstHalf, expectedFirst);
    EXPECT_EQ(secondHalf, expectedSecond);
    EXPECT_TRUE(std::is_sorted(blue.rbegin(), blue.rend() - 1));
}

TEST(EnvelopeGraph, NumberOfColours) {
    struct Case {
        int requested;
        int stored;
        size_t distinctRows; // rows 1..116
    };
    for (const Case c : {Case{0, 0, 116}, Case{1, 64, 64}, Case{300, 64, 64}, Case{2, 2, 2},
                         Case{256, 256, 116}}) {
        SCOPED_TRACE(c.requested);
        Tmbadsr2 graph;
        MakeWindowGraph(graph);
        OutlineOnTopRow(graph);
        graph.SetGradientEnabled(true);
        graph.SetGradientNbOfColors(c.requested);
        EXPECT_EQ(graph.GradientNbOfColors(), c.stored);
        const std::vector<int> blue = BlueColumn(Render(graph), 100);
        EXPECT_EQ(std::set<int>(blue.begin() + 1, blue.end()).size(), c.distinctRows);
    }
}

TEST(EnvelopeGraph, GradientFollowsSettingChanges) {
    Tmbadsr2 graph;
    MakeWindowGraph(graph);
    OutlineOnTopRow(graph);
    graph.SetGradientEnabled(true);
    EXPECT_EQ(qBlue(Render(graph).pixel(100, 1)), 128);

    graph.SetGradientType(gr2BottomToTop);
    EXPECT_EQ(qBlue(Render(graph).pixel(100, 1)), 0);
    EXPECT_EQ(qBlue(Render(graph).pixel(100, 116)), 126);

    graph.SetGradientColor(QColor(0, 0, 200));
    EXPECT_EQ(qBlue(Render(graph).pixel(100, 116)), 197);

    graph.SetGradientEnabled(false);
    EXPECT_EQ(Render(graph).pixel(100, 60), black);

    // A resized graph gets a gradient of its new size, not a stretched or partial one.
    graph.SetGradientEnabled(true);
    graph.resize(178, 60);
    EXPECT_EQ(qBlue(Render(graph).pixel(100, 59)), 197);

    // The control's colour is the gradient's other end: 60 rows put row 1 in the second
    // band, 100 + 50 / 32 rounded.
    graph.SetColor(QColor(0, 0, 100));
    EXPECT_EQ(qBlue(Render(graph).pixel(100, 1)), 102);
}

TEST(GradientBands, StartEdgeAndMiddleColourOfEachType) {
    const Rgb colour{10, 20, 30};
    const Rgb gradient{210, 120, 30};
    struct Case {
        tGradientType2 type;
        bool alongX;
        Rgb first;  // colour at the start edge
        Rgb middle; // colour where the second half begins
        Rgb last;   // colour of the last band
    };
    const Rgb mid{110, 70, 30};
    const Case cases[] = {
        {gr2LeftToRight, true, gradient, mid, {13, 22, 30}},
        {gr2RightToLeft, true, colour, mid, {207, 118, 30}},
        {gr2TopToBottom, false, gradient, mid, {13, 22, 30}},
        {gr2BottomToTop, false, colour, mid, {207, 118, 30}},
        {gr2HorizCenterToBorder, true, colour, gradient, {16, 23, 30}},
        {gr2HorizBorderToCenter, true, gradient, colour, {204, 117, 30}},
        {gr2VertCenterToBorder, false, colour, gradient, {16, 23, 30}},
        {gr2VertBorderToCenter, false, gradient, colour, {204, 117, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        const GradientPlan plan = GradientBands(c.type, 200, 100, 64, colour, gradient);
        ASSERT_EQ(plan.bands.size(), 64u);
        EXPECT_EQ(plan.alongX, c.alongX);
        const int length = c.alongX ? 200 : 100;
        EXPECT_EQ(plan.bands.front().start, 0);
        EXPECT_EQ(plan.bands.back().end, length);
        EXPECT_EQ(plan.bands[32].start, length / 2);
        for (size_t i = 1; i < plan.bands.size(); ++i) {
            EXPECT_EQ(plan.bands[i].start, plan.bands[i - 1].end);
        }
        EXPECT_EQ(plan.bands.front().colour, c.first);
        EXPECT_EQ(plan.bands[32].colour, c.middle);
        EXPECT_EQ(plan.bands.back().colour, c.last);
    }
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
    struct Case {
        int a, b, c, result;
    };
    for (const Case k :
         {Case{1, 58, 32, 2}, Case{3, 58, 32, 5}, Case{1, 1, 2, 1}, Case{-1, 1, 2, -1},
          Case{1, -3, 2, -2}, Case{5, 1, -2, -3}, Case{1, 2, 3, 1}, Case{1, 1, 3, 0},
          Case{65536, 65536, 65536, 65536}, Case{1, 1, 0, -1}, Case{65536, 65536, 1, -1}}) {
        EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.result) << k.a << "*" << k.b << "/" << k.c;
    }
}

TEST(EnvelopeGraph, FillAndGuideLines) {
    struct Case {
        bool fill;
        bool vlines;
        QRgb inside;     // (100, 100), under the sustain
        QRgb sustainDot; // (80, 84) on the vertical guide
        QRgb sustainGap; // (80, 85)
        QRgb baseDot;    // (100, 116) on the base line
        QRgb baseGap;    // (101, 116)
    };
    for (const Case c : {Case{false, true, black, aqua, black, aqua, black},
                         Case{true, true, teal, aqua, teal, aqua, teal},
                         Case{false, false, black, black, black, black, black},
                         Case{true, false, teal, teal, teal, teal, teal}}) {
        SCOPED_TRACE(testing::Message() << "fill " << c.fill << " vlines " << c.vlines);
        Tmbadsr2 graph;
        MakeWindowGraph(graph);
        SetValues(graph, workedExample);
        graph.SetFillEnabled(c.fill);
        graph.SetShowVLines(c.vlines);
        const QImage image = Render(graph);
        EXPECT_EQ(image.pixel(100, 100), c.inside);
        EXPECT_EQ(image.pixel(80, 84), c.sustainDot);
        EXPECT_EQ(image.pixel(80, 85), c.sustainGap);
        EXPECT_EQ(image.pixel(100, 116), c.baseDot);
        EXPECT_EQ(image.pixel(101, 116), c.baseGap);
        // The vertical guide stops two rows above the base line.
        EXPECT_EQ(image.pixel(80, 114), c.sustainDot);
        EXPECT_EQ(image.pixel(80, 115), c.sustainGap);
    }
}

TEST(EnvelopeGraph, NoMarkersDrawnButStillGrabbable) {
    Tmbadsr2 graph;
    MakeWindowGraph(graph);
    SetValues(graph, workedExample);
    graph.SetMarkerSize(0);
    EXPECT_TRUE(FindMarkers(Render(graph), aqua, 3).empty());
    const EnvPoints p = EnvelopePoints(178, 117, 32, workedExample);
    EXPECT_EQ(IsMouseOnMarker(p, 0, 37 + 5, 4 - 5), 1);
    EXPECT_EQ(IsMouseOnMarker(p, 0, 37 + 6, 4), -1);
    EXPECT_EQ(IsMouseOnMarker(p, 8, 37 + 8, 4 + 8), 1);
}

TEST(EnvelopeGraph, CloseMarkersGrabTheLowerIndex) {
    // P2 (79, 44) and P3 (80, 80) are far apart; P3 and P2 meet when the slope is vertical.
    const EnvPoints p = EnvelopePoints(178, 117, 32, {5, 31, 1, 20, 32, 20, 10, 0});
    ASSERT_EQ(p[2], p[3]);
    EXPECT_EQ(IsMouseOnMarker(p, 3, p[3].x + 2, p[3].y), 2);
}

namespace {

void Send(Tmbadsr2& graph, QEvent::Type type, QPoint pos, Qt::MouseButton button,
          Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(pos), graph.mapToGlobal(QPointF(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(&graph, &event);
}

struct Drag {
    const char* name;
    QPoint press;
    QPoint to; // every move goes here, then the release
    int moves;
    bool alwayDetect;
    Qt::MouseButton button;
    EnvValues expected;
    int changes;
};
// Cases print as their names in test listings.
void PrintTo(const Drag& c, std::ostream* os) {
    *os << c.name;
}

class EnvelopeMouseEditing : public ::testing::TestWithParam<Drag> {};

} // namespace

TEST_P(EnvelopeMouseEditing, DragChangesValuesAndRaisesOnChange) {
    const Drag& d = GetParam();
    Tmbadsr2 graph;
    MakeWindowGraph(graph);
    SetValues(graph, workedExample);
    graph.SetAlwayDetect(d.alwayDetect);
    int changes = 0;
    graph.OnChange = [&](QObject* sender) {
        EXPECT_EQ(sender, &graph);
        ++changes;
    };
    const Qt::MouseButtons held(d.button);
    Send(graph, QEvent::MouseButtonPress, d.press, d.button, held);
    for (int i = 0; i < d.moves; ++i) {
        Send(graph, QEvent::MouseMove, d.to, Qt::NoButton, held);
    }
    Send(graph, QEvent::MouseButtonRelease, d.to, d.button, Qt::NoButton);
    EXPECT_EQ(Values(graph), d.expected);
    EXPECT_EQ(changes, d.changes);

    // The graph shows the edited envelope.
    const EnvPoints p = EnvelopePoints(178, 117, 32, d.expected);
    const std::vector<EnvPoint> found = FindMarkers(Render(graph), aqua, 3);
    for (const EnvPoint& point : p) {
        EXPECT_NE(std::find(found.begin(), found.end(), point), found.end())
            << point.x << "," << point.y;
    }
}

// Worked example: points (0,116) (37,4) (79,44) (80,80) (147,80) (177,116); q 44, hy 115.
INSTANTIATE_TEST_SUITE_P(
    Table, EnvelopeMouseEditing,
    ::testing::Values(
        // 3 * 32 / 44 = 2: the attack widens by two steps; the release step adds nothing.
        Drag{"attackRight",
             {37, 4},
             {40, 4},
             1,
             true,
             Qt::LeftButton,
             {3, 31, 1, 20, 31, 10, 10, 0},
             2},
        Drag{"attackFarRight",
             {37, 4},
             {170, 4},
             1,
             true,
             Qt::LeftButton,
             {0, 31, 1, 20, 31, 10, 10, 0},
             2},
        Drag{"attackFarLeftAndUp",
             {37, 4},
             {-100, -50},
             1,
             true,
             Qt::LeftButton,
             {32, 32, 1, 20, 31, 10, 10, 0},
             2},
        // Pressing within the tolerance grabs the marker as well.
        Drag{"sustainStartUp",
             {82, 78},
             {82, 58},
             1,
             true,
             Qt::LeftButton,
             {5, 31, 1, 20, 30, 16, 10, 0},
             2},
        Drag{"releaseStartLeftAndDown",
             {147, 80},
             {137, 100},
             1,
             true,
             Qt::LeftButton,
             {5, 31, 1, 20, 31, 5, 3, 0},
             2},
        Drag{"endMovesBaseLevel",
             {177, 116},
             {177, 96},
             1,
             true,
             Qt::LeftButton,
             {5, 31, 1, 20, 31, 10, 10, 5},
             2},
        Drag{"onlyAtReleaseWhenNotAlwayDetect",
             {37, 4},
             {40, 4},
             3,
             false,
             Qt::LeftButton,
             {3, 31, 1, 20, 31, 10, 10, 0},
             1},
        Drag{"pressOffMarkers", {120, 30}, {140, 10}, 2, true, Qt::LeftButton, workedExample, 0},
        Drag{"rightButton", {37, 4}, {100, 4}, 2, true, Qt::RightButton, workedExample, 0}),
    [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(EnvelopeGraph, MoveRedrawsOnlyWithTheLeftButtonDown) {
    Tmbadsr2 graph;
    MakeWindowGraph(graph);
    SetValues(graph, workedExample);
    graph.show();
    QApplication::processEvents();
    PaintCounter counter;
    graph.installEventFilter(&counter);

    Send(graph, QEvent::MouseButtonPress, {37, 4}, Qt::LeftButton, Qt::LeftButton);
    Send(graph, QEvent::MouseMove, {60, 4}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(Values(graph), workedExample);

    // Off the markers a move with the button down only redraws.
    Send(graph, QEvent::MouseButtonPress, {120, 30}, Qt::LeftButton, Qt::LeftButton);
    Send(graph, QEvent::MouseMove, {125, 30}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(counter.paints, 1);
    EXPECT_EQ(Values(graph), workedExample);
}

TEST(EnvelopeGraph, SettersRedrawOnlyOnChange) {
    Tmbadsr2 graph;
    graph.show();
    QApplication::processEvents();
    PaintCounter counter;
    graph.installEventFilter(&counter);
    graph.SetValue(49, 3);
    graph.SetMax(99);
    graph.SetMarkerColor(QColor(0, 255, 255));
    graph.SetGradientNbOfColors(1);
    EXPECT_EQ(counter.paints, 0);
    graph.SetValue(10, 3);
    graph.SetMax(50);
    graph.SetGradientNbOfColors(0);
    EXPECT_EQ(counter.paints, 3);
    // Out-of-range uses are refused instead of dividing by zero or writing past the values.
    graph.SetMax(0);
    graph.SetValue(5, 8);
    graph.SetValue(5, -1);
    EXPECT_EQ(graph.Max(), 50);
    EXPECT_EQ(graph.GetValue(8), 0);
    EXPECT_EQ(counter.paints, 3);
}

TEST(EnvelopeGraph, TinyGraphIgnoresDrags) {
    Tmbadsr2 graph;
    graph.resize(4, 2);
    SetValues(graph, {10, 10, 10, 10, 10, 10, 10, 10});
    Render(graph);
    Send(graph, QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton, Qt::LeftButton);
    Send(graph, QEvent::MouseMove, {3, 1}, Qt::NoButton, Qt::LeftButton);
    Send(graph, QEvent::MouseButtonRelease, {3, 1}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(Values(graph), (EnvValues{10, 10, 10, 10, 10, 10, 10, 10}));
}
