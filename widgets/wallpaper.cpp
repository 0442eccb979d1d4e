#include "widgets/wallpaper.h"

#include "widgets/jpeg_loader.h"

#include <QEvent>
#include <QFile>
#include <QPainter>

int WallpaperBorder(int borderWidth, TPanelBevel bevelOuter, TPanelBevel bevelInner,
                    int bevelWidth) {
    int b = borderWidth;
    if (bevelOuter != bvNone) {
        b += bevelWidth;
    }
    if (bevelInner != bvNone) {
        b += bevelWidth;
    }
    return b;
}

std::vector<TilePos> WallpaperTiles(int clientWidth, int clientHeight, int b, int pictureWidth,
                                    int pictureHeight) {
    std::vector<TilePos> tiles;
    if (pictureWidth <= 0 || pictureHeight <= 0) {
        return tiles;
    }
    const int innerWidth = clientWidth - 2 * b;
    const int innerHeight = clientHeight - 2 * b;
    if (innerWidth < 0 || innerHeight < 0) {
        return tiles;
    }
    const int cols = innerWidth / pictureWidth;
    const int rows = innerHeight / pictureHeight;
    tiles.reserve(static_cast<size_t>(cols + 1) * static_cast<size_t>(rows + 1));
    for (int i = 0; i <= cols; ++i) {
        for (int j = 0; j <= rows; ++j) {
            tiles.push_back({b + i * pictureWidth, b + j * pictureHeight});
        }
    }
    return tiles;
}

namespace {

// Frame of `width` lines inside `rect`, light on the top and left, dark on the bottom and
// right; `rect` shrinks by what was drawn.
void Frame3D(QPainter& painter, QRect& rect, const QColor& top, const QColor& bottom, int width) {
    for (int k = 0; k < width && rect.width() > 0 && rect.height() > 0; ++k) {
        painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), top);
        painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), top);
        painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), bottom);
        painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), bottom);
        rect.adjust(1, 1, -1, -1);
    }
}

} // namespace

TWallpaper::TWallpaper(QWidget* parent)
    : QWidget(parent), color(palette().color(QPalette::Window)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TWallpaper::SetWallpaper(const QImage& picture) {
    wallpaper = picture;
    WallpaperChanged();
}

void TWallpaper::LoadWallpaperJpeg(const QByteArray& bytes) {
    SetWallpaper(DecodeJpeg(bytes));
}

void TWallpaper::LoadWallpaperFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw EJpegError("Cannot open picture file " + path.toStdString() + ": " +
                         file.errorString().toStdString());
    }
    try {
        LoadWallpaperJpeg(file.readAll());
    } catch (const EJpegError& e) {
        throw EJpegError(path.toStdString() + ": " + e.what());
    }
}

void TWallpaper::WallpaperChanged() {
    update();
}

void TWallpaper::SetBevelOuter(TPanelBevel value) {
    if (value != bevelOuter) {
        bevelOuter = value;
        update();
    }
}

void TWallpaper::SetBevelInner(TPanelBevel value) {
    if (value != bevelInner) {
        bevelInner = value;
        update();
    }
}

void TWallpaper::SetBevelWidth(int value) {
    if (value != bevelWidth && value >= 1) {
        bevelWidth = value;
        update();
    }
}

void TWallpaper::SetBorderWidth(int value) {
    if (value != borderWidth && value >= 0) {
        borderWidth = value;
        update();
    }
}

void TWallpaper::SetColor(const QColor& value) {
    if (value != color) {
        color = value;
        update();
    }
}

void TWallpaper::SetCaption(const QString& value) {
    if (value != caption) {
        caption = value;
        update();
    }
}

void TWallpaper::SetShowHint(bool value) {
    showHint = value;
}

void TWallpaper::paintEvent(QPaintEvent*) {
    QPainter painter(this);

    // The panel itself: outer bevel, border, inner bevel, colour, caption.
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    const auto bevel = [&](TPanelBevel kind, QRect& rect) {
        if (kind == bvNone) {
            return;
        }
        const QColor top = kind == bvLowered ? dark : kind == bvRaised ? light : color;
        const QColor bottom = kind == bvLowered ? light : kind == bvRaised ? dark : color;
        Frame3D(painter, rect, top, bottom, bevelWidth);
    };
    QRect rect = QRect(0, 0, width(), height());
    bevel(bevelOuter, rect);
    Frame3D(painter, rect, color, color, borderWidth);
    bevel(bevelInner, rect);
    if (rect.width() > 0 && rect.height() > 0) {
        painter.fillRect(rect, color);
    }
    if (!caption.isEmpty()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect, Qt::AlignCenter, caption);
    }

    if (wallpaper.isNull() || wallpaper.width() <= 0 || wallpaper.height() <= 0) {
        return;
    }
    const int b = WallpaperBorder(borderWidth, bevelOuter, bevelInner, bevelWidth);
    painter.save();
    painter.setClipRect(QRect(b, b, width() - 2 * b, height() - 2 * b));
    for (const TilePos& tile :
         WallpaperTiles(width(), height(), b, wallpaper.width(), wallpaper.height())) {
        painter.drawImage(tile.x, tile.y, wallpaper);
    }
    painter.restore();
}

bool TWallpaper::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && !showHint) {
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}
