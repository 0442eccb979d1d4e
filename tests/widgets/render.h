#pragma once

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QWidget>

// What the widget shows, read back as pixels.
inline QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

// Counts the paints a widget receives once it is installed as its event filter.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};
