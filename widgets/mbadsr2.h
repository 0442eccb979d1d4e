#pragma once

// Envelope graph: eight values drawn as a six-stage envelope with draggable markers.

#include "widgets/envelope_geometry.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <functional>

class Tmbadsr2 : public QWidget {
    Q_OBJECT
public:
    using NotifyEvent = std::function<void(QObject* sender)>;

    explicit Tmbadsr2(QWidget* parent = nullptr);

    int Max() const { return max; }
    void SetMax(int value);
    QColor LineColor() const { return lineColor; }
    void SetLineColor(const QColor& value);
    bool AlwayDetect() const { return alwayDetect; }
    void SetAlwayDetect(bool value);
    bool ShowHint() const { return showHint; }
    void SetShowHint(bool value);
    bool FillEnabled() const { return fillEnabled; }
    void SetFillEnabled(bool value);
    QColor Color() const { return color; }
    void SetColor(const QColor& value);
    QColor GradientColor() const { return gradientColor; }
    void SetGradientColor(const QColor& value);
    bool GradientEnabled() const { return gradientEnabled; }
    void SetGradientEnabled(bool value);
    int GradientNbOfColors() const { return gradientNbOfColors; }
    void SetGradientNbOfColors(int value);
    tGradientType2 GradientType() const { return gradientType; }
    void SetGradientType(tGradientType2 value);
    int MarkerSize() const { return markerSize; }
    void SetMarkerSize(int value);
    QColor MarkerColor() const { return markerColor; }
    void SetMarkerColor(const QColor& value);
    bool ShowVLines() const { return showVLines; }
    void SetShowVLines(bool value);

    // index 0..7: attack time, attack peak, decay time, break point, slope time, sustain,
    // release time, start and end level. Times are rates: Max draws a zero-width segment.
    void SetValue(int value, int index);
    int GetValue(int index) const;

    // Raised on the GUI thread after a mouse edit, with this control as sender.
    NotifyEvent OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    static void xOnChange(QObject* sender);
    EnvPoints CurrentPoints() const;
    void Affiche();
    void GradientFill(const QRect& rect);
    void DrawPolyMarkers(const EnvPoints& points);
    void RaiseChange();

    int max = 99;
    QColor lineColor{0, 128, 128};
    bool alwayDetect = true;
    bool showHint = true;
    bool fillEnabled = false;
    QColor color{0, 0, 0};
    QColor gradientColor{0, 0, 128};
    bool gradientEnabled = false;
    int gradientNbOfColors = 64;
    tGradientType2 gradientType = gr2VertCenterToBorder;
    int markerSize = 3;
    QColor markerColor{0, 255, 255};
    bool showVLines = true;

    EnvValues envValues{49, 49, 49, 49, 49, 49, 49, 49};
    int grabbedMarker = -1;
    bool dragActive = false;
    bool gradientReady = false;
    QImage drawBuffer;
    QImage gradientPicture;
};
