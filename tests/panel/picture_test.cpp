// The shared picture module: JPEG through libjpeg with DCT scaling and caps,
// the other formats through Qt's readers, and the last-picture cache.
#include "platform/picture.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include <cstdio>
#include <fstream>
#include <utime.h>
#include <vector>

#include <jpeglib.h>

using namespace ov;

namespace {

// Encodes a JPEG of one flat colour with libjpeg's own encoder.
// components 1 (gray), 3 (RGB) or 4 (CMYK, written with Adobe's marker).
std::vector<unsigned char> makeJpeg(
    int width, int height, int components, const unsigned char* sample, bool progressive = false)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(width * components));
    for (int x = 0; x < width; ++x)
        for (int c = 0; c < components; ++c)
            row[static_cast<std::size_t>(x * components + c)] = sample[c];
    while (info.next_scanline < info.image_height) {
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<unsigned char> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

bool near(QRgb pixel, QRgb expected)
{
    return std::abs(qRed(pixel) - qRed(expected)) < 12 && std::abs(qGreen(pixel) - qGreen(expected)) < 12
        && std::abs(qBlue(pixel) - qBlue(expected)) < 12;
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

TEST(Picture, JpegColourSpaces)
{
    const unsigned char red[3] = { 255, 0, 0 };
    const unsigned char gray[1] = { 128 };
    // Adobe's CMYK is stored inverted: 255 is no ink. Red: no cyan, full
    // magenta and yellow, no black.
    const unsigned char cmykRed[4] = { 255, 0, 0, 255 };
    struct Row {
        const char* name;
        std::vector<unsigned char> bytes;
        QRgb expected;
    } rows[] = {
        { "rgb", makeJpeg(40, 30, 3, red), qRgb(255, 0, 0) },
        { "progressive rgb", makeJpeg(40, 30, 3, red, true), qRgb(255, 0, 0) },
        { "grayscale", makeJpeg(40, 30, 1, gray), qRgb(128, 128, 128) },
        { "cmyk", makeJpeg(40, 30, 4, cmykRed), qRgb(255, 0, 0) },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Picture picture = decodeJpeg(row.bytes.data(), row.bytes.size());
        ASSERT_EQ(picture.status, PictureStatus::Ok);
        EXPECT_EQ(picture.naturalSize, QSize(40, 30));
        EXPECT_EQ(picture.image.size(), QSize(40, 30));
        EXPECT_TRUE(near(picture.image.pixel(20, 15), row.expected))
            << std::hex << picture.image.pixel(20, 15);
    }
}

TEST(Picture, DctScalingCoversTheBox)
{
    struct Row {
        QSize natural, box;
        int numerator;
    } rows[] = {
        { { 800, 600 }, { 100, 100 }, 1 }, // shown 100 x 75: 1/8 gives 100 x 75
        { { 800, 600 }, { 101, 100 }, 2 }, // 1/8 is one pixel short
        { { 4000, 3000 }, { 400, 400 }, 1 }, { { 4000, 3000 }, { 1200, 1000 }, 3 },
        { { 100, 80 }, { 400, 400 }, 8 }, // never scaled up: full size
        { { 800, 600 }, { 0, 0 }, 8 }, // no box: full size
        { { 600, 800 }, { 100, 100 }, 1 }, // portrait: shown 75 x 100
    };
    for (const Row& row : rows)
        EXPECT_EQ(jpegScaleNumerator(row.natural, row.box), row.numerator)
            << row.natural.width() << "x" << row.natural.height();

    const unsigned char blue[3] = { 0, 0, 255 };
    const std::vector<unsigned char> bytes = makeJpeg(800, 600, 3, blue);
    const Picture picture = decodeJpeg(bytes.data(), bytes.size(), QSize(100, 100));
    ASSERT_EQ(picture.status, PictureStatus::Ok);
    EXPECT_EQ(picture.naturalSize, QSize(800, 600));
    EXPECT_EQ(picture.image.size(), QSize(100, 75));
    EXPECT_TRUE(near(picture.image.pixel(50, 37), qRgb(0, 0, 255)));
    EXPECT_EQ(fitPictureSize(QSize(800, 600), QSize(100, 100)), QSize(100, 75));
    EXPECT_EQ(fitPictureSize(QSize(50, 400), QSize(100, 100)), QSize(12, 100));
}

TEST(Picture, DamagedJpegsAreRefused)
{
    const unsigned char red[3] = { 255, 0, 0 };
    const std::vector<unsigned char> good = makeJpeg(64, 64, 3, red);

    // The size fields of the SOF0 marker (FF C0, length, precision, height, width).
    std::vector<unsigned char> huge = good;
    for (std::size_t i = 0; i + 9 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            huge[i + 5] = 0xEA; // height 60000
            huge[i + 6] = 0x60;
            huge[i + 7] = 0xEA; // width 60000
            huge[i + 8] = 0x60;
            break;
        }
    }
    std::vector<unsigned char> truncatedHeader(good.begin(), good.begin() + 40);
    std::vector<unsigned char> garbage(200, 0x5A);
    garbage[0] = 0xFF;
    garbage[1] = 0xD8;

    EXPECT_EQ(decodeJpeg(huge.data(), huge.size()).status, PictureStatus::TooLarge);
    EXPECT_EQ(decodeJpeg(truncatedHeader.data(), truncatedHeader.size()).status, PictureStatus::Invalid);
    EXPECT_EQ(decodeJpeg(garbage.data(), garbage.size()).status, PictureStatus::Invalid);
    EXPECT_EQ(decodeJpeg(nullptr, 0).status, PictureStatus::Invalid);
    // Data cut inside the scan still gives a picture (the rest is grey).
    std::vector<unsigned char> truncatedData(good.begin(), good.end() - 8);
    const Picture partial = decodeJpeg(truncatedData.data(), truncatedData.size());
    EXPECT_EQ(partial.status, PictureStatus::Ok);
    EXPECT_EQ(partial.image.size(), QSize(64, 64));
}

TEST(Picture, OtherFormatsAndTheCache)
{
    test::TempFolder folder;
    QImage bitmap(30, 20, QImage::Format_RGB32);
    bitmap.fill(qRgb(0, 255, 0));
    ASSERT_TRUE(bitmap.save(QString::fromStdString(folder / "green.bmp"), "BMP"));
    ASSERT_TRUE(bitmap.save(QString::fromStdString(folder / "green.ico"), "ICO"));
    // A 1 x 1 GIF written byte by byte from the GIF89a layout.
    writeFile(folder / "dot.gif",
        { 'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x2C, 0, 0, 0, 0,
            1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, 0x3B });
    writeFile(folder / "fake.bmp", { 'n', 'o', 't', ' ', 'a', ' ', 'b', 'm', 'p' });

    Picture picture = loadPicture(folder / "green.bmp");
    ASSERT_EQ(picture.status, PictureStatus::Ok);
    EXPECT_EQ(picture.naturalSize, QSize(30, 20));
    EXPECT_TRUE(near(picture.image.pixel(5, 5), qRgb(0, 255, 0)));
    EXPECT_EQ(loadPicture(folder / "green.ico").status, PictureStatus::Ok);
    EXPECT_EQ(loadPicture(folder / "dot.gif").naturalSize, QSize(1, 1));
    EXPECT_EQ(loadPicture(folder / "fake.bmp").status, PictureStatus::Invalid);
    EXPECT_EQ(loadPicture(folder / "missing.jpg").status, PictureStatus::Unreadable);

    // A JPEG is recognised by its signature, whatever its name says.
    const unsigned char red[3] = { 255, 0, 0 };
    writeFile(folder / "photo.bmp", makeJpeg(16, 16, 3, red));
    EXPECT_EQ(loadPicture(folder / "photo.bmp").naturalSize, QSize(16, 16));

    PictureCache cache;
    const std::string path = folder / "photo.bmp";
    EXPECT_EQ(cache.load(path, QSize(100, 100)).status, PictureStatus::Ok);
    EXPECT_EQ(cache.load(path, QSize(100, 100)).status, PictureStatus::Ok);
    EXPECT_EQ(cache.decodeCount(), 1);
    // A new modification time (same name and size) decodes again.
    utimbuf times { 1000000, 1000000 };
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
    const unsigned char blue[3] = { 0, 0, 255 };
    writeFile(path, makeJpeg(16, 16, 3, blue));
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
    cache.load(path, QSize(100, 100));
    EXPECT_EQ(cache.decodeCount(), 2);
    times = { 2000000, 2000000 };
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
    const Picture reloaded = cache.load(path, QSize(100, 100));
    EXPECT_EQ(cache.decodeCount(), 3);
    EXPECT_TRUE(near(reloaded.image.pixel(8, 8), qRgb(0, 0, 255)));
    // Another box decodes again; a missing file empties the cache.
    cache.load(path, QSize(50, 50));
    EXPECT_EQ(cache.decodeCount(), 4);
    EXPECT_EQ(cache.load(folder / "gone.jpg", QSize(50, 50)).status, PictureStatus::Unreadable);
}
