// TForm1: the main window of ov. It owns the two file panels, the settings,
// the name of the active panel, the open configuration and language files
// and the command history; it builds the menus, buttons and keys of the
// command table, routes the keys no shortcut takes, runs the command line,
// opens files by type, lays out its parts, and asks before closing when the
// settings say so.
//
// Commands whose windows belong to other subsystems run through the command
// registry (shell/commands.h); a command nobody registered shows a "not
// available yet" message.
#pragma once

#include "panel/fpanel.h"
#include "platform/ini_file.h"
#include "shell/command_line.h"
#include "shell/key_routing.h"
#include "shell/language_file.h"
#include "shell/main_layout.h"
#include "shell/main_settings.h"
#include "shell/settings_file.h"

#include <QKeyCombination>
#include <QMainWindow>
#include <QSet>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QAction;
class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTimer;

namespace ov {

class DriveFactsCache;
class TCalculatorDialog;
class TMyToolBar;

// Reads the level (0..255) of a volume channel; the media layer installs the
// real one, until then every level reads 0.
using VolumeReader = std::function<int(const std::string& channel)>;
// Sets the level of a volume channel (F11/F12 on "wave").
using VolumeWriter = std::function<void(const std::string& channel, int level)>;
// Runs a modal dialog; tests replace it so that nothing blocks.
using ModalRunner = std::function<int(QDialog& dialog)>;

// The volume bar VolBar as the window uses it: the control and how to show
// a percentage 0..100 on it without writing any volume.
struct VolumeBar {
    QWidget* widget = nullptr;
    std::function<void(int percent)> setPosition;
};
// Makes VolBar in the status bar. The media layer installs its regulator
// before the window is built; without a factory the window makes a plain
// slider.
using VolumeBarFactory = std::function<VolumeBar(QWidget* parent)>;
void setVolumeBarFactory(VolumeBarFactory factory);

class TForm1 : public QMainWindow {
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // Product identity.
    static constexpr const char* ProductName = "Orvanta";
    static constexpr const char* ProductVersion = "1.10";
    static constexpr const char* ProductBuild = "2";
    static constexpr const char* ProductDate = "19.11.1998";
    static constexpr const char* ProductCaption = "Orvanta v1.11";

    std::string ActiveSide = "Left";
    std::string ProgramFolder;
    double SplitRatio = 0.5;
    bool SplitDragging = false;
    std::string DriveDialogSide = "Left";
    TMainSettings MainSettings;
    TLangTexts LangTexts;
    CommandHistory History;
    // Handed to the select-group window: 1 select / 777 unselect; 777
    // folders too / 1 files only.
    int SelectGroupMode = 1;
    int SelectGroupFolders = 1;
    // Handed to the copy command of a drag: the entry under the drag's press
    // point (with a selection, which is what then goes, the current entry);
    // 0 for every other copy.
    int DragIndex = 0;

    TFPanel* LeftPanel() const { return m_left; }
    TFPanel* RightPanel() const { return m_right; }
    TFPanel* ActivePanel() const { return ActiveSide == "Right" ? m_right : m_left; }
    TFPanel* OtherPanel() const { return ActiveSide == "Right" ? m_left : m_right; }
    IniFile& Config() { return *m_config; }
    // The open language file; every window reads its own section here.
    const IniFile& Language() const { return m_language; }
    QLineEdit* ComLine() const { return m_comLine; }
    QLineEdit* SearchEdit() const { return m_edit1; }
    bool SearchVisible() const;
    // The host folder the active panel shows (inside an archive: the folder
    // that holds the archive); "" when its drive is not mapped.
    std::string ActiveHostFolder() const;

    void SetActive(const std::string& side, TFPanel* panel, const std::string& mode);
    void ActiveLeft(const std::string& text);
    void ActiveRight(const std::string& text);
    void ChangeFolderEv(const std::string& side);
    void ChangeFilePos();
    void ChangeDrive(const std::string& side);
    void AddFileToHistory(const std::string& text);
    void File_Work(const std::string& path);
    // The name a viewer shows for a file handed to it: a member of an
    // archive taken out into the private cache by the panels shows as the
    // archive's path, "\" and its inner path; any other path as itself.
    std::string ShownName(const std::string& path) const;
    void Update_AllPanels();
    void FormResize();
    void Load_INI();
    // Writes ov.ini in one replacement of the file; false when it failed.
    bool Save_INI();
    void Default_Init();
    void Global_Init();
    void Load_Language();
    // The window stays on top when OnTop is set; the tray icon, where the
    // desktop has a tray, is shown when SysTrayIcon is.
    void ApplyWindowStyle();
    // Opens the language file MainSettings.Language names.
    void OpenLanguageFile();
    // Tab: the other panel becomes active and the prompt follows it.
    void ChangePanel();
    // Fills the work area (the RBut button).
    void RButClick();
    void TimerMainTimer();
    void setVolumeReader(VolumeReader reader) { m_volumeReader = std::move(reader); }
    void setVolumeWriter(VolumeWriter writer) { m_volumeWriter = std::move(writer); }
    void setModalRunner(ModalRunner runner) { m_modalRunner = std::move(runner); }

    // The key handler: sees every key before the focused control and never
    // consumes it.
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // Runs a command by name: a registered handler first, then the window's
    // own, else the "not available yet" message.
    void RunCommand(const std::string& name);
    // The action of a menu entry by its name ("File_Copy"), or nullptr.
    QAction* MenuAction(const std::string& name) const;

    // Commands of the window itself.
    void EnterCommand();
    void EditCommand();
    void ViewCommand();
    void CalculatorCommand();
    void EmptyRecycleBin();
    void ClearRecentDocs();
    // Asks, then puts the built-in defaults in place; false when the user
    // refused.
    bool SetDefaultConfiguration();
    void SaveConfiguration();
    void ToggleQuickSearch();
    void HideQuickSearch();
    void ShowFilesMode(ViewMode mode);
    void UpdatePanel();

    // The layout's input as the window stands now.
    MainLayoutInput layoutInput() const;

    // The drive bars, their hint box, and the cache through which they ask
    // about drives (tests install one with questions of their own).
    TMyToolBar* LeftDriveBar() const { return m_driveBars[0]; }
    TMyToolBar* RightDriveBar() const { return m_driveBars[1]; }
    QLabel* DriveHint() const { return m_hintBox; }
    void setDriveFacts(std::unique_ptr<DriveFactsCache> facts);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's parts, one screen region each, built once by the
    // constructor; buildComposition calls them in the order the window's
    // children are created (the panels last, over everything else).
    void buildComposition();
    void buildClientArea();
    void buildBars();
    void buildCommandLine();
    void buildFunctionKeys();
    void buildStatusBar();
    void buildQuickSearch();
    void buildCommandHistory();
    void buildTimers();
    void buildFilePanels();
    void buildMenus();
    void buildToolBar();
    void buildTray();
    void CreateHotDrives();
    void PostLoadInit();
    void applyBars();
    // The mouse on the window's own area: the splitter.
    void splitterPress(QMouseEvent* event);
    void splitterMove(QMouseEvent* event);
    bool FormCloseQuery();
    void FormClose();
    bool runOwnCommand(const std::string& name);
    void notAvailable(const std::string& name);
    void runFileHandler(const std::string& name, const std::string& path);
    // Tells the user that what was to be opened or started could not be, and why.
    void reportLaunchFailure(const std::string& what);
    void runExternal(const std::string& commandLine, const std::vector<std::string>& arguments);
    void changeVolume(int step);
    void refreshMenuChecks();
    int runModal(QDialog& dialog);

    // Entry index of panel as a file on a drive (a member is taken out),
    // its shown name remembered for ShownName.
    std::string localCopy(TFPanel& panel, int index);

    std::map<std::string, std::string> m_shownNames; // copy -> shown name
    std::unique_ptr<IniFile> m_config;
    IniFile m_language;
    TFPanel* m_left = nullptr;
    TFPanel* m_right = nullptr;
    QWidget* m_client = nullptr;
    QWidget* m_panel3 = nullptr;
    QWidget* m_toolBar = nullptr;
    QPushButton* m_rBut = nullptr;
    QPushButton* m_toolButtons[8] = {};
    TMyToolBar* m_driveBars[2] = {};
    QLabel* m_hintBox = nullptr;
    QLabel* m_label3 = nullptr;
    std::unique_ptr<DriveFactsCache> m_driveFacts;
    QWidget* m_panelDown = nullptr;
    QWidget* m_panelDos = nullptr;
    QLabel* m_comRead = nullptr;
    QLineEdit* m_comLine = nullptr;
    QWidget* m_hotKeyBox = nullptr;
    QPushButton* m_functionKeys[7] = {};
    QWidget* m_statusBar = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_label2 = nullptr;
    QPushButton* m_bCont = nullptr;
    QPushButton* m_bStop = nullptr;
    QProgressBar* m_posBar = nullptr;
    QWidget* m_panel5 = nullptr;
    QWidget* m_panel6 = nullptr;
    QWidget* m_volBar = nullptr;
    std::function<void(int percent)> m_setVolBar;
    QWidget* m_panelSearch = nullptr;
    QLabel* m_searchCaption = nullptr;
    QLineEdit* m_edit1 = nullptr;
    QPushButton* m_button1 = nullptr;
    QListWidget* m_comList = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QMenu* m_popupMenu2 = nullptr;
    QMenu* m_toolbarsMenu = nullptr;
    QTimer* m_timerMain = nullptr;
    QTimer* m_timer3 = nullptr;
    TCalculatorDialog* m_calculator = nullptr;
    std::map<std::string, QAction*> m_actions;
    std::map<std::string, QMenu*> m_menus;
    // Every key combination a shortcut of this window carries; the line
    // edits give them up to the shortcuts.
    QSet<QKeyCombination> m_shortcutKeys;
    VolumeReader m_volumeReader;
    VolumeWriter m_volumeWriter;
    ModalRunner m_modalRunner;
};

} // namespace ov
