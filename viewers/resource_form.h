// TFormResource: the resource explorer window. A tree of the resources of an
// executable on the left (a model over the reader's lists), a splitter
// (TMover), and on the right a caption panel with the save and exit buttons
// over a notebook of seven pages (list, image, text, other, version,
// message, media) and a two-panel status bar. What each page shows is
// decided by chooseResourcePage; the window only puts it on screen. Saving
// asks through the prompt service and writes with SaveToFile.
#pragma once

#include "viewers/dialog_template_view.h"
#include "viewers/resource_page.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

class QAction;
class QItemSelectionModel;
class QLabel;
class QListView;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QStackedWidget;
class QToolButton;
class QTreeView;
class QTreeWidget;

namespace ov {

class TAviPlayer;
class TExeImage;
class THexDump;
class TMover;
class ResourceTreeModel;
class ResourceRowsModel;

// The window's texts; the built-in English ones unless the language file
// gives others (section "Resource Explorer").
struct TResourceTexts {
    std::string Menu_File = "&File";
    std::string Menu_File_Save = "&Save resource";
    std::string Menu_File_Exit = "E&xit";
    std::string Menu_Service = "&Service";
    std::string Menu_Service_Expand = "Full &expand";
    std::string Menu_Service_Collaps = "Full &collapse";
    std::string Large_Icons = "Large Icons";
    std::string Small_Icons = "Small Icons";
    std::string List = "List";
    std::string Table = "Details";
    std::string Name = "Name";
    std::string OffSet = "Offset";
    std::string Size = "Size";
    std::string Objects = "Objects";
    // The save items of the context menus and the buttons' hints.
    std::string SaveAs = "&Save as...";
    std::string SaveHint = "Save resource as...";
    std::string ExitHint = "Exit out here";
    bool english = true;
};

class TFormResource : public QWidget {
public:
    explicit TFormResource(QWidget* parent = nullptr);
    ~TFormResource() override;

    // Shows the resources of a file (host path). Does nothing when the file
    // does not exist; an error opening it is shown in a message box after
    // the tree has been cleared.
    void SetFile(const std::string& fileName);
    void ApplyTexts(const TResourceTexts& texts);

    // The handlers, public for tests.
    void TreeView1Change(); // shows the current node
    void SaveClick(); // the save button, F2, the save menu items
    void FullExpandClick();
    void FullCollapseClick();
    void ViewButtonClick(int style); // 0 icon, 1 small icon, 2 list, 3 report
    void ExitClick();

    // Read access for tests.
    TExeImage* Image() const { return m_image.get(); }
    QTreeView* Tree() const { return m_tree; }
    ResourceTreeModel* TreeModel() const { return m_model; }
    ResourcePageIndex CurrentPage() const;
    const ResourcePage& Page() const { return m_page; }
    TAviPlayer* Player() const { return m_player; }
    TMover* Mover() const { return m_mover; }
    TDialogPlaceholder* Placeholder() const { return m_placeholder.data(); }
    QString CaptionText() const;
    QString StatusText(int panel) const;
    QString MessageText() const;
    bool SaveEnabled() const;
    // Selects a row of the list page (as a click would).
    void SelectListRow(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildPages();
    void clearTree();
    void loadTree();
    void showPage(ResourcePage page);
    void showMessage(const std::string& text);
    void fillList();
    void closePreview();
    TResourceItem* itemToSave() const;
    QIcon imageIcon(int index) const;

    std::unique_ptr<TExeImage> m_image;
    std::string m_fileName;
    TResourceTexts m_texts;
    ResourcePage m_page;
    bool m_clearing = false;

    ResourceTreeModel* m_model = nullptr;
    QTreeView* m_tree = nullptr;
    TMover* m_mover = nullptr;
    QLabel* m_caption = nullptr;
    QToolButton* m_save = nullptr;
    QToolButton* m_exit = nullptr;
    QStackedWidget* m_notebook = nullptr;
    QLabel* m_status[2] = {};
    QMenuBar* m_menuBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_serviceMenu = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_expandAction = nullptr;
    QAction* m_collapseAction = nullptr;
    QMenu* m_treeMenu = nullptr;
    QMenu* m_listMenu = nullptr;
    QAction* m_treeSave = nullptr;
    QAction* m_treeExpand = nullptr;
    QAction* m_treeCollapse = nullptr;
    QAction* m_listSave = nullptr;

    // Pages.
    ResourceRowsModel* m_listModel = nullptr;
    QItemSelectionModel* m_listSelection = nullptr;
    QStackedWidget* m_listViews = nullptr;
    QListView* m_listIcons = nullptr;
    QTreeView* m_listReport = nullptr;
    QToolButton* m_viewButtons[4] = {};
    QLabel* m_picture = nullptr;
    QPlainTextEdit* m_text = nullptr;
    THexDump* m_hex = nullptr;
    QLabel* m_language = nullptr;
    QTreeWidget* m_version = nullptr;
    QLabel* m_message = nullptr;
    TAviPlayer* m_player = nullptr;

    QPointer<TDialogPlaceholder> m_placeholder;
};

} // namespace ov
