// Icon and cursor images saved from the fixture DLL decode to the same
// pixels as the source .ico and .cur files they were compiled from.
#include "viewers/exe_image.h"
#include "viewers/resource_item.h"
#include "viewers/resource_list.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>

namespace ov {
namespace {

const std::string kData = OV_DATA_DIR "/viewers/";

std::vector<QImage> decodeAll(const QByteArray& bytes, const char* format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    std::vector<QImage> images;
    for (int i = 0; i < reader.imageCount(); ++i) {
        reader.jumpToImage(i);
        images.push_back(reader.read().convertToFormat(QImage::Format_ARGB32));
    }
    return images;
}

QByteArray fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

TEST(ResourcePicture, IconsAndCursorsDecodeToTheSourcePixels)
{
    if (!QGuiApplication::instance()) {
        static int argc = 1;
        static char name[] = "test_hexdump";
        static char* argv[] = { name, nullptr };
        new QGuiApplication(argc, argv);
    }
    ASSERT_TRUE(QImageReader::supportedImageFormats().contains("ico"));
    TExeImage image(kData + "fixture.dll");
    ASSERT_NE(image.Resources(), nullptr);

    const std::vector<std::pair<std::string, std::string>> groups
        = { { "Icon/1", "app.ico" }, { "Icon/2", "small.ico" }, { "Cursor/7", "pointer.cur" } };
    TResourceList& root = *image.Resources();
    for (const auto& [path, source] : groups) {
        SCOPED_TRACE(path);
        const std::string typeName = path.substr(0, path.find('/'));
        const std::string groupName = path.substr(path.find('/') + 1);
        TResourceItem* group = nullptr;
        for (int i = 0; i < root.Count(); ++i)
            if (root.Items(i)->Name() == typeName)
                for (int g = 0; g < root.Items(i)->List().Count(); ++g)
                    if (root.Items(i)->List().Items(g)->Name() == groupName)
                        group = root.Items(i)->List().Items(g);
        ASSERT_NE(group, nullptr);
        const std::vector<QImage> expected = decodeAll(fileBytes(kData + source), "ico");
        ASSERT_EQ(static_cast<int>(expected.size()), group->List().Count());
        for (int i = 0; i < group->List().Count(); ++i) {
            ResourcePicture picture;
            group->List().Items(i)->AssignTo(picture);
            EXPECT_EQ(picture.format, typeName == "Cursor" ? "CUR" : "ICO");
            const QByteArray bytes(reinterpret_cast<const char*>(picture.bytes.data()),
                static_cast<qsizetype>(picture.bytes.size()));
            const std::vector<QImage> decoded = decodeAll(bytes, "ico");
            ASSERT_EQ(decoded.size(), 1u);
            EXPECT_FALSE(decoded[0].isNull());
            EXPECT_EQ(decoded[0], expected[static_cast<std::size_t>(i)]) << "image " << i;
            if (typeName == "Cursor") {
                // The hotspot goes into the entry, not into the pixels.
                EXPECT_EQ(picture.bytes[2], 2);
                EXPECT_EQ(picture.bytes[10] | picture.bytes[11] << 8, 5);
                EXPECT_EQ(picture.bytes[12] | picture.bytes[13] << 8, 9);
                EXPECT_EQ(bytes, fileBytes(kData + "pointer.cur"));
            }
        }
    }
}

} // namespace
} // namespace ov
