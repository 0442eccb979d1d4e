#pragma once

// Picture-strip switch: shows one of Glyph equally wide frames of a strip, chosen by State.

#include <QImage>
#include <QWidget>

class Tmbgrafsw : public QWidget {
    Q_OBJECT
public:
    explicit Tmbgrafsw(QWidget* parent = nullptr);

    const QImage& Bitmap() const { return bitmap; }
    void SetBitmap(const QImage& value);
    // A stored flag only: the control never resizes itself (see OptimalSize).
    bool AutoSize() const { return autoSize; }
    void SetAutoSize(bool value);
    // Number of frames, 1 to 255; other values are ignored.
    int Glyph() const { return glyph; }
    void SetGlyph(int value);
    // Shown frame, 0 to Glyph - 1; values outside become 0. Set Glyph first.
    int State() const { return state; }
    void SetState(int value);
    bool ShowHint() const { return showHint; }
    void SetShowHint(bool value);

    int GetBitmapWidth() const;
    // Frame size when a strip is loaded and AutoSize is on; otherwise leaves both alone.
    void OptimalSize(int& width, int& height) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Affiche();

    QImage bitmap;
    bool autoSize = true;
    int glyph = 1;
    int state = 0;
    bool showHint = true;
    QImage frameBuffer;
};
