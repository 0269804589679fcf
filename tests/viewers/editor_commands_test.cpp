// F3 and F4 from the main window open the one editor window.
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "tests/support/temp_folder.h"
#include "viewers/edit_window.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace ov {
namespace {

class EditorCommands : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test_editor_commands";
        static char* argv[] = { name, nullptr };
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void SetUp() override
    {
        DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } });
        ::setenv("ORVANTA_HOME", home.path().c_str(), 1);
        std::filesystem::copy_file(std::string(OV_DATA_DIR) + "/../../data/ov_eng.ini", home / "ov_eng.ini");
        std::ofstream(home / "ov.ini") << "[Panel_Left]\nPath=c:\\\n[Panel_Right]\nPath=c:\\\n";
        setPrompts(&scripted);
        registerEditorCommands();
    }
    void TearDown() override
    {
        CommandRegistry::instance().clear();
        setPrompts(nullptr);
        ::unsetenv("ORVANTA_HOME");
        DriveTable::instance().reset();
    }
    test::TempFolder root;
    test::TempFolder home;
    ScriptedPrompts scripted;
};

TEST_F(EditorCommands, ViewAndEditOpenTheSameWindow)
{
    root.write("a.txt", "alpha\n");
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.MainSettings.ConfirmExit = false;
    const FileHandler* view = CommandRegistry::instance().findFileHandler("ViewText");
    const FileHandler* edit = CommandRegistry::instance().findFileHandler("EditText");
    ASSERT_NE(view, nullptr);
    ASSERT_NE(edit, nullptr);
    (*view)(form, "c:\\a.txt");
    auto* window = form.findChild<TFormEdit*>("FormEdit");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Viewer - c:\\a.txt");
    EXPECT_TRUE(window->ReadOnly());
    EXPECT_EQ(window->findChild<QAction*>("Save1")->text(), "&Save");
    (*edit)(form, "c:\\a.txt");
    EXPECT_EQ(form.findChildren<TFormEdit*>().size(), 1);
    EXPECT_EQ(window->windowTitle(), "Editor - c:\\a.txt");
    EXPECT_FALSE(window->ReadOnly());
    EXPECT_TRUE(scripted.asked.empty());
    window->close();
}

TEST_F(EditorCommands, BigFilesPageForViewingAndAskBeforeEditing)
{
    // A sparse file above 64 MiB: reading it costs nothing on disk.
    const std::string path = root.write("big.txt", "");
    std::filesystem::resize_file(path, (64u << 20) + 1);
    TForm1 form;
    form.MainSettings.AutoSave = false;
    form.MainSettings.ConfirmExit = false;
    scripted.answers.push_back(Answer::No);
    (*CommandRegistry::instance().findFileHandler("EditText"))(form, "c:\\big.txt");
    ASSERT_EQ(scripted.asked.size(), 1u);
    EXPECT_EQ(scripted.asked[0].text,
        "This file is large: editing it takes about 12 times its size in memory. Open it anyway?");
    auto* window = form.findChild<TFormEdit*>("FormEdit");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    // Viewing asks nothing and pages.
    (*CommandRegistry::instance().findFileHandler("ViewText"))(form, "c:\\big.txt");
    EXPECT_EQ(scripted.asked.size(), 1u);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Paged());
    EXPECT_EQ(window->windowTitle(), "Viewer - c:\\big.txt");
    window->close();
    EXPECT_FALSE(window->Paged());
}

} // namespace
} // namespace ov
