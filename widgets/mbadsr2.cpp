#include "widgets/mbadsr2.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace {

Rgb ToRgb(const QColor& c) {
    const QColor rgb = c.toRgb();
    return {static_cast<uint8_t>(rgb.red()), static_cast<uint8_t>(rgb.green()),
            static_cast<uint8_t>(rgb.blue())};
}

// One-pixel dotted line from `from` towards `to`, the end point left out: dots on every
// other pixel, gaps in `gap` when it is valid and untouched otherwise.
void DottedLine(QImage& image, QPoint from, QPoint to, QRgb dot, const QColor& gap) {
    const int dx = (to.x() > from.x()) - (to.x() < from.x());
    const int dy = (to.y() > from.y()) - (to.y() < from.y());
    const QRect bounds = image.rect();
    int step = 0;
    for (QPoint p = from; p != to; p += QPoint(dx, dy), ++step) {
        if (!bounds.contains(p)) {
            continue;
        }
        if (step % 2 == 0) {
            image.setPixel(p, dot);
        } else if (gap.isValid()) {
            image.setPixel(p, gap.rgb());
        }
    }
}

} // namespace

Tmbadsr2::Tmbadsr2(QWidget* parent) : QWidget(parent), OnChange(&Tmbadsr2::xOnChange) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(100, 80);
}

void Tmbadsr2::xOnChange(QObject*) {}

void Tmbadsr2::SetMax(int value) {
    // Max is a divisor of every coordinate; a full scale below 1 cannot be drawn.
    if (value != max && value >= 1) {
        max = value;
        repaint();
    }
}

void Tmbadsr2::SetLineColor(const QColor& value) {
    if (value != lineColor) {
        lineColor = value;
        repaint();
    }
}

void Tmbadsr2::SetAlwayDetect(bool value) {
    alwayDetect = value;
}

void Tmbadsr2::SetShowHint(bool value) {
    showHint = value;
}

void Tmbadsr2::SetFillEnabled(bool value) {
    if (value != fillEnabled) {
        fillEnabled = value;
        repaint();
    }
}

void Tmbadsr2::SetColor(const QColor& value) {
    if (value != color) {
        color = value;
        // The control's colour is one end of the gradient.
        gradientReady = false;
        repaint();
    }
}

void Tmbadsr2::SetGradientColor(const QColor& value) {
    if (value != gradientColor) {
        gradientColor = value;
        gradientReady = false;
        repaint();
    }
}

void Tmbadsr2::SetGradientEnabled(bool value) {
    if (value != gradientEnabled) {
        gradientEnabled = value;
        gradientReady = false;
        repaint();
    }
}

void Tmbadsr2::SetGradientNbOfColors(int value) {
    if (value != gradientNbOfColors && (value == 0 || (value >= 2 && value <= 256))) {
        gradientNbOfColors = value;
        gradientReady = false;
        repaint();
    }
}

void Tmbadsr2::SetGradientType(tGradientType2 value) {
    if (value != gradientType) {
        gradientType = value;
        gradientReady = false;
        repaint();
    }
}

void Tmbadsr2::SetMarkerSize(int value) {
    if (value != markerSize) {
        markerSize = value;
        repaint();
    }
}

void Tmbadsr2::SetMarkerColor(const QColor& value) {
    if (value != markerColor) {
        markerColor = value;
        repaint();
    }
}

void Tmbadsr2::SetShowVLines(bool value) {
    if (value != showVLines) {
        showVLines = value;
        repaint();
    }
}

void Tmbadsr2::SetValue(int value, int index) {
    if (index < 0 || index >= static_cast<int>(envValues.size())) {
        return;
    }
    if (value != envValues[index]) {
        envValues[index] = value;
        repaint();
    }
}

int Tmbadsr2::GetValue(int index) const {
    if (index < 0 || index >= static_cast<int>(envValues.size())) {
        return 0;
    }
    return envValues[index];
}

EnvPoints Tmbadsr2::CurrentPoints() const {
    return EnvelopePoints(width(), height(), max, envValues);
}

void Tmbadsr2::paintEvent(QPaintEvent*) {
    Affiche();
    QPainter painter(this);
    painter.drawImage(0, 0, drawBuffer);
}

void Tmbadsr2::Affiche() {
    const int w = width();
    const int h = height();
    if (w <= 0 || h <= 0) {
        drawBuffer = QImage();
        return;
    }
    if (drawBuffer.size() != QSize(w, h)) {
        drawBuffer = QImage(w, h, QImage::Format_RGB32);
    }
    const EnvPoints points = CurrentPoints();

    if (gradientEnabled) {
        // A picture built for another size would leave part of the control unpainted.
        if (!gradientReady || gradientPicture.size() != drawBuffer.size()) {
            GradientFill(QRect(0, 0, w, h));
        }
        drawBuffer = gradientPicture.copy();
    } else {
        drawBuffer.fill(color);
    }

    {
        QPainter painter(&drawBuffer);
        painter.setPen(QPen(lineColor, 1, Qt::SolidLine));
        QPolygon polygon;
        for (const EnvPoint& p : points) {
            polygon << QPoint(p.x, p.y);
        }
        if (fillEnabled) {
            painter.setBrush(lineColor);
            painter.drawPolygon(polygon);
        } else {
            painter.drawPolyline(polygon);
        }
    }

    if (showVLines) {
        const QRgb dot = markerColor.rgb();
        const QColor gap = fillEnabled ? lineColor : QColor();
        const int yb = points[0].y;
        DottedLine(drawBuffer, QPoint(points[3].x, points[3].y), QPoint(points[3].x, yb - 1), dot,
                   gap);
        DottedLine(drawBuffer, QPoint(0, yb), QPoint(w - 1, yb), dot, gap);
    }

    DrawPolyMarkers(points);
}

void Tmbadsr2::GradientFill(const QRect& rect) {
    const GradientPlan plan = GradientBands(gradientType, rect.width(), rect.height(),
                                            gradientNbOfColors, ToRgb(color), ToRgb(gradientColor));
    gradientPicture = QImage(width(), height(), QImage::Format_RGB32);
    gradientPicture.fill(color);
    QPainter painter(&gradientPicture);
    for (const GradientBand& band : plan.bands) {
        const QColor c(band.colour.r, band.colour.g, band.colour.b);
        if (plan.alongX) {
            painter.fillRect(
                QRect(rect.left() + band.start, rect.top(), band.end - band.start, rect.height()),
                c);
        } else {
            painter.fillRect(
                QRect(rect.left(), rect.top() + band.start, rect.width(), band.end - band.start),
                c);
        }
    }
    gradientReady = true;
}

void Tmbadsr2::DrawPolyMarkers(const EnvPoints& points) {
    const int s = markerSize;
    if (s <= 0) {
        return;
    }
    // Set pixel by pixel: the painter's outline of a rectangle cut by the edge loses a
    // corner, and markers at the start and end points are always cut.
    const QRgb colour = markerColor.rgb();
    const QRect bounds = drawBuffer.rect();
    const auto plot = [&](int x, int y) {
        if (bounds.contains(x, y)) {
            drawBuffer.setPixel(x, y, colour);
        }
    };
    for (const EnvPoint& p : points) {
        // Outline over x - s .. x + s - 1 and y - s .. y + s - 1.
        for (int k = -s; k <= s - 1; ++k) {
            plot(p.x + k, p.y - s);
            plot(p.x + k, p.y + s - 1);
            plot(p.x - s, p.y + k);
            plot(p.x + s - 1, p.y + k);
        }
    }
}

void Tmbadsr2::RaiseChange() {
    if (OnChange) {
        OnChange(this);
    }
}

void Tmbadsr2::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    grabbedMarker = IsMouseOnMarker(CurrentPoints(), markerSize, pos.x(), pos.y());
    dragActive = grabbedMarker >= 0;
}

void Tmbadsr2::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    if (dragActive && grabbedMarker >= 0) {
        const QPoint pos = event->position().toPoint();
        ApplyEditStep(envValues, grabbedMarker, CurrentPoints()[grabbedMarker], pos.x(), pos.y(),
                      width(), height(), max);
        if (alwayDetect) {
            RaiseChange();
        }
    }
    repaint();
}

void Tmbadsr2::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragActive && grabbedMarker >= 0) {
        const QPoint pos = event->position().toPoint();
        ApplyEditStep(envValues, grabbedMarker, CurrentPoints()[grabbedMarker], pos.x(), pos.y(),
                      width(), height(), max);
        repaint();
        RaiseChange();
    }
    dragActive = false;
}

bool Tmbadsr2::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !showHint) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}
