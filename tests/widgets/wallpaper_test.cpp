#include "render.h"
#include "widgets/jpeg_loader.h"
#include "widgets/wallpaper.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QRgb tileCorner = qRgb(255, 0, 0);
const QRgb tileBody = qRgb(0, 200, 0);

// A picture whose top-left pixel marks where each tile was drawn.
QImage MarkedPicture(int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(tileBody);
    picture.setPixel(0, 0, tileCorner);
    return picture;
}

std::vector<TilePos> CornersIn(const QImage& image) {
    std::vector<TilePos> corners;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (image.pixel(x, y) == tileCorner) {
                corners.push_back({x, y});
            }
        }
    }
    return corners;
}

bool ShowsPictureAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return p == tileBody || p == tileCorner;
}

QByteArray JpegBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", 95));
    return bytes;
}

QImage PlainPicture(int width, int height, QColor colour) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

} // namespace

TEST(WallpaperTiles, OneMoreTileThanFitsWhole) {
    struct Case {
        int clientWidth, clientHeight, b, pw, ph;
        size_t count;
        TilePos last;
    };
    for (const Case c : {
             Case{946, 758, 1, 946, 763, 1, {1, 1}},
             Case{102, 52, 1, 30, 20, 12, {91, 41}},
             Case{92, 42, 1, 30, 20, 12, {91, 41}},
             Case{20, 20, 7, 30, 20, 1, {7, 7}},
             Case{10, 10, 7, 30, 20, 0, {}},
             Case{100, 100, 0, 0, 20, 0, {}},
         }) {
        SCOPED_TRACE(testing::Message() << c.clientWidth << "x" << c.clientHeight << " b " << c.b
                                        << " picture " << c.pw << "x" << c.ph);
        const std::vector<TilePos> tiles =
            WallpaperTiles(c.clientWidth, c.clientHeight, c.b, c.pw, c.ph);
        ASSERT_EQ(tiles.size(), c.count);
        if (c.count > 0) {
            EXPECT_EQ(tiles.front(), (TilePos{c.b, c.b}));
            EXPECT_EQ(tiles.back(), c.last);
        }
    }
}

TEST(WallpaperTiles, BorderSum) {
    EXPECT_EQ(WallpaperBorder(0, bvRaised, bvNone, 1), 1);
    EXPECT_EQ(WallpaperBorder(3, bvRaised, bvLowered, 2), 7);
    EXPECT_EQ(WallpaperBorder(3, bvNone, bvNone, 2), 3);
    EXPECT_EQ(WallpaperBorder(0, bvNone, bvSpace, 4), 4);
}

TEST(Wallpaper, Defaults) {
    TWallpaper panel;
    EXPECT_EQ(panel.BevelOuter(), bvRaised);
    EXPECT_EQ(panel.BevelInner(), bvNone);
    EXPECT_EQ(panel.BevelWidth(), 1);
    EXPECT_EQ(panel.BorderWidth(), 0);
    EXPECT_TRUE(panel.Wallpaper().isNull());
}

TEST(Wallpaper, TilesClippedToTheInnerArea) {
    struct Case {
        const char* name;
        QSize panel;
        QSize picture;
        std::vector<TilePos> corners; // visible tile corners
        QPoint lastInside;            // the inner area's bottom-right pixel, covered by the picture
        QPoint outside;               // the bevel just beyond it, which the picture must not cover
    };
    std::vector<TilePos> twelve;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) {
            twelve.push_back({1 + 30 * i, 1 + 20 * j});
        }
    }
    std::vector<TilePos> six;
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 2; ++j) {
            six.push_back({1 + 30 * i, 1 + 20 * j});
        }
    }
    for (const Case& c : {
             Case{"window", {946, 758}, {946, 763}, {{1, 1}}, {944, 756}, {945, 757}},
             Case{"partTiles", {102, 52}, {30, 20}, twelve, {100, 50}, {101, 51}},
             Case{"tilesWhollyOutside", {92, 42}, {30, 20}, six, {90, 40}, {91, 41}},
         }) {
        SCOPED_TRACE(c.name);
        TWallpaper panel;
        panel.resize(c.panel);
        panel.SetWallpaper(MarkedPicture(c.picture.width(), c.picture.height()));
        const QImage image = Render(panel);
        EXPECT_EQ(CornersIn(image), c.corners);
        EXPECT_FALSE(ShowsPictureAt(image, c.outside.x(), c.outside.y()));
        EXPECT_FALSE(ShowsPictureAt(image, 0, 0));
        EXPECT_TRUE(ShowsPictureAt(image, c.lastInside.x(), c.lastInside.y()));
    }
}

TEST(Wallpaper, BevelsAndBorderPushTheTilesIn) {
    TWallpaper panel;
    panel.resize(60, 40);
    panel.SetBevelOuter(bvRaised);
    panel.SetBevelInner(bvLowered);
    panel.SetBevelWidth(2);
    panel.SetBorderWidth(3);
    panel.SetWallpaper(MarkedPicture(30, 20));
    const QImage image = Render(panel);
    const std::vector<TilePos> corners = CornersIn(image);
    ASSERT_FALSE(corners.empty());
    EXPECT_EQ(corners.front(), (TilePos{7, 7}));
    EXPECT_FALSE(ShowsPictureAt(image, 6, 6));
    EXPECT_FALSE(ShowsPictureAt(image, 53, 33));
    EXPECT_TRUE(ShowsPictureAt(image, 52, 32));
}

TEST(Wallpaper, WithoutAPicturePaintsOnlyThePanel) {
    for (const QImage& picture : {QImage(), QImage(0, 20, QImage::Format_RGB32)}) {
        TWallpaper panel;
        panel.resize(50, 30);
        panel.SetColor(QColor(10, 20, 30));
        panel.SetWallpaper(picture);
        const QImage image = Render(panel);
        EXPECT_EQ(image.pixel(25, 15), qRgb(10, 20, 30));
        EXPECT_NE(image.pixel(0, 0), qRgb(10, 20, 30));
    }
}

TEST(Wallpaper, NewPictureReplacesTheTiles) {
    TWallpaper panel;
    panel.resize(50, 30);
    panel.SetWallpaper(PlainPicture(10, 10, Qt::blue));
    EXPECT_EQ(Render(panel).pixel(25, 15), qRgb(0, 0, 255));
    panel.SetWallpaper(PlainPicture(10, 10, Qt::yellow));
    EXPECT_EQ(Render(panel).pixel(25, 15), qRgb(255, 255, 0));
}

TEST(JpegLoader, DecodesWhatWasEncoded) {
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(200, 40, 40));
    for (int x = 20; x < 40; ++x) {
        for (int y = 0; y < 30; ++y) {
            picture.setPixel(x, y, qRgb(30, 60, 220));
        }
    }
    const QImage decoded = DecodeJpeg(JpegBytes(picture));
    ASSERT_EQ(decoded.size(), QSize(40, 30));
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
               std::abs(qBlue(a) - qBlue(b)) <= 8;
    };
    EXPECT_TRUE(near(decoded.pixel(5, 15), qRgb(200, 40, 40)));
    EXPECT_TRUE(near(decoded.pixel(35, 15), qRgb(30, 60, 220)));

    QImage grey(16, 16, QImage::Format_Grayscale8);
    grey.fill(128);
    const QImage greyDecoded = DecodeJpeg(JpegBytes(grey));
    EXPECT_NEAR(qRed(greyDecoded.pixel(8, 8)), 128, 4);
}

TEST(JpegLoader, DamagedDataIsAnError) {
    QImage picture(64, 48, QImage::Format_RGB32);
    for (int x = 0; x < 64; ++x) {
        for (int y = 0; y < 48; ++y) {
            picture.setPixel(x, y, qRgb(x * 4, y * 5, (x * y) & 0xFF));
        }
    }
    const QByteArray good = JpegBytes(picture);
    QByteArray badHeader = good;
    badHeader[0] = 0;
    QByteArray badMarker = good;
    badMarker[3] = 0x01; // the first segment's marker
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "PNG");
    }
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    for (const Case& c : {
             Case{"empty", QByteArray()},
             Case{"headerOnly", good.left(20)},
             Case{"truncatedScan", good.left(good.size() / 2)},
             Case{"missingEnd", good.left(good.size() - 2)},
             Case{"badStartOfImage", badHeader},
             Case{"badSegmentMarker", badMarker},
             Case{"png", png},
         }) {
        SCOPED_TRACE(c.name);
        try {
            DecodeJpeg(c.bytes);
            ADD_FAILURE() << "decoded";
        } catch (const EJpegError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot decode JPEG picture: ", 0), 0u)
                << e.what();
            EXPECT_GT(std::string(e.what()).size(),
                      std::string("Cannot decode JPEG picture: ").size());
        }
    }
}

TEST(Wallpaper, CorruptJpegKeepsThePanelPlain) {
    TWallpaper panel;
    panel.resize(50, 30);
    panel.SetColor(QColor(10, 20, 30));
    const QByteArray good = JpegBytes(PlainPicture(20, 20, Qt::white));
    EXPECT_THROW(panel.LoadWallpaperJpeg(good.left(good.size() / 2)), EJpegError);
    EXPECT_TRUE(panel.Wallpaper().isNull());
    EXPECT_EQ(Render(panel).pixel(25, 15), qRgb(10, 20, 30));

    panel.LoadWallpaperJpeg(good);
    EXPECT_EQ(panel.Wallpaper().size(), QSize(20, 20));
    EXPECT_THROW(panel.LoadWallpaperJpeg(QByteArray("not a picture")), EJpegError);
    EXPECT_EQ(panel.Wallpaper().size(), QSize(20, 20));
}

TEST(Wallpaper, LoadsAFileAndNamesItOnFailure) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString good = dir.filePath("panel.jpg");
    ASSERT_TRUE(PlainPicture(12, 8, Qt::white).save(good, "JPG"));
    TWallpaper panel;
    panel.LoadWallpaperFile(good);
    EXPECT_EQ(panel.Wallpaper().size(), QSize(12, 8));

    const QString missing = dir.filePath("missing.jpg");
    try {
        panel.LoadWallpaperFile(missing);
        ADD_FAILURE() << "loaded";
    } catch (const EJpegError& e) {
        EXPECT_NE(std::string(e.what()).find(missing.toStdString()), std::string::npos);
    }
    EXPECT_EQ(panel.Wallpaper().size(), QSize(12, 8));
}
