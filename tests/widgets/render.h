#pragma once

#include <QImage>
#include <QWidget>

// What the widget shows, read back as pixels.
inline QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}
