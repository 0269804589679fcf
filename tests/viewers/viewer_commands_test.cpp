// The picture and clipboard viewers as the main window's handlers: the
// viewer pages the real panel's cursor, the clipboard window takes its
// bounds from the settings and gives them back.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/picture.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/command_window_test.h"
#include "tests/support/temp_folder.h"
#include "viewers/clipboard_commands.h"
#include "viewers/clipboard_viewer.h"
#include "viewers/picture_viewer.h"
#include "viewers/picture_viewer_commands.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace ov {
namespace {

class ViewerCommands : public test::CommandWindowTest {
protected:
    ViewerCommands()
        : CommandWindowTest(OV_LANGUAGE_DIR)
    {
    }
    void SetUp() override
    {
        CommandWindowTest::SetUp();
        QImage image(30, 20, QImage::Format_RGB32);
        image.fill(Qt::green);
        ASSERT_TRUE(saveJpeg(image, drive / "a.jpg", 80));
        ASSERT_TRUE(saveJpeg(image, drive / "b.jpg", 80));
        drive.write("c.txt", "text");
        registerPictureViewerCommands();
        registerClipboardCommands();
    }
};

void cursorTo(TFPanel* panel, const std::string& name)
{
    for (int i = 1; i <= panel->Browser.Count; ++i)
        if (panel->Browser.NameAt(i) == name) {
            panel->SetCursorIndex(i);
            return;
        }
    FAIL() << name;
}

void press(QWidget* target, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

TEST_F(ViewerCommands, PictureViewerPagesThePanelAndClosesOnText)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    TFPanel* panel = form.ActivePanel();
    panel->Settings.Path = "c:\\";
    panel->ReadFolder();
    cursorTo(panel, "a.jpg");
    const FileHandler* view = CommandRegistry::instance().findFileHandler("ViewPicture");
    ASSERT_NE(view, nullptr);

    std::vector<std::string> labels;
    QTimer::singleShot(0, [&] {
        auto* viewer = dynamic_cast<TViewerForm*>(QApplication::activeModalWidget());
        if (!viewer)
            return;
        labels.push_back(viewer->InfoLabel->text().toStdString());
        press(viewer, Qt::Key_Right);
        labels.push_back(viewer->InfoLabel->text().toStdString());
        press(viewer, Qt::Key_Right); // onto the text file: the viewer closes
        QTimer::singleShot(0, viewer, [viewer] { viewer->reject(); }); // never hang the test
    });
    (*view)(form, "c:\\a.jpg");
    EXPECT_EQ(labels, (std::vector<std::string> { "a.jpg, 30x20", "b.jpg, 30x20" }));
    EXPECT_EQ(panel->Browser.NameAt(panel->CurrentIndex()), "c.txt");
}

TEST_F(ViewerCommands, ClipboardWindowBoundsComeFromAndGoBackToTheSettings)
{
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.MainSettings.Clipboard_Left = 0;
    form.MainSettings.Clipboard_Top = -3;
    form.MainSettings.Clipboard_Width = 0;
    form.MainSettings.Clipboard_Height = 240;
    const CommandHandler* clipboard = CommandRegistry::instance().find("Clipboard");
    ASSERT_NE(clipboard, nullptr);
    QRect shown;
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* window = dynamic_cast<TFormClip*>(QApplication::activeModalWidget());
        if (!window)
            return;
        shown = window->geometry();
        caption = window->windowTitle();
        window->setGeometry(70, 80, 320, 260);
        window->OkButton->click();
    });
    (*clipboard)(form);
    EXPECT_EQ(shown, QRect(50, 50, 300, 240));
    EXPECT_EQ(caption, "Clipboard viewer");
    EXPECT_EQ(form.MainSettings.Clipboard_Left, 70);
    EXPECT_EQ(form.MainSettings.Clipboard_Top, 80);
    EXPECT_EQ(form.MainSettings.Clipboard_Width, 320);
    EXPECT_EQ(form.MainSettings.Clipboard_Height, 260);
}

} // namespace
} // namespace ov
