#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

// The pictures are resources of a static library; registering them keeps the linker
// from dropping them. Outside any namespace, where the resource's function lives.
static int RegisterAssets() {
    Q_INIT_RESOURCE(window_assets);
    return 0;
}
[[maybe_unused]] static const int kAssetsRegistered = RegisterAssets();

namespace {

// Bits per pixel from the BMP header: QImage loads 24-bit files as 32-bit images, so the
// depth the window relies on is read from the file itself.
int BmpBitsPerPixel(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray header = file.read(30);
    if (header.size() < 30 || !header.startsWith("BM")) {
        return -1;
    }
    return static_cast<unsigned char>(header[28]) | static_cast<unsigned char>(header[29]) << 8;
}

TEST(Assets, FrontPanelIsAJpegOfThePanelSize) {
    QFile file(":/assets/front_panel.jpg");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(2) == QByteArray("\xFF\xD8", 2));
    const QImage panel(":/assets/front_panel.jpg");
    EXPECT_EQ(panel.size(), QSize(946, 763));
}

TEST(Assets, WaveformStripHoldsEightDifferentFrames) {
    EXPECT_EQ(BmpBitsPerPixel(":/assets/waveforms.bmp"), 24);
    const QImage strip(":/assets/waveforms.bmp");
    ASSERT_EQ(strip.size(), QSize(1440, 100));
    for (int k = 0; k + 1 < 8; ++k) {
        EXPECT_NE(strip.copy(180 * k, 0, 180, 100), strip.copy(180 * (k + 1), 0, 180, 100))
            << "frame " << k;
    }
}

TEST(Assets, DonateButtonIsTwentyFourBit) {
    EXPECT_EQ(BmpBitsPerPixel(":/assets/donate.bmp"), 24);
    EXPECT_EQ(QImage(":/assets/donate.bmp").size(), QSize(93, 27));
}

} // namespace
