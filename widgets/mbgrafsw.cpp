#include "widgets/mbgrafsw.h"

#include <QEvent>
#include <QPainter>

Tmbgrafsw::Tmbgrafsw(QWidget* parent) : QWidget(parent) {
    resize(30, 30);
}

void Tmbgrafsw::SetBitmap(const QImage& value) {
    bitmap = value;
    repaint();
}

void Tmbgrafsw::SetAutoSize(bool value) {
    if (value != autoSize) {
        autoSize = value;
        if (autoSize) {
            repaint();
        }
    }
}

void Tmbgrafsw::SetGlyph(int value) {
    if (value != glyph && value >= 1 && value <= 255) {
        glyph = value;
        repaint();
    }
}

void Tmbgrafsw::SetState(int value) {
    if (value == state) {
        return;
    }
    state = (value >= 0 && value <= glyph - 1) ? value : 0;
    repaint();
}

void Tmbgrafsw::SetShowHint(bool value) {
    showHint = value;
}

int Tmbgrafsw::GetBitmapWidth() const {
    return bitmap.width() / glyph;
}

void Tmbgrafsw::OptimalSize(int& width, int& height) const {
    if (!bitmap.isNull() && autoSize) {
        width = GetBitmapWidth();
        height = bitmap.height();
    }
}

void Tmbgrafsw::paintEvent(QPaintEvent*) {
    if (!bitmap.isNull()) {
        Affiche();
    }
}

void Tmbgrafsw::Affiche() {
    const int fw = GetBitmapWidth();
    const int h = bitmap.height();
    if (fw <= 0 || h <= 0) {
        return;
    }
    // Lowering Glyph below State leaves State as it was; such a State shows frame 0.
    const int frame = (state >= 1 && state <= glyph - 1) ? state : 0;
    frameBuffer = bitmap.copy(fw * frame, 0, fw, h);
    QPainter painter(this);
    painter.drawImage(0, 0, frameBuffer);
}

bool Tmbgrafsw::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !showHint) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}
