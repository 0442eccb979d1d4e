#include "render.h"
#include "widgets/mbgrafsw.h"

#include <QApplication>
#include <QPalette>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QRgb parentColour = qRgb(255, 0, 255);

// Each column of the strip carries its own index in red (low byte) and green (high byte).
QImage NumberedStrip(int width, int height) {
    QImage strip(width, height, QImage::Format_RGB32);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) {
            strip.setPixel(x, y, qRgb(x & 0xFF, x >> 8, 200));
        }
    }
    return strip;
}

// -1 where the control shows its parent's colour.
int StripColumnAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    if (p == parentColour) {
        return -1;
    }
    return qRed(p) + 256 * qGreen(p);
}

// The control placed as on the window: 182 x 105 on a parent of its own colour.
struct Mounted {
    QWidget parent;
    Tmbgrafsw* strip;
    Mounted() {
        parent.resize(182, 105);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, QColor(parentColour));
        parent.setPalette(palette);
        parent.setAutoFillBackground(true);
        strip = new Tmbgrafsw(&parent);
        strip->setGeometry(0, 0, 182, 105);
    }
};

struct StripCase {
    const char* name;
    int stripWidth;
    std::function<void(Tmbgrafsw&)> set;
    int state;
    int frameWidth;
    int firstColumn; // strip column shown at the control's column 0
};
// Cases print as their names in test listings.
void PrintTo(const StripCase& c, std::ostream* os) {
    *os << c.name;
}

class PictureStrip : public ::testing::TestWithParam<StripCase> {};

} // namespace

TEST_P(PictureStrip, ShowsOneFrameAtTheOrigin) {
    const StripCase& c = GetParam();
    Mounted m;
    m.strip->SetBitmap(NumberedStrip(c.stripWidth, 100));
    c.set(*m.strip);
    EXPECT_EQ(m.strip->State(), c.state);
    EXPECT_EQ(m.strip->GetBitmapWidth(), c.frameWidth);

    const QImage image = Render(m.parent);
    const int shown = std::min(c.frameWidth, 182);
    EXPECT_EQ(StripColumnAt(image, 0, 0), c.firstColumn);
    EXPECT_EQ(StripColumnAt(image, shown - 1, 99), c.firstColumn + shown - 1);
    if (shown < 182) {
        EXPECT_EQ(StripColumnAt(image, shown, 50), -1);
    }
    EXPECT_EQ(StripColumnAt(image, 10, 100), -1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PictureStrip,
    ::testing::Values(
        StripCase{"state5", 1440,
                  [](Tmbgrafsw& s) {
                      s.SetGlyph(8);
                      s.SetState(5);
                  },
                  5, 180, 900},
        StripCase{"stateEqualToGlyphBecomes0", 1440,
                  [](Tmbgrafsw& s) {
                      s.SetGlyph(8);
                      s.SetState(5);
                      s.SetState(8);
                  },
                  0, 180, 0},
        StripCase{"negativeStateBecomes0", 1440,
                  [](Tmbgrafsw& s) {
                      s.SetGlyph(8);
                      s.SetState(5);
                      s.SetState(-1);
                  },
                  0, 180, 0},
        // 1441 / 8 = 180: the last frame ends at column 1439 and column 1440 is never shown.
        StripCase{"oddWidthLastFrame", 1441,
                  [](Tmbgrafsw& s) {
                      s.SetGlyph(8);
                      s.SetState(7);
                  },
                  7, 180, 1260},
        StripCase{"glyphOutOfRangeIgnored", 1440,
                  [](Tmbgrafsw& s) {
                      s.SetGlyph(8);
                      s.SetGlyph(0);
                      s.SetGlyph(256);
                      s.SetState(5);
                  },
                  5, 180, 900},
        StripCase{"glyphLoweredBelowState", 1440,
                  [](Tmbgrafsw& s) {
                      s.SetGlyph(8);
                      s.SetState(5);
                      s.SetGlyph(4);
                  },
                  5, 360, 0},
        StripCase{"defaultsOneFrame", 1440, [](Tmbgrafsw& s) { s.SetState(3); }, 0, 1440, 0}),
    [](const auto& caseInfo) { return caseInfo.param.name; });

TEST(PictureStripControl, Defaults) {
    Tmbgrafsw strip;
    EXPECT_EQ(strip.size(), QSize(30, 30));
    EXPECT_TRUE(strip.AutoSize());
    EXPECT_EQ(strip.Glyph(), 1);
    EXPECT_EQ(strip.State(), 0);
    EXPECT_TRUE(strip.ShowHint());
}

TEST(PictureStripControl, EmptyStripShowsOnlyTheParent) {
    Mounted m;
    m.strip->SetGlyph(8);
    m.strip->SetState(5);
    const QImage image = Render(m.parent);
    for (const QPoint p : {QPoint(0, 0), QPoint(90, 50), QPoint(181, 104)}) {
        EXPECT_EQ(image.pixel(p), parentColour);
    }
}

TEST(PictureStripControl, OptimalSize) {
    Tmbgrafsw strip;
    int width = 7;
    int height = 9;
    strip.OptimalSize(width, height);
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 9);

    strip.SetBitmap(NumberedStrip(1440, 100));
    strip.SetGlyph(8);
    strip.OptimalSize(width, height);
    EXPECT_EQ(width, 180);
    EXPECT_EQ(height, 100);
    EXPECT_EQ(strip.size(), QSize(30, 30));

    strip.SetAutoSize(false);
    width = 7;
    height = 9;
    strip.OptimalSize(width, height);
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 9);
}

TEST(PictureStripControl, KeepsItsOwnCopyOfTheStrip) {
    Mounted m;
    QImage source = NumberedStrip(1440, 100);
    m.strip->SetBitmap(source);
    source.fill(Qt::black);
    EXPECT_EQ(StripColumnAt(Render(m.parent), 5, 5), 5);
}

TEST(PictureStripControl, RepaintsOnlyOnEffectiveChanges) {
    Mounted m;
    m.strip->SetBitmap(NumberedStrip(1440, 100));
    m.strip->SetGlyph(8);
    m.parent.show();
    QApplication::processEvents();
    PaintCounter counter;
    m.strip->installEventFilter(&counter);
    m.strip->SetState(5);
    m.strip->SetState(5);
    m.strip->SetGlyph(8);
    m.strip->SetGlyph(0);
    m.strip->SetAutoSize(true);
    EXPECT_EQ(counter.paints, 1);
    m.strip->SetAutoSize(false);
    EXPECT_EQ(counter.paints, 1);
    m.strip->SetAutoSize(true);
    EXPECT_EQ(counter.paints, 2);
}
