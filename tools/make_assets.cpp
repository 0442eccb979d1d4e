// Draws the program's artwork: the controller's front panel, the strip of the eight
// waveform pictures and the donate button. Run it by hand after changing a drawing and
// commit what it writes; the program embeds the files from assets/. From the repository
// root, after building:
//
//   QT_QPA_PLATFORM=offscreen <build>/tools/quorvin-make-assets assets
//
// It writes front_panel.jpg, waveforms.bmp and donate.bmp into the folder given.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLineF>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>
#include <QTextStream>
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------
// Front panel

constexpr int kPanelWidth = 946;
constexpr int kPanelHeight = 763;
constexpr int kJpegQuality = 90;

// The eight control columns; the window's value labels are placed on these centres.
constexpr int kColumns = 8;
constexpr double ColumnX(int k) {
    return 85.0 + 84.4 * k;
}

enum class ControlKind { Encoder, Button };

// One row of the eight columns. A row's centre line is the middle of the value labels laid
// over it, so a label covers the knob or button it shows; the captions fall in the gaps
// below the rows. The lower button row has no value labels: it sits between the upper
// row's captions and the "Randomise" caption under its last key.
struct ControlRow {
    ControlKind kind;
    double centreY;
};

constexpr std::array<ControlRow, 6> kControlRows = {{
    {ControlKind::Encoder, 95},  // push-encoders
    {ControlKind::Button, 165},  // upper button row
    {ControlKind::Button, 221},  // lower button row
    {ControlKind::Encoder, 377}, // encoder row 1
    {ControlKind::Encoder, 524}, // encoder row 2
    {ControlKind::Encoder, 667}, // encoder row 3
}};

constexpr double kKnobRadius = 17.0;
constexpr double kRingRadius = 26.5;
constexpr int kRingLeds = 13;
constexpr double kButtonWidth = 46.0;
constexpr double kButtonHeight = 22.0;

// The column on the right: encoder groups, display, set-up keys, presets, user keys.
constexpr double kSideLeft = 735.0;
constexpr double kSideRight = 930.0;
constexpr double kSideX0 = 790.0;
constexpr double kSideX1 = 876.0;

struct SideButton {
    double x;
    double y;
    const char* caption;
    bool lit;
};

constexpr std::array<SideButton, 14> kSideButtons = {{
    {kSideX0, 92, "1", true},
    {kSideX1, 92, "2", false},
    {kSideX0, 140, "3", false},
    {kSideX1, 140, "4", false},
    {kSideX0, 300, "STORE", false},
    {kSideX1, 300, "LEARN", false},
    {kSideX0, 348, "EDIT", false},
    {kSideX1, 348, "EXIT", false},
    {kSideX0, 446, "<", false},
    {kSideX1, 446, ">", false},
    {kSideX0, 600, "", false},
    {kSideX1, 600, "", true},
    {kSideX0, 660, "", false},
    {kSideX1, 660, "", false},
}};

struct SideCaption {
    double y;
    const char* text;
};

constexpr std::array<SideCaption, 4> kSideCaptions = {{
    {64, "ENCODER GROUP"},
    {272, "SETUP"},
    {418, "PRESET"},
    {572, "USER"},
}};

constexpr QRectF kDisplayRect{773, 196, 120, 44};

const QColor kBodyTop{56, 58, 62};
const QColor kBodyBottom{38, 40, 43};
const QColor kEngraveLight{78, 80, 85};
const QColor kEngraveDark{24, 25, 27};
const QColor kSilk{190, 192, 196};
const QColor kLedOff{72, 24, 22};
const QColor kLedOn{255, 64, 40};

// The printing on the panel: bold, slightly spaced capitals.
QFont SilkFont(int pixelSize) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, pixelSize / 8.0);
    return font;
}

// Value shown by control (row, column): a steady spread so the panel looks in use.
double ShownValue(int row, int column) {
    return std::fmod(0.17 + 0.29 * column + 0.41 * row, 1.0);
}

bool ShownLit(int row, int column) {
    return (column * 3 + row) % 4 == 0;
}

void DrawBody(QPainter& p) {
    QLinearGradient face(0, 0, 0, kPanelHeight);
    face.setColorAt(0, kBodyTop);
    face.setColorAt(1, kBodyBottom);
    p.fillRect(0, 0, kPanelWidth, kPanelHeight, QColor(20, 21, 23));
    p.setPen(QPen(QColor(14, 14, 15), 2));
    p.setBrush(face);
    p.drawRoundedRect(QRectF(3, 3, kPanelWidth - 6, kPanelHeight - 6), 12, 12);
}

// A groove in the aluminium: dark line with a light edge below or right of it.
void DrawEngravedLine(QPainter& p, QPointF from, QPointF to) {
    const bool horizontal = from.y() == to.y();
    const QPointF shift = horizontal ? QPointF(0, 1) : QPointF(1, 0);
    p.setPen(QPen(kEngraveDark, 1));
    p.drawLine(from, to);
    p.setPen(QPen(kEngraveLight, 1));
    p.drawLine(from + shift, to + shift);
}

void DrawPanelLines(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    DrawEngravedLine(p, {14, 270}, {714, 270});
    DrawEngravedLine(p, {722, 14}, {722, kPanelHeight - 15});
    DrawEngravedLine(p, {kSideLeft, 176}, {kSideRight, 176});
    DrawEngravedLine(p, {kSideLeft, 396}, {kSideRight, 396});
    DrawEngravedLine(p, {kSideLeft, 546}, {kSideRight, 546});
    p.setRenderHint(QPainter::Antialiasing, true);
}

void DrawScrew(QPainter& p, QPointF centre) {
    QRadialGradient head(centre - QPointF(1.5, 1.5), 6);
    head.setColorAt(0, QColor(150, 152, 156));
    head.setColorAt(1, QColor(60, 62, 65));
    p.setPen(QPen(QColor(20, 20, 22), 1));
    p.setBrush(head);
    p.drawEllipse(centre, 5, 5);
    p.setPen(QPen(QColor(30, 30, 32), 1.4));
    p.drawLine(centre + QPointF(-3, -3), centre + QPointF(3, 3));
}

void DrawTitle(QPainter& p) {
    p.setPen(kSilk);
    p.setFont(SilkFont(17));
    p.drawText(QRectF(26, 16, 400, 26), Qt::AlignLeft | Qt::AlignVCenter, "ROTARY CONTROLLER");
}

// The arc of LEDs around an encoder, lit from the left up to the value, as the
// controller shows a bar.
void DrawLedRing(QPainter& p, QPointF centre, double value) {
    const int lit = static_cast<int>(std::lround(value * (kRingLeds - 1)));
    for (int i = 0; i < kRingLeds; ++i) {
        const double angle = (-135.0 + 270.0 * i / (kRingLeds - 1)) * std::numbers::pi / 180.0;
        const QPointF at =
            centre + QPointF(std::sin(angle) * kRingRadius, -std::cos(angle) * kRingRadius);
        if (i <= lit) {
            QRadialGradient glow(at, 5.5);
            glow.setColorAt(0, QColor(255, 90, 60, 150));
            glow.setColorAt(1, QColor(255, 40, 20, 0));
            p.setPen(Qt::NoPen);
            p.setBrush(glow);
            p.drawEllipse(at, 5.5, 5.5);
            p.setBrush(kLedOn);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(kLedOff);
        }
        p.drawEllipse(at, 2.2, 2.2);
    }
}

// A ribbed plastic knob with a light pointer line.
void DrawKnob(QPainter& p, QPointF centre, double value) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawEllipse(centre + QPointF(1.5, 2.5), kKnobRadius + 1, kKnobRadius + 1);

    QLinearGradient skirt(centre - QPointF(0, kKnobRadius), centre + QPointF(0, kKnobRadius));
    skirt.setColorAt(0, QColor(70, 71, 74));
    skirt.setColorAt(1, QColor(22, 22, 24));
    p.setPen(QPen(QColor(12, 12, 13), 1));
    p.setBrush(skirt);
    p.drawEllipse(centre, kKnobRadius, kKnobRadius);

    p.setPen(QPen(QColor(16, 16, 17), 1));
    for (int i = 0; i < 32; ++i) {
        const double a = 2 * std::numbers::pi * i / 32;
        const QPointF dir(std::sin(a), -std::cos(a));
        p.drawLine(centre + dir * (kKnobRadius * 0.82), centre + dir * (kKnobRadius - 0.5));
    }

    const double capRadius = kKnobRadius * 0.76;
    QRadialGradient cap(centre - QPointF(4, 5), capRadius * 1.6);
    cap.setColorAt(0, QColor(86, 87, 91));
    cap.setColorAt(1, QColor(34, 34, 37));
    p.setPen(QPen(QColor(18, 18, 19), 1));
    p.setBrush(cap);
    p.drawEllipse(centre, capRadius, capRadius);

    const double angle = (-135.0 + 270.0 * value) * std::numbers::pi / 180.0;
    const QPointF dir(std::sin(angle), -std::cos(angle));
    p.setPen(QPen(QColor(225, 226, 228), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + dir * (capRadius * 0.35), centre + dir * (kKnobRadius - 1.5));
}

void DrawEncoder(QPainter& p, QPointF centre, double value) {
    DrawLedRing(p, centre, value);
    DrawKnob(p, centre, value);
}

// A rubber key seated in a recess; a lit key glows red from its own LED.
void DrawButton(QPainter& p, QPointF centre, bool lit, double width = kButtonWidth,
                double height = kButtonHeight) {
    const QRectF key(centre.x() - width / 2, centre.y() - height / 2, width, height);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(16, 16, 18));
    p.drawRoundedRect(key.adjusted(-2.5, -2.5, 2.5, 2.5), 6, 6);

    QLinearGradient body(key.topLeft(), key.bottomLeft());
    if (lit) {
        body.setColorAt(0, QColor(255, 110, 90));
        body.setColorAt(0.5, QColor(230, 40, 30));
        body.setColorAt(1, QColor(150, 20, 16));
    } else {
        body.setColorAt(0, QColor(112, 112, 116));
        body.setColorAt(0.5, QColor(82, 82, 86));
        body.setColorAt(1, QColor(56, 56, 60));
    }
    p.setPen(QPen(lit ? QColor(110, 16, 12) : QColor(34, 34, 36), 1));
    p.setBrush(body);
    p.drawRoundedRect(key, 4, 4);

    p.setPen(QPen(lit ? QColor(255, 170, 150, 160) : QColor(150, 150, 155, 110), 1));
    p.drawLine(key.topLeft() + QPointF(4, 1.5), key.topRight() + QPointF(-4, 1.5));
}

void DrawCaption(QPainter& p, QPointF centre, const QString& text) {
    p.setPen(kSilk);
    p.setFont(SilkFont(9));
    p.drawText(QRectF(centre.x() - 60, centre.y() - 8, 120, 16), Qt::AlignCenter, text);
}

// Segments a to g of the characters the display shows, bit 0 = a (top), clockwise, g the middle
// bar.
unsigned SegmentsOf(char c) {
    switch (c) {
    case '0':
        return 0b0111111;
    case '1':
        return 0b0000110;
    case 'P':
        return 0b1110011;
    default:
        return 0;
    }
}

// One slanted seven-segment digit in the cell; unlit segments stay faintly visible.
void DrawSegmentDigit(QPainter& p, const QRectF& cell, char c) {
    const double w = cell.width();
    const double h = cell.height();
    const double t = w * 0.16; // segment thickness
    const double slant = 0.12;
    // Each segment as a line from one corner of the digit to another, corners in units of
    // the cell: (0,0) top left, (1,1) bottom right.
    static constexpr std::array<std::array<double, 4>, 7> kSegments = {{
        {0, 0, 1, 0},     // a
        {1, 0, 1, 0.5},   // b
        {1, 0.5, 1, 1},   // c
        {0, 1, 1, 1},     // d
        {0, 0.5, 0, 1},   // e
        {0, 0, 0, 0.5},   // f
        {0, 0.5, 1, 0.5}, // g
    }};
    const auto at = [&](double u, double v) {
        return QPointF(cell.left() + t + u * (w - 2 * t) + (1 - v) * slant * w,
                       cell.top() + t / 2 + v * (h - t));
    };
    const unsigned lit = SegmentsOf(c);
    for (int s = 0; s < 7; ++s) {
        const auto& seg = kSegments[s];
        const QPointF from = at(seg[0], seg[1]);
        const QPointF to = at(seg[2], seg[3]);
        const QPointF gap = (to - from) * (t * 0.55 / QLineF(from, to).length());
        p.setPen(QPen(lit & (1u << s) ? QColor(255, 52, 32) : QColor(58, 12, 10), t, Qt::SolidLine,
                      Qt::RoundCap));
        p.drawLine(from + gap, to - gap);
    }
}

// The four-character LED display showing the preset number.
void DrawDisplay(QPainter& p, const QRectF& rect, const char (&text)[5]) {
    p.setPen(QPen(QColor(14, 14, 15), 2));
    p.setBrush(QColor(26, 6, 6));
    p.drawRoundedRect(rect, 3, 3);
    const QRectF digits = rect.adjusted(10, 7, -8, -7);
    const double cellWidth = digits.width() / 4;
    for (int i = 0; i < 4; ++i) {
        DrawSegmentDigit(
            p, QRectF(digits.left() + i * cellWidth, digits.top(), cellWidth - 4, digits.height()),
            text[i]);
    }
}

// A small LED with its caption, lit.
void DrawPowerLed(QPainter& p, QPointF centre) {
    QRadialGradient glow(centre, 7);
    glow.setColorAt(0, QColor(255, 90, 60, 170));
    glow.setColorAt(1, QColor(255, 40, 20, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, 7, 7);
    p.setBrush(kLedOn);
    p.drawEllipse(centre, 2.8, 2.8);
    p.setPen(kSilk);
    p.setFont(SilkFont(9));
    p.drawText(QRectF(centre.x() - 70, centre.y() - 8, 60, 16), Qt::AlignRight | Qt::AlignVCenter,
               "POWER");
}

void DrawControlColumns(QPainter& p) {
    for (int row = 0; row < static_cast<int>(kControlRows.size()); ++row) {
        const ControlRow& r = kControlRows[row];
        for (int k = 0; k < kColumns; ++k) {
            const QPointF centre(ColumnX(k), r.centreY);
            if (r.kind == ControlKind::Encoder) {
                DrawEncoder(p, centre, ShownValue(row, k));
            } else {
                DrawButton(p, centre, ShownLit(row, k));
            }
        }
    }
}

void DrawSideColumn(QPainter& p) {
    for (const SideCaption& c : kSideCaptions) {
        DrawCaption(p, {(kSideX0 + kSideX1) / 2, c.y}, c.text);
    }
    for (const SideButton& b : kSideButtons) {
        DrawButton(p, {b.x, b.y}, b.lit, 52, 26);
        if (*b.caption != '\0') {
            DrawCaption(p, {b.x, b.y + 24}, b.caption);
        }
    }
    DrawDisplay(p, kDisplayRect, "P 01");
    DrawPowerLed(p, {kSideX1 + 30, 29});
}

QImage MakeFrontPanel() {
    QImage image(kPanelWidth, kPanelHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    DrawBody(p);
    DrawPanelLines(p);
    for (const QPointF at :
         {QPointF(14, 14), QPointF(kPanelWidth - 14, 14), QPointF(14, kPanelHeight - 14),
          QPointF(kPanelWidth - 14, kPanelHeight - 14)}) {
        DrawScrew(p, at);
    }
    DrawTitle(p);
    DrawControlColumns(p);
    DrawSideColumn(p);
    return image;
}

// ---------------------------------------------------------------------------------------
// Waveform strip

constexpr int kFrameWidth = 180;
constexpr int kFrameHeight = 100;

// Partial number and relative level; all partials start at phase 0.
using Recipe = std::vector<std::pair<int, double>>;

std::vector<Recipe> WaveRecipes() {
    Recipe saw;
    for (int n = 1; n <= 16; ++n) {
        saw.emplace_back(n, 1.0 / n);
    }
    Recipe square;
    for (int n = 1; n <= 15; n += 2) {
        square.emplace_back(n, 1.0 / n);
    }
    return {
        saw,
        {{1, 1.0}, {2, 0.5}, {3, 0.6}, {4, 0.25}, {5, 0.4}, {6, 0.15}, {7, 0.2}, {8, 0.1}},
        {{1, 1.0}, {2, 0.7}, {3, 0.35}, {4, 0.3}, {5, 0.12}, {6, 0.1}, {7, 0.05}},
        {{1, 1.0}, {2, 0.2}, {3, 0.05}, {7, 0.15}, {8, 0.1}},
        square,
        {{1, 0.6}, {2, 1.0}, {3, 0.8}, {4, 0.5}, {5, 0.35}, {6, 0.25}, {7, 0.15}},
        {{1, 0.4},
         {2, 0.8},
         {3, 1.0},
         {4, 0.7},
         {5, 0.6},
         {6, 0.45},
         {7, 0.35},
         {8, 0.3},
         {9, 0.2}},
        {{1, 1.0}, {3, 0.5}, {5, 0.45}, {8, 0.3}, {11, 0.25}},
    };
}

double Evaluate(const Recipe& recipe, double phase) {
    double sum = 0;
    for (const auto& [n, level] : recipe) {
        sum += level * std::sin(2 * std::numbers::pi * n * phase);
    }
    return sum;
}

void DrawWaveFrame(QPainter& p, const QRect& frame, const Recipe& recipe) {
    p.fillRect(frame, Qt::white);
    const double midY = frame.top() + kFrameHeight / 2.0;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(205, 205, 205));
    p.drawLine(frame.left() + 1, frame.top() + kFrameHeight / 2, frame.right() - 1,
               frame.top() + kFrameHeight / 2);

    constexpr int samples = kFrameWidth * 8;
    std::vector<double> wave(samples + 1);
    double peak = 0;
    for (int i = 0; i <= samples; ++i) {
        wave[i] = Evaluate(recipe, static_cast<double>(i) / samples);
        peak = std::max(peak, std::abs(wave[i]));
    }
    const double scale = 0.8 * (kFrameHeight / 2.0) / peak;
    QPolygonF trace;
    for (int i = 0; i <= samples; ++i) {
        trace << QPointF(frame.left() + static_cast<double>(i) * kFrameWidth / samples,
                         midY - wave[i] * scale);
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setClipRect(frame);
    p.setPen(QPen(Qt::black, 2, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    p.drawPolyline(trace);
    p.setClipping(false);

    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame.adjusted(0, 0, -1, -1));
}

QImage MakeWaveformStrip() {
    const std::vector<Recipe> recipes = WaveRecipes();
    QImage image(kFrameWidth * static_cast<int>(recipes.size()), kFrameHeight,
                 QImage::Format_RGB32);
    QPainter p(&image);
    for (int k = 0; k < static_cast<int>(recipes.size()); ++k) {
        DrawWaveFrame(p, QRect(k * kFrameWidth, 0, kFrameWidth, kFrameHeight), recipes[k]);
    }
    return image;
}

// ---------------------------------------------------------------------------------------
// Donate button

QImage MakeDonateButton() {
    QImage image(93, 27, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 240));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF button(0.5, 0.5, 92, 26);
    QLinearGradient fill(button.topLeft(), button.bottomLeft());
    fill.setColorAt(0, QColor(255, 196, 90));
    fill.setColorAt(0.5, QColor(255, 150, 30));
    fill.setColorAt(1, QColor(232, 112, 8));
    p.setPen(QPen(QColor(176, 84, 0), 1));
    p.setBrush(fill);
    p.drawRoundedRect(button, 11, 11);

    QFont font("DejaVu Sans");
    font.setPixelSize(15);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(150, 66, 0));
    p.drawText(button.translated(1, 1), Qt::AlignCenter, "Donate");
    p.setPen(Qt::white);
    p.drawText(button, Qt::AlignCenter, "Donate");
    return image;
}

bool Write(const QImage& image, const QString& path, const char* format, int quality = -1) {
    if (!image.save(path, format, quality)) {
        QTextStream(stderr) << "cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: quorvin-make-assets <output folder>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const bool ok = Write(MakeFrontPanel(), out.filePath("front_panel.jpg"), "JPG", kJpegQuality) &&
                    Write(MakeWaveformStrip(), out.filePath("waveforms.bmp"), "BMP") &&
                    Write(MakeDonateButton(), out.filePath("donate.bmp"), "BMP");
    return ok ? 0 : 1;
}
