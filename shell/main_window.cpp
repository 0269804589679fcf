// TForm1: composition, start-up order, configuration, language, commands and
// keys, the command line, layout, splitter, active panel, timers, tray icon
// and closing.
#include "shell/main_window.h"

#include "panel/drive_facts.h"
#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/folders.h"
#include "platform/fonts.h"
#include "platform/launcher.h"
#include "shell/calculator.h"
#include "shell/commands.h"
#include "shell/desktop_lists.h"
#include "shell/drive_bar.h"
#include "shell/menu_table.h"
#include "shell/tool_bar.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>

#include <cmath>
#include <thread>

namespace ov {

namespace {

QWidget* makePanel(QWidget* parent, const char* name)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setAutoFillBackground(true);
    return panel;
}

QString qtext(const std::string& text)
{
    return QString::fromStdString(text);
}

// The window's own client area: paints the gaps with the window colour and
// hands its mouse to the splitter.
class ClientArea : public QWidget {
public:
    explicit ClientArea(QWidget* parent)
        : QWidget(parent)
    {
        setMouseTracking(true);
        setAutoFillBackground(true);
    }
    std::function<void(QMouseEvent*)> onPress, onMove, onRelease;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (onPress)
            onPress(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (onMove)
            onMove(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (onRelease)
            onRelease(event);
    }
};

// The function-key row: name, built-in caption, language key, command.
struct FunctionKey {
    const char* name;
    const char* caption;
    const char* key;
    const char* command;
};
const FunctionKey FunctionKeys[7] = {
    { "F2", "2-Menu", "Menu", "UserMenu" },
    { "F3", "3-View", "Viewer", "View" },
    { "F4", "4-Edit", "Editor", "Edit" },
    { "F5", "5-Copy", "Copy", "Copy" },
    { "F6", "6-Ren/Move", "Rename", "Move" },
    { "F7", "7-MkDir", "NewDir", "MkDir" },
    { "F8", "8-Delete", "DelFile", "Delete" },
};

// The tool bar: name, built-in hint, language key, command.
const FunctionKey ToolButtons[8] = {
    { "ToolBtn_Help", "Help", "Hint_Help", "Help" },
    { "ToolBtn_ExtEditor", "External editor", "Hint_ExtEditor", "ExternalEditor" },
    { "ToolBtn_SysInfo", "SysInfo", "Hint_SysInfo", "SystemInfo" },
    { "ToolBtn_InetDialer", "Internet", "Hint_InetDialer", "Dialer" },
    { "ToolBtn_Clipboard", "Clipboard", "Hint_Clipboard", "Clipboard" },
    { "ToolBtn_CDPlayer", "CD-Player", "Hint_CD-Player", "CDPlayer" },
    { "ToolBtn_Calculator", "Calculator", "Hint_Calculator", "Calculator" },
    { "ToolBtn_ResExplorer", "Resource Explorer", "Hint_ResExplorer", "ResourceExplorer" },
};

// The entry a drag released over the other panel took with it. With a
// selection the selection goes and any entry stands for it; without one it
// is the entry under the press point. 0 when that entry is no longer in the
// list.
int draggedEntry(const TFPanel& panel)
{
    return panel.Browser.SelCount > 0 ? panel.CurrentIndex() : panel.DraggedIndex();
}

// A panel's settings as ov.ini keeps them. Once its list has read, the
// panel's folder and sort mode are the list's: a panel inside an archive
// reopens in the folder that holds the archive.
PanelSettings settingsToSave(const TFPanel& panel)
{
    PanelSettings p = panel.settings();
    const TBrowser& list = panel.Browser;
    if (!list.DiskRoot.empty()) {
        p.Path = reopenFolder(list);
        p.SortSetting = sortMethodText(list.SortMode);
    }
    return p;
}

VolumeBarFactory& volumeBarFactory()
{
    static VolumeBarFactory factory;
    return factory;
}

} // namespace

void setVolumeBarFactory(VolumeBarFactory factory)
{
    volumeBarFactory() = std::move(factory);
}

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
    , m_language(IniFile::fromText(""))
{
    setObjectName("Form1");
    // Super_Global: the program folder, the configuration file.
    ProgramFolder = programFolder();
    QApplication::setApplicationName(QLatin1String(ProductName));
    m_config = std::make_unique<IniFile>(ProgramFolder + "/ov.ini");
    DriveTable::instance().applyIni(*m_config);

    buildComposition();
    CreateHotDrives();

    Global_Init();
    Default_Init();
    Load_INI();
    PostLoadInit();
    // Both panels read their folders at once, the right one on a helper
    // thread: reading a large folder is most of the start-up, and one folder
    // shown in both is read once.
    {
        const SharedListings shared;
        // The engine reads the right panel's folder into a list of its own
        // on the helper thread (no widget is touched there); the panel takes
        // that list over here.
        const TFPanel::ListRequest request = m_right->PrepareList();
        TBrowser rightList;
        m_right->copyListOptions(rightList);
        std::thread right(
            [&rightList, request] { rightList.OpenDisk(request.root, DiskKind::Standard, request.folder); });
        m_left->OpenList();
        right.join();
        m_right->AdoptList(rightList);
    }
    m_left->ShowOpenedList();
    m_right->ShowOpenedList();
    Load_Language();
    ChangeFolderEv(ActiveSide);
    FormResize();
    // Key preview: every key of this window passes FormKeyDown first.
    qApp->installEventFilter(this);
    m_comLine->setFocus();
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
}

// Both drive bars from the drive table, asking about drives through one
// cache; the left bar drives the left panel, the right bar the right one.
void TForm1::CreateHotDrives()
{
    ov::CreateHotDrives(*m_driveBars[0], *m_driveBars[1], DriveTable::instance().drives(), m_right->x(), 29);
    m_driveFacts = std::make_unique<DriveFactsCache>();
    for (TMyToolBar* bar : m_driveBars) {
        const bool left = bar == m_driveBars[0];
        bar->Panel = left ? m_left : m_right;
        bar->OtherPanel = left ? m_right : m_left;
        bar->HintTopPanel = m_left;
        bar->Facts = m_driveFacts.get();
        bar->NotReadyText = [this] { return LangTexts.DriveNotReady; };
    }
}

void TForm1::setDriveFacts(std::unique_ptr<DriveFactsCache> facts)
{
    m_driveFacts = std::move(facts);
    for (TMyToolBar* bar : m_driveBars)
        bar->Facts = m_driveFacts.get();
}

void TForm1::buildComposition()
{
    buildClientArea();
    buildBars();
    buildCommandLine();
    buildFunctionKeys();
    buildStatusBar();
    buildQuickSearch();
    buildCommandHistory();
    buildTimers();
    buildMenus();
    buildToolBar();
    buildTray();
    buildFilePanels();
}

// FilePanels_Init: the left and the right panel on the client area, each at
// its built-in settings, with their events wired to this window.
void TForm1::buildFilePanels()
{
    ActiveSide = "Left";
    m_left = new TFPanel(m_client);
    m_right = new TFPanel(m_client);
    m_left->setObjectName("Left");
    m_right->setObjectName("Right");
    m_left->PanelName = "Left";
    m_right->PanelName = "Right";
    m_left->IsActive = true;
    m_right->IsActive = false;
    m_left->OtherPanel = m_right;
    m_right->OtherPanel = m_left;
    for (TFPanel* panel : { m_left, m_right }) {
        panel->setGeometry(20, 40, 250, 270);
        panel->ResetDefaults();
        panel->show();
        panel->OnFileEnter = [this](TFPanel* sender, const std::string& path) {
            // A member's copy: named after the member, as F3 names it.
            if (sender->Browser.DiskKind == DiskKind::Archive && sender->HasCurrentEntry())
                m_shownNames[path]
                    = sender->Browser.CurrentFolder() + sender->Browser.NameAt(sender->CurrentIndex());
            File_Work(path);
        };
        panel->OnChangeDrive = [this](TFPanel*, const std::string& side) { ChangeDrive(side); };
        panel->OnChangePos = [this](TFPanel*) { ChangeFilePos(); };
        panel->OnChangeFolder = [this](TFPanel*, const std::string& side) { ChangeFolderEv(side); };
        panel->OnAddFileHistory = [this](TFPanel*, const std::string& text) { AddFileToHistory(text); };
        panel->OnViewFile = [this](TFPanel*) { ViewCommand(); };
        panel->OnOpenResources = [this](TFPanel*, const std::string&) { RunCommand("ResourceExplorer"); };
        panel->OnDragCopy = [this](TFPanel* sender) {
            // The press made the dragging panel the active one: the source.
            DragIndex = sender == ActivePanel() ? draggedEntry(*sender) : 0;
            if (DragIndex > 0)
                RunCommand("Copy");
            DragIndex = 0;
        };
        panel->OnCloseQuickSearch = [this](TFPanel*) { HideQuickSearch(); };
        // The folder-history window keeps its list once it is registered;
        // until then a visited folder is simply not remembered.
        panel->OnAddFolderHistory = [this](TFPanel*, const std::string& folder) {
            if (const FileHandler* handler
                = CommandRegistry::instance().findFileHandler("AddFolderToHistory"))
                (*handler)(*this, folder);
        };
    }
    m_left->OnChangeActive = [this](TFPanel*, const std::string& text) { ActiveLeft(text); };
    m_right->OnChangeActive = [this](TFPanel*, const std::string& text) { ActiveRight(text); };
}

// The window itself and its client area, whose own mouse work is the splitter
// between the panels (the panels are placed on it by buildFilePanels).
void TForm1::buildClientArea()
{
    setWindowTitle(QLatin1String(ProductCaption));
    setFont(makeFont("MS Sans Serif", 8, false));

    auto* client = new ClientArea(this);
    client->setObjectName("ClientArea");
    client->onPress = [this](QMouseEvent* e) { splitterPress(e); };
    client->onMove = [this](QMouseEvent* e) { splitterMove(e); };
    client->onRelease = [this](QMouseEvent*) { SplitDragging = false; };
    m_client = client;
    setCentralWidget(client);
}

// Panel3 at the top: the tool bar with RBut, and the two drive bars.
void TForm1::buildBars()
{
    m_panel3 = makePanel(m_client, "Panel3");
    m_panel3->setContextMenuPolicy(Qt::CustomContextMenu);
    m_toolBar = makePanel(m_panel3, "ToolBar");
    m_toolBar->setContextMenuPolicy(Qt::CustomContextMenu);
    m_rBut = new QPushButton(m_toolBar);
    m_rBut->setObjectName("RBut");
    m_rBut->setFixedSize(17, 17);
    m_rBut->setFocusPolicy(Qt::NoFocus);
    connect(m_rBut, &QPushButton::clicked, this, [this] { RButClick(); });
    for (int i = 0; i < 2; ++i) {
        m_driveBars[i] = new TMyToolBar(m_panel3);
        m_driveBars[i]->setObjectName(i == 0 ? "LeftDriveBar" : "RightDriveBar");
    }
}

// Panel_Down with the prompt ComRead and the command line ComLine.
void TForm1::buildCommandLine()
{
    m_panelDown = makePanel(m_client, "Panel_Down");
    m_panelDos = makePanel(m_panelDown, "Panel_Dos");
    QPalette black = m_panelDos->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::Base, Qt::black);
    black.setColor(QPalette::Text, Qt::white);
    black.setColor(QPalette::WindowText, Qt::white);
    m_panelDos->setPalette(black);
    QFont bold = font();
    bold.setBold(true);
    m_comRead = new QLabel(QStringLiteral("C:\\"), m_panelDos);
    m_comRead->setObjectName("ComRead");
    m_comRead->setFont(bold);
    m_comLine = new QLineEdit(m_panelDos);
    m_comLine->setObjectName("ComLine");
    m_comLine->setFont(bold);
    m_comLine->setFrame(false);
    m_comLine->setReadOnly(true);
    m_comLine->setPalette(black);
    // The command line holds the focus; the panels never take it.
    m_comLine->setFocusPolicy(Qt::StrongFocus);
    connect(m_comLine, &QLineEdit::textChanged, this, [this](const QString& text) {
        // The space that selected an entry never stays on an empty line.
        if (text == QLatin1String(" "))
            m_comLine->clear();
    });
}

// The row of function-key buttons F2 ... F8 under the command line.
void TForm1::buildFunctionKeys()
{
    auto* spacer = makePanel(m_panelDown, "Panel1");
    spacer->setGeometry(0, 17, 10, 2);
    m_hotKeyBox = makePanel(m_panelDown, "HotKeyBox");
    m_hotKeyBox->setFont(makeFont("Arial", 8, false));
    for (int i = 0; i < 7; ++i) {
        m_functionKeys[i] = new QPushButton(QLatin1String(FunctionKeys[i].caption), m_hotKeyBox);
        m_functionKeys[i]->setObjectName(QLatin1String(FunctionKeys[i].name));
        m_functionKeys[i]->setFocusPolicy(Qt::NoFocus);
        const std::string command = FunctionKeys[i].command;
        connect(m_functionKeys[i], &QPushButton::clicked, this, [this, command] { RunCommand(command); });
    }
}

// StatusBar1: the music controls and the volume regulator.
void TForm1::buildStatusBar()
{
    m_statusBar = makePanel(m_client, "StatusBar1");
    m_statusBar->setContextMenuPolicy(Qt::CustomContextMenu);
    m_label2 = new QLabel(m_statusBar);
    m_label2->setObjectName("Label2");
    m_label2->setFont(makeFont("Small Fonts", 7, false));
    m_label2->setContextMenuPolicy(Qt::CustomContextMenu);
    m_bCont = new QPushButton(m_statusBar);
    m_bCont->setObjectName("b_cont");
    m_bCont->setCheckable(true);
    m_bCont->setFixedSize(11, 11);
    m_bStop = new QPushButton(QStringLiteral("="), m_statusBar);
    m_bStop->setObjectName("b_stop");
    m_bStop->setFixedSize(11, 11);
    connect(m_bStop, &QPushButton::clicked, this, [this] { RunCommand("StopMusic"); });
    m_posBar = new QProgressBar(m_statusBar);
    m_posBar->setObjectName("PosBar");
    m_posBar->setRange(0, 100);
    m_posBar->setTextVisible(false);
    m_posBar->setFixedSize(150, 11);
    m_panel5 = makePanel(m_statusBar, "Panel5");
    m_panel6 = makePanel(m_statusBar, "Panel6");
    VolumeBar volBar = volumeBarFactory() ? volumeBarFactory()(m_statusBar) : VolumeBar {};
    if (!volBar.widget) {
        auto* slider = new QSlider(Qt::Horizontal, m_statusBar);
        slider->setRange(0, 100);
        volBar = { slider, [slider](int percent) { slider->setValue(percent); } };
    }
    m_volBar = volBar.widget;
    m_setVolBar = std::move(volBar.setPosition);
    m_volBar->setObjectName("VolBar");
    m_volBar->setFixedSize(150, 14);
    m_volBar->setFocusPolicy(Qt::NoFocus);
    m_label1 = new QLabel(tr("Wave volume"), m_statusBar);
    m_label1->setObjectName("Label1");
    for (QWidget* w :
        { static_cast<QWidget*>(m_bCont), static_cast<QWidget*>(m_bStop), static_cast<QWidget*>(m_posBar) })
        w->setFocusPolicy(Qt::NoFocus);
}

// The hidden quick-search box PanelSearch.
void TForm1::buildQuickSearch()
{
    m_panelSearch = makePanel(m_client, "PanelSearch");
    m_panelSearch->setFixedSize(180, 24);
    m_searchCaption = new QLabel(tr("  Search"), m_panelSearch);
    m_searchCaption->setObjectName("PanelSearchCaption");
    m_searchCaption->setGeometry(0, 4, 60, 16);
    m_edit1 = new QLineEdit(m_panelSearch);
    m_edit1->setObjectName("Edit1");
    m_edit1->setGeometry(62, 2, 114, 20);
    connect(m_edit1, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.isEmpty() && m_panelSearch->isVisible())
            ActivePanel()->QuickSearchNext(text.toStdString());
    });
    m_button1 = new QPushButton(m_panelSearch);
    m_button1->setObjectName("Button1");
    m_button1->setDefault(true);
    m_button1->setFocusPolicy(Qt::NoFocus);
    m_button1->setGeometry(0, 0, 0, 0);
    connect(m_button1, &QPushButton::clicked, this, [this] { HideQuickSearch(); });
    m_panelSearch->hide();
}

// The hidden list of the command history.
void TForm1::buildCommandHistory()
{
    m_comList = new QListWidget(m_client);
    m_comList->setObjectName("ComList");
    m_comList->hide();
}

// TimerMain (volume display) and Timer3 (music progress).
void TForm1::buildTimers()
{
    m_timerMain = new QTimer(this);
    m_timerMain->setObjectName("TimerMain");
    m_timerMain->setInterval(500);
    connect(m_timerMain, &QTimer::timeout, this, [this] { TimerMainTimer(); });
    m_timerMain->start();
    m_timer3 = new QTimer(this);
    m_timer3->setObjectName("Timer3");
    m_timer3->setInterval(100);
}

void TForm1::buildMenus()
{
    auto* bar = menuBar();
    bar->setObjectName("MainMenu1");
    for (const MenuEntry& entry : mainMenuTable()) {
        if (entry.separator) {
            m_menus.at(entry.menu)->addSeparator();
            continue;
        }
        const bool hasChildren = std::any_of(mainMenuTable().begin(), mainMenuTable().end(),
            [&](const MenuEntry& other) { return other.menu == entry.name; });
        QAction* action = nullptr;
        if (hasChildren || entry.menu.empty()) {
            QMenu* parentMenu = entry.menu.empty() ? nullptr : m_menus.at(entry.menu);
            auto* menu
                = parentMenu ? parentMenu->addMenu(qtext(entry.caption)) : bar->addMenu(qtext(entry.caption));
            menu->setObjectName(qtext(entry.name));
            m_menus[entry.name] = menu;
            action = menu->menuAction();
        } else {
            action = m_menus.at(entry.menu)->addAction(qtext(entry.caption));
        }
        action->setObjectName(qtext(entry.name));
        action->setVisible(entry.visible);
        action->setEnabled(entry.enabled);
        m_actions[entry.name] = action;
        if (!entry.command.empty() && !hasChildren) {
            const std::string command = entry.command;
            connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        }
        // One action per shortcut: the first entry in menu order keeps it.
        if (entry.shortcut.empty() || !entry.enabled || shortcutOwner(entry.shortcut) != &entry)
            continue;
        const QKeySequence keys(qtext(entry.shortcut));
        m_shortcutKeys.insert(keys[0]);
        QAction* carrier = action;
        if (!entry.visible || hasChildren) {
            // A hidden action takes no shortcut, and a submenu's action
            // runs nothing: a window action of its own carries the keys.
            carrier = new QAction(this);
            carrier->setObjectName(qtext(entry.name + "_Key"));
            const std::string name = entry.name;
            const std::string command = hasChildren ? std::string("PopupMenu:") + name : entry.command;
            connect(carrier, &QAction::triggered, this, [this, command] { RunCommand(command); });
        }
        carrier->setShortcut(keys);
        carrier->setShortcutContext(Qt::WindowShortcut);
        addAction(carrier);
    }
    m_toolbarsMenu = m_menus.at("Config_ToolBar");
    connect(m_toolbarsMenu, &QMenu::aboutToShow, this, [this] { refreshMenuChecks(); });
    connect(m_menus.at("Panel"), &QMenu::aboutToShow, this, [this] { refreshMenuChecks(); });
    for (const char* name :
        { "Config_ShowToolBar", "Config_ShowDriversBar", "Config_ShowStatusBar", "Panel_Left", "Panel_Right",
            "Panel_ShowFiles", "Panel_ShowExtView", "Panel_Show_Info", "Panel_ShowQuickView" })
        m_actions.at(name)->setCheckable(true);

    // PopupMenu2: the bar switches, by the right mouse button on the bars.
    m_popupMenu2 = new QMenu(this);
    m_popupMenu2->setObjectName("PopupMenu2");
    const char* switches[3][3]
        = { { "Toolb_1", "Show tool bar", "ShowToolBar" }, { "Toolb_2", "Show drives bar", "ShowDrivesBar" },
              { "Toolb_3", "Show status bar", "ShowStatusBar" } };
    for (const auto& row : switches) {
        QAction* action = m_popupMenu2->addAction(QLatin1String(row[1]));
        action->setObjectName(QLatin1String(row[0]));
        action->setCheckable(true);
        const std::string command = row[2];
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
    }
    QAction* configure = m_popupMenu2->addAction(QStringLiteral("Configure tool bar"));
    configure->setVisible(false);
    connect(m_popupMenu2, &QMenu::aboutToShow, this, [this] { refreshMenuChecks(); });
    for (QWidget* w : { m_panel3, m_toolBar, m_statusBar, static_cast<QWidget*>(m_label2) }) {
        connect(w, &QWidget::customContextMenuRequested, this,
            [this, w](const QPoint& at) { m_popupMenu2->popup(w->mapToGlobal(at)); });
    }
}

void TForm1::buildToolBar()
{
    for (int i = 0; i < 8; ++i) {
        auto* button = new QPushButton(m_toolBar);
        button->setObjectName(QLatin1String(ToolButtons[i].name));
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(3 + 25 * i, 3, 25, 23);
        button->setToolTip(QLatin1String(ToolButtons[i].caption));
        const std::string command = ToolButtons[i].command;
        connect(button, &QPushButton::clicked, this, [this, command] { RunCommand(command); });
        m_toolButtons[i] = button;
    }
    setToolBarPictures(m_toolButtons);
}

void TForm1::refreshMenuChecks()
{
    const TMainSettings& s = MainSettings;
    const ViewMode activeMode = ActivePanel()->Settings.ViewMode;
    const std::pair<const char*, bool> checks[] = {
        { "Config_ShowToolBar", s.Show_ToolBar },
        { "Config_ShowDriversBar", s.Show_DriveBar },
        { "Config_ShowStatusBar", s.Show_StatusBar },
        { "Panel_Left", ActiveSide == "Left" },
        { "Panel_Right", ActiveSide == "Right" },
        { "Panel_ShowFiles", activeMode == ViewMode::Brief },
        { "Panel_ShowExtView", activeMode == ViewMode::Full },
        { "Panel_Show_Info", activeMode == ViewMode::Information },
        { "Panel_ShowQuickView", activeMode == ViewMode::QuickView },
    };
    for (const auto& [name, checked] : checks)
        m_actions.at(name)->setChecked(checked);
    const bool bars[3] = { s.Show_ToolBar, s.Show_DriveBar, s.Show_StatusBar };
    const QList<QAction*> switches = m_popupMenu2->actions();
    for (int i = 0; i < 3 && i < switches.size(); ++i)
        switches[i]->setChecked(bars[i]);
}

void TForm1::buildTray()
{
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName("PopupMenu1");
    QAction* restore = m_trayMenu->addAction(QLatin1String(ProductName));
    connect(restore, &QAction::triggered, this, [this] {
        showNormal();
        raise();
        activateWindow();
    });
    m_trayMenu->setDefaultAction(restore);
    const char* entries[2][2] = { { "Help contents", "Information" }, { "About program", "About" } };
    for (const auto& entry : entries) {
        const std::string command = entry[1];
        connect(m_trayMenu->addAction(QLatin1String(entry[0])), &QAction::triggered, this,
            [this, command] { RunCommand(command); });
    }
    m_trayMenu->addSeparator();
    const char* more[3][2] = { { "Configuration", "MainOptions" }, { "System Info", "SystemInfo" },
        { "View clipboard", "Clipboard" } };
    for (const auto& entry : more) {
        const std::string command = entry[1];
        connect(m_trayMenu->addAction(QLatin1String(entry[0])), &QAction::triggered, this,
            [this, command] { RunCommand(command); });
    }
    m_trayMenu->addSeparator();
    QAction* exitAction = m_trayMenu->addAction(tr("Exit"));
    connect(exitAction, &QAction::triggered, this, [this] { close(); });
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new QSystemTrayIcon(windowIcon(), this);
    m_tray->setObjectName("RxTrayIcon1");
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) {
            showNormal();
            raise();
            activateWindow();
        }
    });
}

void TForm1::Global_Init()
{
    setWindowTitle(QLatin1String(ProductCaption));
    ActiveSide = "Left";
    MainSettings.IniLoad = false;
    MainSettings.Show_ToolBar = true;
    MainSettings.Show_StatusBar = true;
    MainSettings.Show_DriveBar = true;
    MainSettings.DelToRecycle = false;
    MainSettings.EditorType = "int";
    MainSettings.EditorName = "notepad.exe";
}

void TForm1::Default_Init()
{
    TMainSettings& s = MainSettings;
    s.ConfirmCopy = true;
    s.ConfirmMove = true;
    s.ConfirmDelete = true;
    s.ConfirmExit = false;
    s.SysTrayIcon = true;
    s.Sync_Panels = false;
    s.Language = "ENGLISH";
    s.DelToRecycle = false;
    s.SysCopy = false;
    s.OldDrag = false;
    s.AutoSave = true;
    s.Main_Splitter = 7;
    s.Show_BackgroundFon = true;
    s.Interface_Show_ToolBar = true;
    s.Show_ComLine = true;
    s.Show_HotButtons = true;
    s.Redial = true;
    s.CloseOnBusy = false;
    s.CloseOnConnect = false;
    s.RedialTime = 10;
    QPalette buttons = m_hotKeyBox->palette();
    buttons.setColor(QPalette::ButtonText, toQColor(systemColorValue(clWindowText)));
    for (QPushButton* key : m_functionKeys)
        key->setPalette(buttons);
}

void TForm1::Load_INI()
{
    const IniFile& ini = *m_config;
    TMainSettings& s = MainSettings;
    ViewMode leftMode = m_left->Settings.ViewMode;
    ViewMode rightMode = m_right->Settings.ViewMode;
    readGlobalSection(ini, s, leftMode, rightMode);
    m_left->Settings.ViewMode = leftMode;
    m_right->Settings.ViewMode = rightMode;
    readOtherSections(ini, s);
    if (s.StateWin == 1) {
        setWindowState(Qt::WindowMaximized);
    } else {
        // Width and Height are the outer size; the frame adds the classic
        // 4-pixel borders. The stored frame is kept to the screens: a huge
        // size would give each panel a canvas of that size, and a position
        // on a monitor since unplugged would open the window out of reach.
        std::vector<Rect> screens;
        for (const QScreen* screen : QGuiApplication::screens()) {
            const QRect area = screen->availableGeometry();
            screens.push_back({ area.x(), area.y(), area.width(), area.height() });
        }
        const Rect frame = fitWindowToScreens({ s.Left, s.Top, s.Width, s.Height }, screens);
        s.Left = frame.left;
        s.Top = frame.top;
        s.Width = frame.width;
        s.Height = frame.height;
        move(s.Left, s.Top);
        resize(std::max(s.Width - 8, 200), std::max(s.Height - 46, 150));
    }
    for (const Side side : { Side::Left, Side::Right }) {
        TFPanel* panel = side == Side::Left ? m_left : m_right;
        PanelSettings p = panel->settings();
        readPanelSection(ini, panelSection(side), p);
        panel->setSettings(p);
        panel->Language = s.Language;
        panel->OldDrag = s.OldDrag;
    }
    if (m_tray)
        m_tray->setVisible(s.SysTrayIcon);
}

bool TForm1::Save_INI()
{
    SaveState state;
    state.ProgramFolder = ProgramFolder;
    state.ActiveSide = ActiveSide;
    state.Maximized = isMaximized();
    const QRect frame = frameGeometry();
    state.Top = frame.top();
    state.Left = frame.left();
    state.Width = width() + 8;
    state.Height = height() + 46;
    state.LeftPanel = settingsToSave(*m_left);
    state.RightPanel = settingsToSave(*m_right);
    return writeSettingsFile(*m_config, MainSettings, state);
}

void TForm1::applyBars()
{
    m_statusBar->setVisible(MainSettings.Show_StatusBar);
    const bool tools = MainSettings.Show_ToolBar;
    const bool drives = MainSettings.Show_DriveBar;
    int panel3Height = 56;
    int driveTop = 32;
    int toolHeight = 29;
    if (!tools && !drives)
        panel3Height = 0;
    else if (tools && !drives)
        panel3Height = 29;
    else if (!tools && drives) {
        toolHeight = 0;
        panel3Height = 29;
        driveTop = 2;
    }
    m_panel3->setFixedHeight(panel3Height);
    m_toolBar->setGeometry(0, 0, m_toolBar->width(), toolHeight);
    m_toolBar->setVisible(toolHeight > 0);
    for (QWidget* bar : m_driveBars) {
        bar->setGeometry(bar->x(), driveTop, bar->width(), 30);
        bar->setVisible(drives);
    }
}

void TForm1::PostLoadInit()
{
    applyBars();
    for (TFPanel* panel : { m_left, m_right }) {
        panel->ScrollBand = panel->Settings.ShowScrollBar ? 11 : 0;
        panel->ApplyFontSize();
    }
    if (MainSettings.OnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    // The drive hint box, and Label3 that measures its text.
    m_hintBox = new QLabel(m_client);
    m_hintBox->setObjectName("DriveHint");
    m_hintBox->setAutoFillBackground(true);
    m_hintBox->setFont(makeFont("Arial", 8, false));
    QPalette hint = m_hintBox->palette();
    hint.setColor(QPalette::Window, Qt::white);
    hint.setColor(QPalette::WindowText, Qt::black);
    m_hintBox->setPalette(hint);
    m_hintBox->setGeometry(0, 0, 60, 18);
    m_hintBox->hide();
    m_label3 = new QLabel(this);
    m_label3->setObjectName("Label3");
    m_label3->setFont(makeFont("Arial", 8, false));
    m_label3->hide();
    for (TMyToolBar* bar : m_driveBars) {
        bar->HintBox = m_hintBox;
        bar->Label3 = m_label3;
    }
    OpenLanguageFile();
}

void TForm1::ApplyWindowStyle()
{
    // Changing a window flag hides a shown window; it is shown again.
    const bool shown = isVisible();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != MainSettings.OnTop) {
        setWindowFlag(Qt::WindowStaysOnTopHint, MainSettings.OnTop);
        if (shown)
            show();
    }
    if (m_tray)
        m_tray->setVisible(MainSettings.SysTrayIcon);
}

// --- language ----------------------------------------------------------------

void TForm1::OpenLanguageFile()
{
    m_language = openLanguageFile(ProgramFolder, MainSettings.Language);
}

void TForm1::Load_Language()
{
    const IniFile& lang = m_language;
    const auto text = [&](const char* section, const std::string& key) {
        return qtext(lang.readString(section, key, ""));
    };
    // 1. The function-key row.
    for (int i = 0; i < 7; ++i)
        m_functionKeys[i]->setText(text("HotButtons", FunctionKeys[i].key));
    m_functionKeys[0]->setText(text("HotButtons", "Menu"));
    // 2. The menu entries, each from its own key; the entries the file has
    // no key for keep their built-in captions.
    for (const MenuEntry& entry : mainMenuTable()) {
        if (entry.separator || entry.name.empty())
            continue;
        QAction* action = m_actions.at(entry.name);
        if (entry.translated)
            action->setText(text("MainMenu", entry.name));
        else if (lang.hasKey("MainMenu", entry.name))
            action->setText(text("MainMenu", entry.name));
    }
    // 3. Tool-bar hints.
    for (int i = 0; i < 8; ++i)
        m_toolButtons[i]->setToolTip(text("ToolBars", ToolButtons[i].key));
    // 4. The texts other code reads.
    readLangTexts(lang, LangTexts);
    for (TFPanel* panel : { m_left, m_right }) {
        PanelTexts& t = panel->Texts;
        t.Folder = LangTexts.Panel_Folder;
        t.bytes = LangTexts.Panel_bytes;
        t.in = LangTexts.Panel_in;
        t.files = LangTexts.Panel_files;
        t.FreeSpace = LangTexts.Panel_FreeSpace;
        t.TotalDriveSize = LangTexts.TotalDriveSize;
        t.InfoFreeSpace = LangTexts.FreeSpace;
        t.TotalMemory = LangTexts.TotalMemory;
        t.SwapFile = LangTexts.SwapFile;
        t.MemoryLoad = LangTexts.MemoryLoad;
        t.DriveName = LangTexts.DriveName;
        t.SerialNum = LangTexts.SerialNum;
        panel->Language = MainSettings.Language;
        panel->Layout();
    }
    // 5. Status-bar hints and the quick-search caption.
    m_bCont->setToolTip(text("Messages", "Hint_ContPlay"));
    m_bStop->setToolTip(text("Messages", "Hint_Stop"));
    m_searchCaption->setText(QStringLiteral("  ") + text("Messages", "Search"));
}

// --- layout, splitter, active panel ------------------------------------------

MainLayoutInput TForm1::layoutInput() const
{
    MainLayoutInput in;
    in.clientWidth = m_client->width();
    in.outerWidth = m_client->width() + 8;
    in.splitRatio = SplitRatio;
    in.splitter = MainSettings.Main_Splitter;
    in.panel3Top = 0;
    in.panel3Height = m_panel3->height();
    in.panelDownTop = m_panelDown->y();
    in.comReadLeft = m_comRead->x();
    in.comReadWidth = m_comRead->width();
    in.panelDosWidth = m_panelDos->width();
    in.hotKeyBoxWidth = m_hotKeyBox->width();
    in.statusWidth = m_statusBar->width();
    in.label1Width = m_label1->width();
    in.volBarWidth = m_volBar->width();
    in.posBarWidth = m_posBar->width();
    in.bStopWidth = m_bStop->width();
    in.label2Left = m_label2->x();
    in.toolBarWidth = m_toolBar->width();
    in.rButWidth = m_rBut->width();
    return in;
}

void TForm1::FormResize()
{
    if (!m_left || !m_client)
        return;
    const int cw = m_client->width();
    const int ch = m_client->height();
    // The aligned parts first: Panel3 at the top, the status bar and
    // Panel_Down at the bottom.
    m_panel3->setGeometry(0, 0, cw, m_panel3->height());
    m_toolBar->setGeometry(0, 0, cw, m_toolBar->height());
    // The configured visibility: the first layout runs before the window is
    // shown, when no child reports itself visible.
    const int statusHeight = m_statusBar->isHidden() ? 0 : 19;
    m_statusBar->setGeometry(0, ch - statusHeight, cw, 19);
    m_panelDown->setGeometry(0, ch - statusHeight - 42, cw, 42);
    m_panelDos->setGeometry(0, 0, cw, 17);
    m_comRead->adjustSize();
    m_comRead->setGeometry(2, 0, m_comRead->width(), 17);
    m_hotKeyBox->setGeometry(0, 19, m_hotKeyBox->width(), 23);
    m_label1->adjustSize();
    m_label2->setGeometry(4, 2, m_label2->width(), 15);

    const MainLayout layout = computeMainLayout(layoutInput());
    const auto place = [](QWidget* w, const Rect& r) {
        w->setGeometry(r.left, r.top, std::max(r.width, 0), std::max(r.height, 0));
    };
    place(m_left, layout.leftPanel);
    place(m_right, layout.rightPanel);
    m_comLine->setGeometry(layout.comLineLeft, 0, std::max(layout.comLineWidth, 0), 17);
    // The left bar ends at the left panel's right edge - 1 and grows back
    // to all its buttons when there is room.
    const int barWidth
        = std::min(m_driveBars[0]->NaturalWidth, layout.leftPanel.right() - 1 - m_driveBars[0]->x());
    m_driveBars[0]->setGeometry(m_driveBars[0]->x(), m_driveBars[0]->y(), std::max(barWidth, 0), 30);
    m_driveBars[1]->setGeometry(layout.rightPanel.left + 3, m_driveBars[1]->y(), m_driveBars[1]->width(), 30);
    m_label1->move(layout.label1Left, 2);
    m_volBar->move(layout.volBarLeft, 2);
    m_panel5->setGeometry(layout.panel5Left, 2, 2, 15);
    m_posBar->move(layout.posBarLeft, 4);
    m_bStop->move(layout.bStopLeft, 4);
    m_bCont->move(layout.bContLeft, 4);
    m_panel6->setGeometry(layout.panel6Left, 2, 2, 15);
    m_label2->resize(std::max(layout.label2Width, 0), 15);
    m_rBut->move(layout.rButLeft, 6);
    m_hotKeyBox->resize(layout.hotKeyBoxWidth, 23);
    for (int i = 0; i < 7; ++i)
        m_functionKeys[i]->setGeometry(
            layout.functionKeyLeft[i], 0, std::max(layout.functionKeyWidth[i], 0), 23);
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::splitterPress(QMouseEvent* event)
{
    const int x = static_cast<int>(event->position().x());
    const int w = m_client->width() + 8;
    if (x < 10 || x > w - 10)
        return;
    if (event->button() == Qt::RightButton) {
        if (SplitRatio != 0.5) {
            SplitRatio = 0.5;
            SplitDragging = false;
            FormResize();
        }
        return;
    }
    SplitDragging = true;
}

void TForm1::splitterMove(QMouseEvent* event)
{
    const int x = static_cast<int>(event->position().x());
    const int y = static_cast<int>(event->position().y());
    const bool inBand = y >= m_left->y() && y < m_panelDown->y();
    if (SplitDragging && inBand) {
        m_client->setCursor(Qt::SplitHCursor);
        SplitRatio = splitRatioAt(x, m_client->width());
        FormResize();
        return;
    }
    const bool overGap = x >= m_left->x() + m_left->width() && x < m_right->x() && inBand;
    m_client->setCursor(overGap ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TForm1::SetActive(const std::string& side, TFPanel* panel, const std::string& mode)
{
    (void)panel;
    if (side == "Left") {
        ActiveSide = "Left";
        m_left->IsActive = true;
        m_right->IsActive = false;
        m_right->EraseCursor();
    } else if (side == "Right") {
        ActiveSide = "Right";
        m_right->IsActive = true;
        m_left->IsActive = false;
        m_left->EraseCursor();
    } else {
        return;
    }
    for (TFPanel* p : { m_left, m_right }) {
        p->DrawFrame();
        p->DrawList();
        p->PlaceCursor();
        p->RedrawOnPress = true;
        if (mode == "Show")
            p->DrawCursor();
    }
}

void TForm1::ActiveLeft(const std::string& text)
{
    if (text == "Active")
        SetActive("Left", m_left, "");
}

void TForm1::ActiveRight(const std::string& text)
{
    if (text == "Active")
        SetActive("Right", m_right, "");
}

void TForm1::ChangePanel()
{
    const std::string other = ActiveSide == "Left" ? "Right" : "Left";
    SetActive(other, other == "Left" ? m_left : m_right, "Show");
    ChangeFolderEv(ActiveSide);
}

void TForm1::ChangeFolderEv(const std::string& side)
{
    const TFPanel* panel = side == "Right" ? m_right : m_left;
    // The prompt shows the folder with an upper-case drive letter, as "C:\".
    std::string prompt = panel->Browser.CurrentFolder();
    if (!prompt.empty())
        prompt[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(prompt[0])));
    m_comRead->setText(QString::fromStdString(prompt));
    FormResize();
}

void TForm1::ChangeFilePos()
{
    TFPanel* other = ActiveSide == "Right" ? m_left : m_right;
    if (other->Settings.ViewMode == ViewMode::QuickView) {
        other->QuickViewFile = ActivePanel()->CurrentPath();
        other->Layout();
    }
}

void TForm1::Update_AllPanels()
{
    for (TFPanel* panel : { m_left, m_right }) {
        panel->Browser.Refresh();
        if (panel->Browser.Count < 2)
            panel->CursorRow = 0;
        // Keep the cursor on the entry Refresh found.
        const int index = panel->Browser.CurIndex;
        if (index >= 1) {
            if (index - 1 < panel->TopIndex)
                panel->TopIndex = index - 1;
            panel->CursorRow = index - 1 - panel->TopIndex;
        }
        panel->Layout();
    }
}

void TForm1::RButClick()
{
    const QScreen* screen = this->screen();
    if (!screen)
        return;
    if (windowState() != Qt::WindowNoState)
        setWindowState(Qt::WindowNoState);
    const QRect work = screen->availableGeometry();
    setGeometry(work.left(), work.top(), work.width(), work.height());
}

void TForm1::TimerMainTimer()
{
    std::string channel = "wave";
    const QString name = m_label1->text();
    if (name == QLatin1String("Midi volume"))
        channel = "midi";
    else if (name == QLatin1String("AudioCD volume"))
        channel = "cd";
    const int level = m_volumeReader ? std::clamp(m_volumeReader(channel), 0, 255) : 0;
    if (m_setVolBar)
        m_setVolBar(static_cast<int>(std::lround(level * 100.0 / 255.0)));
    m_volBar->update();
}

void TForm1::ChangeDrive(const std::string& side)
{
    DriveDialogSide = side;
    RunCommand("DriveDialog");
}

// --- command line and history --------------------------------------------------

void TForm1::AddFileToHistory(const std::string& text)
{
    History.add(text);
    m_comList->addItem(qtext(text));
    m_comList->setCurrentRow(History.selected());
}

std::string TForm1::ActiveHostFolder() const
{
    return DriveTable::instance().toHost(reopenFolder(ActivePanel()->Browser)).value_or(std::string());
}

void TForm1::EnterCommand()
{
    TFPanel* panel = ActivePanel();
    if (panel->Settings.ViewMode == ViewMode::QuickView)
        return;
    const std::string command = m_comLine->text().toStdString();
    if (command.empty()) {
        panel->EnterItem();
        panel->PlaceCursor();
        panel->DrawCursor();
        return;
    }
    AddFileToHistory(command);
    // A typed command runs in the user's terminal, in the folder the panel
    // shows; when none can start, the user is told why.
    if (!launcher().runShellCommand(command, ActiveHostFolder()))
        messageBox(
            "Cannot run \"" + command + "\": " + launcher().failure, ProductName, Buttons::Ok, Icon::Error);
    m_comLine->clear();
}

bool TForm1::SearchVisible() const
{
    return m_panelSearch->isVisible();
}

void TForm1::ToggleQuickSearch()
{
    if (m_panelSearch->isVisible()) {
        HideQuickSearch();
        return;
    }
    m_panelSearch->move(ActivePanel()->x() + 20, m_panelDown->y() + 6);
    m_panelSearch->raise();
    m_panelSearch->show();
    m_edit1->setReadOnly(false);
    m_edit1->clear();
    m_edit1->setFocus();
}

void TForm1::HideQuickSearch()
{
    if (!m_panelSearch->isVisible())
        return;
    m_edit1->setReadOnly(true);
    m_panelSearch->hide();
    m_comLine->setFocus();
}

// --- keys ----------------------------------------------------------------------

void TForm1::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    KeyState state;
    state.commandLineEmpty = m_comLine->text().isEmpty();
    state.searchVisible = m_panelSearch->isVisible();
    state.historyEmpty = History.empty();
    state.activeMode = ActivePanel()->Settings.ViewMode;
    state.waveLevel = m_volumeReader ? std::clamp(m_volumeReader("wave"), 0, 255) : 0;
    const KeyRoute route = routeKey(key, modifiers, state);
    m_comLine->setReadOnly(!route.commandLineWritable);
    TFPanel* panel = ActivePanel();
    for (KeyStep step : route.steps) {
        switch (step) {
        case KeyStep::Delete:
            RunCommand("Delete");
            break;
        case KeyStep::QuickSearch:
            panel->QuickSearch(m_edit1->text().toStdString());
            break;
        case KeyStep::Enter:
            EnterCommand();
            break;
        case KeyStep::AppendLeftPath:
        case KeyStep::AppendRightPath: {
            const TFPanel* source = step == KeyStep::AppendLeftPath ? m_left : m_right;
            const std::string host
                = DriveTable::instance().toHost(reopenFolder(source->Browser)).value_or(std::string());
            if (host.empty())
                break;
            m_comLine->setText(qtext(appendPanelPath(m_comLine->text().toStdString(), host)));
            m_comLine->end(false);
            break;
        }
        case KeyStep::NextDrive:
            panel->NextDrive();
            break;
        case KeyStep::PreviousDrive:
            panel->PreviousDrive();
            break;
        case KeyStep::CursorUp:
            panel->CursorUp();
            break;
        case KeyStep::CursorDown:
            panel->CursorDown();
            break;
        case KeyStep::PageRight:
            panel->PageRight();
            break;
        case KeyStep::PageLeft:
            panel->PageLeft();
            break;
        case KeyStep::CursorHome:
            panel->CursorHome();
            break;
        case KeyStep::CursorEnd:
            panel->CursorEnd();
            break;
        case KeyStep::DriveDialogLeft:
            DriveDialogSide = "Left";
            RunCommand("DriveDialog");
            break;
        case KeyStep::DriveDialogRight:
            DriveDialogSide = "Right";
            RunCommand("DriveDialogModal");
            break;
        case KeyStep::PutCurrentName:
            m_comLine->setText(qtext(appendCurrentName(
                m_comLine->text().toStdString(), panel->CurrentName, panel->CurrentIsFolder)));
            m_comLine->end(false);
            break;
        case KeyStep::DeleteLastWord:
            m_comLine->setText(qtext(deleteLastWord(m_comLine->text().toStdString())));
            break;
        case KeyStep::GoUp:
            panel->GoUp();
            break;
        case KeyStep::GoRoot:
            panel->GoRoot();
            break;
        case KeyStep::EnterFolder:
            panel->EnterFolderUnderCursor();
            break;
        case KeyStep::InvertFiles:
            panel->InvertSelection(false);
            break;
        case KeyStep::InvertWithFolders:
            panel->InvertSelection(true);
            break;
        case KeyStep::SelectGroup:
        case KeyStep::UnselectGroup:
            SelectGroupMode = step == KeyStep::SelectGroup ? 1 : 777;
            SelectGroupFolders = route.groupWithFolders ? 777 : 1;
            RunCommand("SelectGroup");
            break;
        case KeyStep::IndentFolders:
            for (TFPanel* p : { m_left, m_right }) {
                p->Settings.IndentFolders = !p->Settings.IndentFolders;
                p->Layout();
            }
            FormResize();
            break;
        case KeyStep::ToggleHidden:
            panel->ToggleHidden();
            break;
        case KeyStep::SelectAndDown:
            panel->SelectAndDown();
            break;
        case KeyStep::ToggleQuickView:
            OtherPanel()->ToggleQuickView(panel->CurrentPath());
            break;
        case KeyStep::ToggleInfo:
            OtherPanel()->ToggleInfo();
            break;
        case KeyStep::VolumeUp:
            changeVolume(2);
            break;
        case KeyStep::VolumeDown:
            changeVolume(-2);
            break;
        case KeyStep::ToggleQuickSearch:
            ToggleQuickSearch();
            break;
        case KeyStep::HistoryBack:
            m_comLine->setText(qtext(History.back()));
            m_comList->setCurrentRow(History.selected());
            break;
        }
    }
}

void TForm1::changeVolume(int step)
{
    const int level = m_volumeReader ? std::clamp(m_volumeReader("wave"), 0, 255) : 0;
    if (m_volumeWriter)
        m_volumeWriter("wave", std::clamp(level + step, 0, 255));
    TimerMainTimer();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // The line edits give the window's shortcuts up (Ctrl+A, Ctrl+C,
    // Ctrl+Left ... would otherwise stay with the text).
    if (event->type() == QEvent::ShortcutOverride && (watched == m_comLine || watched == m_edit1)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (m_shortcutKeys.contains(key->keyCombination())) {
            event->ignore();
            return true;
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // While a panel reads a slow folder only Esc means something: it gives
    // the read up. No other key may start a second read or a command.
    if (TFPanel* reading = m_left->IsReading() ? m_left : m_right->IsReading() ? m_right : nullptr) {
        if (static_cast<QWidget*>(watched)->window() != this)
            return false;
        if (key->key() == Qt::Key_Escape)
            reading->CancelRead();
        return true;
    }
    // Key preview: the key's first receiver in this window, before it
    // handles the key; a key passed on to the parents is not seen again.
    QWidget* focus = QApplication::focusWidget();
    QWidget* first = focus && focus->window() == this ? focus : this;
    if (watched == first && static_cast<QWidget*>(watched)->window() == this)
        FormKeyDown(key->key(), key->modifiers());
    // The quick-search box's own keys, after the key handler.
    if (watched == m_edit1 && m_panelSearch->isVisible()) {
        switch (key->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Right:
            HideQuickSearch();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            m_button1->click();
            return true;
        default:
            break;
        }
    }
    return false;
}

// --- commands ------------------------------------------------------------------

QAction* TForm1::MenuAction(const std::string& name) const
{
    const auto it = m_actions.find(name);
    return it == m_actions.end() ? nullptr : it->second;
}

int TForm1::runModal(QDialog& dialog)
{
    return m_modalRunner ? m_modalRunner(dialog) : dialog.exec();
}

void TForm1::notAvailable(const std::string& name)
{
    // Handlers without a menu entry of their own are named by the entry the
    // user reached them through; the user never sees an internal name.
    static const std::pair<const char*, const char*> shownAs[] = {
        { "ViewText", "View" },
        { "ViewPicture", "View" },
        { "EditText", "Edit" },
        { "PlaySound", "View" },
        { "PlayMpeg", "View" },
        { "PlayModule", "View" },
        { "DriveDialog", "ChangeDrive" },
        { "DriveDialogModal", "ChangeDrive" },
    };
    std::string command = name;
    for (const auto& [handler, entryCommand] : shownAs)
        if (name == handler)
            command = entryCommand;
    std::string caption = command;
    for (const MenuEntry& entry : mainMenuTable()) {
        if (entry.command == command && !entry.name.empty()) {
            if (const QAction* action = MenuAction(entry.name); action && !action->text().isEmpty())
                caption = action->text().remove(QLatin1Char('&')).toStdString();
            break;
        }
    }
    messageBox("\"" + caption + "\" is not available yet.", ProductName, Buttons::Ok, Icon::Information);
}

void TForm1::RunCommand(const std::string& name)
{
    // Menus stay open to the mouse while a folder is being read; their
    // commands wait until the read ends.
    if (m_left->IsReading() || m_right->IsReading())
        return;
    if (const CommandHandler* handler = CommandRegistry::instance().find(name)) {
        (*handler)(*this);
        if (name == "Attributes")
            Update_AllPanels();
        return;
    }
    if (!runOwnCommand(name))
        notAvailable(name);
}

void TForm1::runFileHandler(const std::string& name, const std::string& path)
{
    if (const FileHandler* handler = CommandRegistry::instance().findFileHandler(name)) {
        (*handler)(*this, path);
        return;
    }
    notAvailable(name);
}

void TForm1::runExternal(const std::string& commandLine, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words = splitCommandLine(commandLine);
    if (words.empty())
        return;
    const std::string program = words.front();
    words.erase(words.begin());
    words.insert(words.end(), arguments.begin(), arguments.end());
    if (!launcher().startProgram(mapProgram(program, words), ""))
        reportLaunchFailure(program);
}

void TForm1::reportLaunchFailure(const std::string& what)
{
    messageBox("Cannot open " + what + ": " + launcher().failure, ProductName, Buttons::Ok, Icon::Error);
}

void TForm1::ViewCommand()
{
    // An empty list has no entry: its CurrentPath is the folder itself.
    TFPanel* panel = ActivePanel();
    if (!panel->HasCurrentEntry())
        return;
    // In an archive: a copy taken out into the private cache.
    if (const std::string path = localCopy(*panel, panel->CurrentIndex()); !path.empty())
        File_Work(path);
}

void TForm1::EditCommand()
{
    TFPanel* panel = ActivePanel();
    if (!panel->HasCurrentEntry() || panel->CurrentIsFolder || panel->CurrentName == ".."
        || panel->CurrentName.empty())
        return;
    if (panel->Browser.DiskKind == DiskKind::Archive) {
        // A throw-away copy of a member: shown read-only, as edits would be lost.
        if (const std::string copy = localCopy(*panel, panel->CurrentIndex()); !copy.empty())
            runFileHandler("ViewText", copy);
        return;
    }
    const std::string path = panel->CurrentPath();
    if (MainSettings.EditorType != "int") {
        // The file goes to the editor as an argument of its own.
        const auto host = DriveTable::instance().toHost(path);
        if (host)
            runExternal(MainSettings.EditorName, { *host });
        return;
    }
    runFileHandler("EditText", path);
}

std::string TForm1::localCopy(TFPanel& panel, int index)
{
    const std::string path = panel.Browser.LocalPath(index);
    if (!path.empty() && panel.Browser.DiskKind == DiskKind::Archive)
        m_shownNames[path] = panel.Browser.CurrentFolder() + panel.Browser.NameAt(index);
    return path;
}

std::string TForm1::ShownName(const std::string& path) const
{
    const auto found = m_shownNames.find(path);
    return found == m_shownNames.end() ? path : found->second;
}

void TForm1::CalculatorCommand()
{
    if (!m_calculator)
        m_calculator = new TCalculatorDialog(this);
    const std::string title
        = notEnglishText(m_language, MainSettings.Language, "Calculator", "Caption", "Calculator");
    m_calculator->setWindowTitle(qtext(title));
    m_calculator->resetValue();
    runModal(*m_calculator);
}

void TForm1::EmptyRecycleBin()
{
    const std::string question = notEnglishText(m_language, MainSettings.Language, "Commands",
        "Confirm_ClearRecycle", "Do you want really clear Recycle Bin ?");
    if (messageBox(question, ProductName, Buttons::OkCancel, Icon::Question) == Answer::Cancel)
        return;
    emptyTrash(trashFolder());
}

void TForm1::ClearRecentDocs()
{
    clearRecentDocuments(dataHome() + "/recently-used.xbel");
}

bool TForm1::SetDefaultConfiguration()
{
    const std::string question = notEnglishText(m_language, MainSettings.Language, "Commands",
        "Confirm_SetDefaultConfig", "Do you want set default configuration of Orvanta ?");
    if (messageBox(question, ProductName, Buttons::OkCancel, Icon::Question) == Answer::Cancel)
        return false;
    Default_Init();
    for (TFPanel* panel : { m_left, m_right }) {
        panel->ResetDefaults();
        panel->SetListFont("MS Sans Serif", 8, false);
        panel->HeaderHeight = 25;
        panel->Settings.NameColWidth = 103;
        panel->Settings.SizeColWidth = 60;
        panel->Settings.DateColWidth = 75;
        panel->ReadFolder();
    }
    MainSettings.EditorName = "notepad.exe";
    // Global_Show.
    setWindowTitle(QLatin1String(ProductCaption));
    if (windowState() != Qt::WindowNoState)
        setWindowState(Qt::WindowNoState);
    move(0, 0);
    resize(640 - 8, 453 - 46);
    MainSettings.OnTop = false;
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    FormResize();
    m_left->Layout();
    m_right->Layout();
    if (isVisible())
        show();
    return true;
}

void TForm1::SaveConfiguration()
{
    const bool saved = Save_INI();
    if (const CommandHandler* colours = CommandRegistry::instance().find("SaveFilesColors"))
        (*colours)(*this);
    if (saved) {
        messageBox(LangTexts.SaveConfig, ProductName, Buttons::Ok, Icon::Information);
        return;
    }
    const std::string failed
        = m_language.readString("Messages", "SaveConfigFailed", "The configuration could not be saved:");
    messageBox(failed + "\n" + m_config->path() + "\n" + m_config->lastError(), ProductName, Buttons::Ok,
        Icon::Error);
}

void TForm1::ShowFilesMode(ViewMode mode)
{
    TFPanel* panel = ActivePanel();
    switch (mode) {
    case ViewMode::Brief:
    case ViewMode::Full:
        if (panel->Settings.ViewMode == mode)
            return;
        panel->TopIndex = 0;
        panel->CursorRow = 0;
        panel->Settings.ViewMode = mode;
        panel->Settings.Columns = mode == ViewMode::Brief ? 3 : 1;
        panel->PlaceCursor();
        break;
    case ViewMode::Information:
        if (m_left->Settings.ViewMode == ViewMode::Information
            || m_right->Settings.ViewMode == ViewMode::Information)
            return;
        panel->Settings.ViewMode = ViewMode::Information;
        panel->InvalidateInfo();
        break;
    case ViewMode::QuickView:
        panel->Settings.ViewMode = ViewMode::QuickView;
        m_left->QuickViewFile = m_right->CurrentPath();
        m_right->QuickViewFile = m_left->CurrentPath();
        break;
    }
    panel->Layout();
    panel->update();
}

void TForm1::UpdatePanel()
{
    TFPanel* panel = ActivePanel();
    panel->Refresh();
    panel->TopIndex = 0;
    panel->CursorRow = 0;
    panel->PlaceCursor();
    panel->Layout();
}

bool TForm1::runOwnCommand(const std::string& name)
{
    TFPanel* panel = ActivePanel();
    static const std::string resourceTypes[] = { ".exe", ".dll", ".cpl", ".dpl", ".bpl" };
    if (name == "Exit") {
        close();
    } else if (name == "View") {
        ViewCommand();
    } else if (name == "Edit") {
        EditCommand();
    } else if (name == "Attributes") {
        // Nothing on ".."; the window comes with its subsystem.
        if (panel->CurrentName == "..")
            return true;
        return false;
    } else if (name == "ResourceExplorer") {
        const std::string ext = lowerExtension(panel->CurrentName);
        if (std::find(std::begin(resourceTypes), std::end(resourceTypes), ext) == std::end(resourceTypes)) {
            messageBox(LangTexts.ResExplorer_Error_OnStart, ProductName, Buttons::Ok, Icon::Error);
            return true;
        }
        return false;
    } else if (name == "Calculator") {
        CalculatorCommand();
    } else if (name == "MSDOS") {
        // The user's terminal, in the active panel's folder.
        launcher().startProgram(mapProgram("command.com", {}), ActiveHostFolder());
    } else if (name == "MediaPlayer") {
        launcher().startProgram(mapProgram("mplayer.exe", {}), "");
    } else if (name == "ExternalEditor") {
        runExternal(MainSettings.EditorName, {});
    } else if (name == "News") {
        launcher().startProgram({ ProgramFolder + "/ov_news" }, "");
    } else if (name == "EmptyRecycleBin") {
        EmptyRecycleBin();
    } else if (name == "ClearRecentDocs") {
        ClearRecentDocs();
    } else if (name == "InvertSelection") {
        panel->InvertSelection(true);
    } else if (name == "ChangePanel") {
        ChangePanel();
    } else if (name == "ActiveLeft" || name == "ActiveRight") {
        const std::string side = name == "ActiveLeft" ? "Left" : "Right";
        if (ActiveSide != side) {
            SetActive(side, side == "Left" ? m_left : m_right, "Show");
            ChangeFolderEv(ActiveSide);
        }
        refreshMenuChecks();
    } else if (name == "ShowFiles") {
        ShowFilesMode(ViewMode::Brief);
    } else if (name == "ExtendedView") {
        ShowFilesMode(ViewMode::Full);
    } else if (name == "InfoView") {
        ShowFilesMode(ViewMode::Information);
    } else if (name == "QuickView") {
        ShowFilesMode(ViewMode::QuickView);
    } else if (name == "UpdatePanel") {
        UpdatePanel();
    } else if (name == "ChangeDrive") {
        DriveDialogSide = ActiveSide;
        RunCommand("DriveDialog");
    } else if (name == "ShowToolBar" || name == "ShowDrivesBar" || name == "ShowStatusBar") {
        bool& flag = name == "ShowToolBar" ? MainSettings.Show_ToolBar
            : name == "ShowDrivesBar"      ? MainSettings.Show_DriveBar
                                           : MainSettings.Show_StatusBar;
        flag = !flag;
        applyBars();
        FormResize();
        refreshMenuChecks();
    } else if (name.rfind("PopupMenu:", 0) == 0) {
        if (QMenu* menu = m_menus.count(name.substr(10)) ? m_menus.at(name.substr(10)) : nullptr)
            menu->popup(QCursor::pos());
    } else if (name == "SetDefaultConfig") {
        SetDefaultConfiguration();
    } else if (name == "SaveConfig") {
        SaveConfiguration();
    } else if (name == "QuickSearchToggle") {
        ToggleQuickSearch();
    } else {
        return false;
    }
    return true;
}

// --- opening files -------------------------------------------------------------

void TForm1::File_Work(const std::string& path)
{
    TFPanel* panel = ActivePanel();
    if (panel->CurrentIsFolder) {
        if (panel->Browser.MeasureFolder(panel->CurrentIndex())) {
            panel->DrawList();
            panel->DrawCursor();
        }
        return;
    }
    const auto host = DriveTable::instance().toHost(path);
    switch (fileActionFor(path)) {
    case FileAction::Picture:
        runFileHandler("ViewPicture", path);
        break;
    case FileAction::Sound:
        runFileHandler("PlaySound", path);
        break;
    case FileAction::Mpeg:
        runFileHandler("PlayMpeg", path);
        break;
    case FileAction::Module:
        runFileHandler("PlayModule", path);
        break;
    case FileAction::MediaPlayer:
        // The desktop's player, with the file as an argument of its own.
        if (host && !launcher().startProgram(mapProgram("mplayer.exe", { *host }), ""))
            reportLaunchFailure(path);
        break;
    case FileAction::Html: {
        // The key the old browser helper read, then the desktop's browser.
        IniFile shared(windowsFolder() + "/ov.ini");
        shared.writeString("TForm1", "URL", path);
        if (host && !launcher().openDocument(*host))
            reportLaunchFailure(path);
        break;
    }
    case FileAction::Text:
        runFileHandler("ViewText", path);
        break;
    }
}

// --- closing -------------------------------------------------------------------

bool TForm1::FormCloseQuery()
{
    if (!MainSettings.ConfirmExit)
        return true;
    return messageBox(LangTexts.Question_Exit, ProductName, Buttons::YesNo, Icon::None) == Answer::Yes;
}

void TForm1::FormClose()
{
    if (MainSettings.AutoSave) {
        // Silent: a failed write on the way out has nobody left to tell.
        Save_INI();
        if (const CommandHandler* colours = CommandRegistry::instance().find("SaveFilesColors"))
            (*colours)(*this);
    }
    m_timerMain->stop();
    m_timer3->stop();
    if (m_tray)
        m_tray->hide();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

} // namespace ov
