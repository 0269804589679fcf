#include "viewers/picture_viewer.h"

#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/picture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace ov {
namespace {

void app()
{
    // Kept to the end of the process: Qt's own exit handlers still use it.
    static int argc = 1;
    static char name[] = "test_picture_viewer";
    static char* argv[] = { name, nullptr };
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

std::vector<unsigned char> readBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(file), {});
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// Top half: left red, right blue; bottom half fully transparent white.
QImage twoColours(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                y >= height / 2     ? qRgba(255, 255, 255, 0)
                    : x < width / 2 ? qRgb(220, 20, 20)
                                    : qRgb(20, 20, 220));
    return image;
}

TEST(PictureViewerRules, PlacementFitsTheScreenWithoutEnlarging)
{
    struct Case {
        QSize natural, screen;
        QRect expected;
    };
    const Case cases[] = {
        { { 2000, 1000 }, { 1024, 768 }, { 0, 128, 1024, 512 } },
        { { 100, 100 }, { 1024, 768 }, { 462, 334, 100, 100 } },
        { { 1000, 2000 }, { 1024, 768 }, { 320, 0, 384, 768 } },
        { { 1024, 768 }, { 1024, 768 }, { 0, 0, 1024, 768 } },
        { { 0, 0 }, { 1024, 768 }, { 512, 384, 0, 0 } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewerPlacement(c.natural, c.screen), c.expected)
            << c.natural.width() << "x" << c.natural.height();
}

TEST(PictureViewerRules, KeysAndModifiers)
{
    using A = ViewerAction;
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        A expected;
    };
    const Case cases[] = {
        { Qt::Key_Shift, Qt::ShiftModifier, A::Close }, // Shift alone closes
        { Qt::Key_Q, Qt::ControlModifier, A::None },
        { Qt::Key_Q, Qt::NoModifier, A::Close },
        { Qt::Key_Escape, Qt::NoModifier, A::Close },
        { Qt::Key_Control, Qt::ControlModifier, A::None },
        { Qt::Key_Alt, Qt::AltModifier, A::None },
        { Qt::Key_X, Qt::AltModifier, A::None },
        { Qt::Key_Q, Qt::ControlModifier | Qt::ShiftModifier, A::Close },
        { Qt::Key_Enter, Qt::KeypadModifier, A::Close },
        { Qt::Key_F2, Qt::NoModifier, A::ToggleSave },
        { Qt::Key_Insert, Qt::NoModifier, A::ToggleLabel },
        { Qt::Key_Right, Qt::NoModifier, A::Next },
        { Qt::Key_Right, Qt::ShiftModifier, A::Next },
        { Qt::Key_PageDown, Qt::NoModifier, A::Next },
        { Qt::Key_Down, Qt::KeypadModifier, A::Next },
        { Qt::Key_Space, Qt::NoModifier, A::Next },
        { Qt::Key_Left, Qt::NoModifier, A::Previous },
        { Qt::Key_PageUp, Qt::ControlModifier, A::Previous },
        { Qt::Key_Up, Qt::NoModifier, A::Previous },
        { Qt::Key_Backspace, Qt::NoModifier, A::Previous },
        { Qt::Key_Menu, Qt::NoModifier, A::None },
        { Qt::Key_Super_R, Qt::NoModifier, A::None },
    };
    for (const Case& c : cases)
        EXPECT_EQ(viewerKeyAction(c.key, c.modifiers), c.expected)
            << std::hex << c.key << " " << c.modifiers.toInt();

    EXPECT_EQ(viewerMouseAction(Qt::LeftButton), A::Close);
    EXPECT_EQ(viewerMouseAction(Qt::RightButton), A::Next);
    EXPECT_EQ(viewerMouseAction(Qt::MiddleButton), A::Previous);
}

TEST(PictureViewerRules, QualityBox)
{
    struct Case {
        const char* text;
        bool accepted;
        int quality;
        const char* error;
    };
    const Case cases[] = {
        { "", false, 0, "" },
        { "70", true, 70, "" },
        { "0", true, 1, "" },
        { "-5", true, 1, "" },
        { "250", true, 100, "" },
        { " 42 ", true, 42, "" },
        { "abc", false, 0, "'abc' is not a valid integer value" },
        { "7x", false, 0, "'7x' is not a valid integer value" },
        { "99999999999", false, 0, "'99999999999' is not a valid integer value" },
    };
    for (const Case& c : cases) {
        int quality = 0;
        std::string error;
        EXPECT_EQ(parseViewerQuality(c.text, quality, error), c.accepted) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        if (c.accepted) {
            EXPECT_EQ(quality, c.quality) << c.text;
        }
    }
    EXPECT_TRUE(isViewerPicture("c:\\a\\B.JPEG"));
    EXPECT_TRUE(isViewerPicture("c:\\x.ico"));
    EXPECT_FALSE(isViewerPicture("c:\\x.emf"));
    EXPECT_FALSE(isViewerPicture("c:\\x.jpg\\readme"));
    EXPECT_EQ(viewerLabel("a.jpg", QSize(640, 480), true), "a.jpg, 640x480");
}

TEST(SaveJpeg, DecodesBackWithItsSizeAndColours)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/out.jpg";
    std::string error;
    ASSERT_TRUE(saveJpeg(twoColours(64, 32), path, 90, &error)) << error;
    const std::vector<unsigned char> bytes = readBytes(path);
    const Picture back = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_EQ(back.status, PictureStatus::Ok);
    EXPECT_EQ(back.image.size(), QSize(64, 32));
    auto near = [](QRgb pixel, int r, int g, int b) {
        return std::abs(qRed(pixel) - r) < 30 && std::abs(qGreen(pixel) - g) < 30
            && std::abs(qBlue(pixel) - b) < 30;
    };
    EXPECT_TRUE(near(back.image.pixel(8, 8), 220, 20, 20));
    EXPECT_TRUE(near(back.image.pixel(56, 8), 20, 20, 220));
    // Transparent white lies on black.
    EXPECT_TRUE(near(back.image.pixel(8, 28), 0, 0, 0)) << std::hex << back.image.pixel(8, 28);
}

TEST(SaveJpeg, QualityIsClampedToOneThroughHundred)
{
    QTemporaryDir dir;
    const QImage image = twoColours(48, 48);
    auto saved = [&](int quality) {
        const std::string path = dir.path().toStdString() + "/q" + std::to_string(quality) + ".jpg";
        EXPECT_TRUE(saveJpeg(image, path, quality));
        return readBytes(path);
    };
    EXPECT_EQ(saved(0), saved(1));
    EXPECT_EQ(saved(-40), saved(1));
    EXPECT_EQ(saved(250), saved(100));
    EXPECT_LT(saved(1).size(), saved(100).size());
}

TEST(SaveJpeg, FailuresLeaveTheTargetAlone)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    std::string error;
    EXPECT_FALSE(saveJpeg(twoColours(8, 8), root + "/missing/out.jpg", 70, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(saveJpeg(QImage(), root + "/empty.jpg", 70, &error));
    // Wider than JPEG allows: libjpeg's fatal error comes back as a failure
    // (its own handler would end the process) and nothing is written.
    error.clear();
    EXPECT_FALSE(saveJpeg(QImage(70000, 1, QImage::Format_RGB32), root + "/wide.jpg", 70, &error));
    EXPECT_NE(error.find("JPEG"), std::string::npos) << error;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(root + "/wide.jpg")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(root + "/empty.jpg")));
    // A folder in the target's place is refused, not replaced.
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + "/folder.jpg")));
    EXPECT_FALSE(saveJpeg(twoColours(8, 8), root + "/folder.jpg", 70, &error));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(root + "/folder.jpg")).isDir());
    // An existing file is replaced whole.
    writeBytes(root + "/old.jpg", "old bytes");
    ASSERT_TRUE(saveJpeg(twoColours(8, 8), root + "/old.jpg", 70, &error));
    const std::vector<unsigned char> bytes = readBytes(root + "/old.jpg");
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    EXPECT_EQ(QDir(QString::fromStdString(root))
                  .entryList(QStringList { ".ov-*" }, QDir::Files | QDir::Hidden)
                  .size(),
        0);
}

// A panel over a plain list of Windows paths.
class ListHost : public TPictureViewerHost {
public:
    std::vector<std::string> files;
    int index = 1;
    int gestureEnds = 0;
    std::string CurrentFile() override { return files.at(static_cast<std::size_t>(index - 1)); }
    int CurrentIndex() override { return index; }
    int Count() override { return static_cast<int>(files.size()); }
    void CursorDown() override { ++index; }
    void CursorUp() override { --index; }
    void EndPanelGestures() override { ++gestureEnds; }
};

class PictureViewerWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        app();
        root = dir.path().toStdString();
        DriveTable::instance().setDrives(
            { { 'c', root, DriveType::Fixed }, { 'h', root + "/h", DriveType::Fixed } });
        QDir().mkpath(QString::fromStdString(root + "/h"));
        PictureCache::shared().clear();
        setPrompts(&scripted);
        ASSERT_TRUE(saveJpeg(twoColours(2000, 1000), root + "/wide.jpg", 70));
        ASSERT_TRUE(twoColours(100, 100).save(QString::fromStdString(root + "/small.bmp")));
        writeBytes(root + "/readme.txt", "text\n");
        // Damaged: a JPEG signature and nothing a decoder can use.
        writeBytes(root + "/bad.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10garbage-garbage-garbage", 26));
        // Over the caps: a GIF declaring 65535 x 65535.
        writeBytes(root + "/huge.gif",
            std::string("GIF89a\xFF\xFF\xFF\xFF\x00\x00\x00", 13)
                + ",\0\0\0\0\xFF\xFF\xFF\xFF\0\x02\x02\x44\x01\0;");
        host.files = { "c:\\wide.jpg", "c:\\small.bmp", "c:\\bad.jpg", "c:\\huge.gif", "c:\\gone.jpg",
            "c:\\readme.txt" };
    }
    void TearDown() override { setPrompts(nullptr); }

    void key(QWidget& target, int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QKeyEvent press(QEvent::KeyPress, k, modifiers);
        QCoreApplication::sendEvent(&target, &press);
    }

    QTemporaryDir dir;
    std::string root;
    ListHost host;
    ScriptedPrompts scripted;
};

TEST_F(PictureViewerWindow, ShowsPagesAndClosesOnATextFile)
{
    TViewerForm form(host);
    form.SetScreenSize(QSize(1024, 768));
    form.show();
    EXPECT_EQ(form.ImageRect(), QRect(0, 128, 1024, 512));
    EXPECT_EQ(form.InfoLabel->text(), "wide.jpg, 2000x1000");
    EXPECT_TRUE(form.InfoLabel->isHidden());
    key(form, Qt::Key_Insert);
    EXPECT_FALSE(form.InfoLabel->isHidden());
    EXPECT_EQ(form.InfoLabel->text(), "wide.jpg");

    // Ctrl+Q and the first entry's "previous" keep the viewer as it is.
    key(form, Qt::Key_Q, Qt::ControlModifier);
    key(form, Qt::Key_Up);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(host.index, 1);

    QMouseEvent right(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
        Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &right);
    EXPECT_EQ(host.index, 2);
    EXPECT_EQ(form.ImageRect(), QRect(462, 334, 100, 100));
    EXPECT_EQ(form.InfoLabel->text(), "small.bmp, 100x100");

    // Damaged and over-cap files: the empty screen with the label, no message.
    key(form, Qt::Key_Space);
    EXPECT_EQ(form.InfoLabel->text(), "bad.jpg, 0x0");
    EXPECT_TRUE(form.Image->isHidden());
    key(form, Qt::Key_PageDown);
    EXPECT_EQ(form.InfoLabel->text(), "huge.gif, 0x0");
    EXPECT_TRUE(form.Image->isHidden());
    EXPECT_TRUE(scripted.asked.empty());
    EXPECT_TRUE(form.isVisible());

    // An unreadable one shows its error and the name alone.
    key(form, Qt::Key_Down);
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(form.InfoLabel->text(), "gone.jpg");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(host.gestureEnds, 0);

    // Paging onto the text file closes the viewer there, and the panels'
    // gestures end once.
    key(form, Qt::Key_Right);
    EXPECT_EQ(host.index, 6);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(host.gestureEnds, 1);
}

TEST_F(PictureViewerWindow, ShiftAloneAndOtherKeysClose)
{
    for (auto [k, modifiers] : { std::pair { int(Qt::Key_Shift), Qt::KeyboardModifiers(Qt::ShiftModifier) },
             std::pair { int(Qt::Key_Q), Qt::KeyboardModifiers() },
             std::pair { int(Qt::Key_Escape), Qt::KeyboardModifiers() } }) {
        TViewerForm form(host);
        form.SetScreenSize(QSize(800, 600));
        form.show();
        key(form, k, modifiers);
        EXPECT_FALSE(form.isVisible()) << k;
    }
    EXPECT_EQ(host.gestureEnds, 3);
}

TEST_F(PictureViewerWindow, SavePanelWritesTheFullSizePicture)
{
    TViewerForm form(host);
    form.SetScreenSize(QSize(400, 300));
    form.show();
    // The shown picture is DCT-scaled to the small screen.
    EXPECT_EQ(form.ImageRect(), QRect(0, 50, 400, 200));

    key(form, Qt::Key_F2);
    ASSERT_FALSE(form.SavePanel->isHidden());
    EXPECT_EQ(form.FileNameEdit->text(), "h:\\test.jpg");
    EXPECT_EQ(form.QualityEdit->text(), "70");
    EXPECT_EQ(form.SaveButton->text(), "&Save");
    EXPECT_EQ(form.CancelButton->text(), "&Cancel");
    const QLabel* prompt = form.SavePanel->findChild<QLabel*>("Label2");
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->text(), "Specify a name new JPEG \r\nof a file in which to keep a current picture ");

    // Keys the box leaves unused neither close the viewer nor page.
    form.FileNameEdit->setFocus();
    key(*form.FileNameEdit, Qt::Key_Escape);
    key(*form.FileNameEdit, Qt::Key_Down);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(host.index, 1);

    // An empty name: the message without the line break or the trailing blank.
    form.FileNameEdit->clear();
    form.SaveButton->click();
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text, "Specify a name new JPEG of a file in which to keep a current picture");
    // An empty quality does nothing; a word is a conversion error.
    form.FileNameEdit->setText("h:\\test.jpg");
    form.QualityEdit->clear();
    form.SaveButton->click();
    EXPECT_EQ(scripted.asked.size(), 1u);
    form.QualityEdit->setText("good");
    form.SaveButton->click();
    ASSERT_EQ(scripted.asked.size(), 2u);
    EXPECT_EQ(scripted.asked[1].text, "'good' is not a valid integer value");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(root + "/h/test.jpg")));

    form.QualityEdit->setText("250");
    form.SaveButton->click();
    EXPECT_EQ(scripted.asked.size(), 2u);
    EXPECT_TRUE(form.SavePanel->isHidden());
    const std::vector<unsigned char> bytes = readBytes(root + "/h/test.jpg");
    const Picture saved = decodeJpeg(bytes.data(), bytes.size());
    ASSERT_EQ(saved.status, PictureStatus::Ok);
    EXPECT_EQ(saved.image.size(), QSize(2000, 1000));
}

} // namespace
} // namespace ov
