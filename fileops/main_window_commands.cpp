#include "fileops/main_window_commands.h"

#include "fileops/attrib_window.h"
#include "fileops/copy_window.h"
#include "fileops/delete_window.h"
#include "fileops/extract_window.h"
#include "fileops/file_color_window.h"
#include "fileops/file_colors.h"
#include "fileops/folder_hist_window.h"
#include "fileops/folder_history.h"
#include "fileops/form_host.h"
#include "fileops/group_select.h"
#include "fileops/new_dir_window.h"
#include "fileops/new_file_window.h"
#include "fileops/plus_window.h"
#include "fileops/ren_move_window.h"
#include "fileops/sort_window.h"
#include "panel/panel_text.h"
#include "platform/folders.h"
#include "shell/commands.h"
#include "shell/main_window.h"

namespace ov {

void registerFileOpsCommands()
{
    registerCommand("Copy", [](TForm1& form) {
        FormHost host(form);
        TFormCopy::Execute(host, form.DragIndex);
    });
    registerCommand("Move", [](TForm1& form) {
        FormHost host(form);
        TFormRenMove::Execute(host);
    });
    registerCommand("Delete", [](TForm1& form) {
        FormHost host(form);
        TFormDelete::Execute(host);
    });
    registerCommand("Extract", [](TForm1& form) {
        FormHost host(form);
        TFormExtract::Execute(host);
    });
    registerCommand("MkDir", [](TForm1& form) {
        FormHost host(form);
        TFormNewDir::Execute(host);
    });
    registerCommand("CreateFile", [](TForm1& form) {
        FormHost host(form);
        TFormNewFile::Execute(host);
    });
    registerCommand("Attributes", [](TForm1& form) {
        FormHost host(form);
        TFormAttrib::Execute(host);
    });
    registerCommand("SelectGroup", [](TForm1& form) {
        FormHost host(form);
        TFormPlus::Execute(host, form.SelectGroupMode, form.SelectGroupFolders);
    });
    registerCommand("UnselectAll", [](TForm1& form) {
        FormHost host(form);
        UnselectAll(host.List(PanelSide::Active));
        host.RepaintPanels();
    });
    registerCommand("SortModes", [](TForm1& form) {
        FormHost host(form);
        TFormSort::Execute(host);
    });
    registerFileHandler("AddFolderToHistory",
        [](TForm1&, const std::string& folder) { FolderHistory::shared().Add(folder); });
    registerCommand("FoldersHistory", [](TForm1& form) {
        FormHost host(form);
        TFormFolderHist::Execute(host);
    });
    // The highlighting table is read once at start-up and written with each
    // save of the configuration.
    LoadFilesColors(programFolder() + "/" + FilesColorsFileName, ExtensionColors::shared());
    registerCommand("FilesColors", [](TForm1& form) {
        FormHost host(form);
        TFormFileColor::Execute(host);
    });
    registerCommand("SaveFilesColors", [](TForm1&) {
        SaveFilesColors(programFolder() + "/" + FilesColorsFileName, ExtensionColors::shared());
    });
}

} // namespace ov
