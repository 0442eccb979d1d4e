#pragma once

// Panel painting a picture, tiled, inside its bevels and border; holds child controls.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>
#include <vector>

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

struct TilePos {
    int x = 0;
    int y = 0;
    friend bool operator==(const TilePos&, const TilePos&) = default;
};

// Width of the frame around the picture: border plus each bevel that is not none.
int WallpaperBorder(int borderWidth, TPanelBevel bevelOuter, TPanelBevel bevelInner,
                    int bevelWidth);

// Top-left corners of the tiles for a client area, frame width b and picture size: one
// tile more than fits whole in each direction, starting at (b, b), column by column.
std::vector<TilePos> WallpaperTiles(int clientWidth, int clientHeight, int b, int pictureWidth,
                                    int pictureHeight);

class TWallpaper : public QWidget {
    Q_OBJECT
public:
    explicit TWallpaper(QWidget* parent = nullptr);

    const QImage& Wallpaper() const { return wallpaper; }
    void SetWallpaper(const QImage& picture);
    // Decodes JPEG bytes into the picture; throws EJpegError and keeps the old picture
    // when they cannot be decoded.
    void LoadWallpaperJpeg(const QByteArray& bytes);
    // Reads a JPEG file into the picture; throws EJpegError naming the file on failure.
    void LoadWallpaperFile(const QString& path);

    TPanelBevel BevelOuter() const { return bevelOuter; }
    void SetBevelOuter(TPanelBevel value);
    TPanelBevel BevelInner() const { return bevelInner; }
    void SetBevelInner(TPanelBevel value);
    int BevelWidth() const { return bevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return borderWidth; }
    void SetBorderWidth(int value);
    QColor Color() const { return color; }
    void SetColor(const QColor& value);
    QString Caption() const { return caption; }
    void SetCaption(const QString& value);
    bool ShowHint() const { return showHint; }
    void SetShowHint(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void WallpaperChanged();

    QImage wallpaper;
    TPanelBevel bevelOuter = bvRaised;
    TPanelBevel bevelInner = bvNone;
    int bevelWidth = 1;
    int borderWidth = 0;
    QColor color;
    QString caption;
    bool showHint = true;
};
