// TForm1: composition, start-up order, layout, splitter, active panel,
// timers, tray icon and closing.
#include "shell/main_window.h"

#include "platform/colors.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/fonts.h"
#include "platform/folders.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
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

namespace ov {

namespace {

QWidget* makePanel(QWidget* parent, const char* name)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setAutoFillBackground(true);
    return panel;
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

} // namespace

TForm1::TForm1(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName("Form1");
    // Super_Global: the program folder, the configuration file.
    ProgramFolder = programFolder();
    QApplication::setApplicationName(QLatin1String(ProductName));
    m_config = std::make_unique<IniFile>(ProgramFolder + "/ov.ini");
    DriveTable::instance().applyIni(*m_config);

    buildComposition();
    // FilePanels_Init.
    ActiveSide = "Left";
    m_left = new TFPanel(m_client);
    m_right = new TFPanel(m_client);
    m_left->setObjectName("Left");
    m_right->setObjectName("Right");
    m_left->PanelName = "Left";
    m_right->PanelName = "Right";
    m_left->IsActive = true;
    m_right->IsActive = false;
    for (TFPanel* panel : { m_left, m_right }) {
        panel->setGeometry(20, 40, 250, 270);
        panel->ResetDefaults();
        panel->show();
        panel->OnFileEnter = [this](TFPanel*, const std::string& path) { File_Work(path); };
        panel->OnChangeDrive = [this](TFPanel*, const std::string& side) { ChangeDrive(side); };
        panel->OnChangePos = [this](TFPanel*) { ChangeFilePos(); };
        panel->OnChangeFolder = [this](TFPanel*, const std::string& side) { ChangeFolderEv(side); };
        panel->OnAddFileHistory = [this](TFPanel*, const std::string& text) { AddFileToHistory(text); };
    }
    m_left->OnChangeActive = [this](TFPanel*, const std::string& text) { ActiveLeft(text); };
    m_right->OnChangeActive = [this](TFPanel*, const std::string& text) { ActiveRight(text); };

    Global_Init();
    Default_Init();
    Load_INI();
    PostLoadInit();
    ReadPanelFolder(m_left);
    ReadPanelFolder(m_right);
    ChangeFolderEv(ActiveSide);
    FormResize();
}

TForm1::~TForm1() = default;

void TForm1::buildComposition()
{
    setWindowTitle(QLatin1String(ProductCaption));
    setFont(makeFont("MS Sans Serif", 8, false));

    auto* menu = menuBar();
    menu->setObjectName("MainMenu1");
    QMenu* ovMenu = menu->addMenu(tr("&OV"));
    menu->addMenu(tr("&File"));
    menu->addMenu(tr("&Utilities"));
    menu->addMenu(tr("&Commands"));
    menu->addMenu(tr("&Panel"));
    menu->addMenu(tr("C&onfiguration"));
    QAction* exitAction = ovMenu->addAction(tr("Exit"));
    exitAction->setObjectName("OV_Exit");
    exitAction->setShortcut(QKeySequence(Qt::Key_F10));
    connect(exitAction, &QAction::triggered, this, [this] { close(); });
    // Tab changes the active panel; a window action so that it always fires.
    auto* tabAction = new QAction(this);
    tabAction->setShortcut(QKeySequence(Qt::Key_Tab));
    tabAction->setShortcutContext(Qt::WindowShortcut);
    connect(tabAction, &QAction::triggered, this, [this] { ChangePanel(); });
    addAction(tabAction);

    auto* client = new ClientArea(this);
    client->setObjectName("ClientArea");
    client->onPress = [this](QMouseEvent* e) { splitterPress(e); };
    client->onMove = [this](QMouseEvent* e) { splitterMove(e); };
    client->onRelease = [this](QMouseEvent*) { SplitDragging = false; };
    m_client = client;
    setCentralWidget(client);

    m_panel3 = makePanel(client, "Panel3");
    m_panel3->setContextMenuPolicy(Qt::CustomContextMenu);
    m_toolBar = makePanel(m_panel3, "ToolBar");
    m_rBut = new QPushButton(m_toolBar);
    m_rBut->setObjectName("RBut");
    m_rBut->setFixedSize(17, 17);
    m_rBut->setFocusPolicy(Qt::NoFocus);
    connect(m_rBut, &QPushButton::clicked, this, [this] { RButClick(); });
    for (int i = 0; i < 2; ++i)
        m_driveBars[i] = makePanel(m_panel3, i == 0 ? "LeftDriveBar" : "RightDriveBar");

    m_panelDown = makePanel(client, "Panel_Down");
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
    m_comLine->setFocusPolicy(Qt::NoFocus);
    auto* spacer = makePanel(m_panelDown, "Panel1");
    spacer->setGeometry(0, 17, 10, 2);
    m_hotKeyBox = makePanel(m_panelDown, "HotKeyBox");
    m_hotKeyBox->setFont(makeFont("Arial", 8, false));
    const char* keyNames[7] = { "F2", "F3", "F4", "F5", "F6", "F7", "F8" };
    const char* keyCaptions[7] = { "2-Menu", "3-View", "4-Edit", "5-Copy", "6-Ren/Move", "7-MkDir", "8-Delete" };
    for (int i = 0; i < 7; ++i) {
        m_functionKeys[i] = new QPushButton(QLatin1String(keyCaptions[i]), m_hotKeyBox);
        m_functionKeys[i]->setObjectName(QLatin1String(keyNames[i]));
        m_functionKeys[i]->setFocusPolicy(Qt::NoFocus);
    }

    m_statusBar = makePanel(client, "StatusBar1");
    m_label2 = new QLabel(m_statusBar);
    m_label2->setObjectName("Label2");
    m_label2->setFont(makeFont("Small Fonts", 7, false));
    m_bCont = new QPushButton(m_statusBar);
    m_bCont->setObjectName("b_cont");
    m_bCont->setCheckable(true);
    m_bCont->setFixedSize(11, 11);
    m_bStop = new QPushButton(QStringLiteral("="), m_statusBar);
    m_bStop->setObjectName("b_stop");
    m_bStop->setFixedSize(11, 11);
    m_posBar = new QProgressBar(m_statusBar);
    m_posBar->setObjectName("PosBar");
    m_posBar->setRange(0, 100);
    m_posBar->setTextVisible(false);
    m_posBar->setFixedSize(150, 11);
    m_panel5 = makePanel(m_statusBar, "Panel5");
    m_panel6 = makePanel(m_statusBar, "Panel6");
    m_volBar = new QSlider(Qt::Horizontal, m_statusBar);
    m_volBar->setObjectName("VolBar");
    m_volBar->setRange(0, 100);
    m_volBar->setFixedSize(150, 14);
    m_volBar->setFocusPolicy(Qt::NoFocus);
    m_label1 = new QLabel(tr("Wave volume"), m_statusBar);
    m_label1->setObjectName("Label1");
    for (QWidget* w : { static_cast<QWidget*>(m_bCont), static_cast<QWidget*>(m_bStop), static_cast<QWidget*>(m_posBar) })
        w->setFocusPolicy(Qt::NoFocus);

    m_panelSearch = makePanel(client, "PanelSearch");
    auto* searchCaption = new QLabel(tr("  Search"), m_panelSearch);
    searchCaption->setObjectName("PanelSearchCaption");
    auto* edit1 = new QLineEdit(m_panelSearch);
    edit1->setObjectName("Edit1");
    auto* button1 = new QPushButton(m_panelSearch);
    button1->setObjectName("Button1");
    button1->setDefault(true);
    m_panelSearch->hide();
    m_comList = new QListWidget(client);
    m_comList->setObjectName("ComList");
    m_comList->hide();

    m_timerMain = new QTimer(this);
    m_timerMain->setObjectName("TimerMain");
    m_timerMain->setInterval(500);
    connect(m_timerMain, &QTimer::timeout, this, [this] { TimerMainTimer(); });
    m_timerMain->start();
    m_timer3 = new QTimer(this);
    m_timer3->setObjectName("Timer3");
    m_timer3->setInterval(100);
    buildTray();
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
    for (const char* caption : { "Help contents", "About program" })
        m_trayMenu->addAction(QLatin1String(caption));
    m_trayMenu->addSeparator();
    for (const char* caption : { "Configuration", "System Info", "View clipboard" })
        m_trayMenu->addAction(QLatin1String(caption));
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
    MainSettings.ConfirmCopy = true;
    MainSettings.ConfirmMove = true;
    MainSettings.ConfirmDelete = true;
    MainSettings.ConfirmExit = false;
    MainSettings.SysTrayIcon = true;
    MainSettings.Sync_Panels = false;
    MainSettings.Language = "ENGLISH";
    MainSettings.DelToRecycle = false;
    MainSettings.SysCopy = false;
    MainSettings.OldDrag = false;
    MainSettings.AutoSave = true;
    MainSettings.Main_Splitter = 7;
    QPalette buttons = m_hotKeyBox->palette();
    buttons.setColor(QPalette::ButtonText, toQColor(systemColorValue(clWindowText)));
    for (QPushButton* key : m_functionKeys)
        key->setPalette(buttons);
}

void TForm1::applyPanelFromIni(TFPanel* panel, const std::string& section)
{
    const IniFile& ini = *m_config;
    panel->Path = ini.readString(section, "Path", panel->Path);
    panel->Columns = ini.readInteger(section, "Columns", panel->Columns);
    panel->FontSizeSetting = ini.readInteger(section, "Length", panel->FontSizeSetting);
    panel->ShowScrollBar = ini.readBool(section, "Show_ScrollBar", panel->ShowScrollBar);
    panel->PanelFon = ini.readInteger(section, "PanelFon", panel->PanelFon);
    panel->PanelSelectFon = ini.readInteger(section, "PanelSelectFon", panel->PanelSelectFon);
    panel->LineColor = ini.readInteger(section, "LineColor", panel->LineColor);
    panel->LineColorSlave = ini.readInteger(section, "LineColorSlave", panel->LineColorSlave);
    panel->DirectoryColor = ini.readInteger(section, "DirectoryColor", panel->DirectoryColor);
    panel->FileSelectColor = ini.readInteger(section, "FileSelectColor", panel->FileSelectColor);
}

void TForm1::Load_INI()
{
    const IniFile& ini = *m_config;
    TMainSettings& s = MainSettings;
    m_left->ViewMode = ini.readInteger("Global", "Left_Style", m_left->ViewMode);
    m_right->ViewMode = ini.readInteger("Global", "Right_Style", m_right->ViewMode);
    s.Language = ini.readString("Global", "Language", s.Language);
    s.SysTrayIcon = ini.readBool("Global", "SysTrayIcon", s.SysTrayIcon);
    s.OnTop = ini.readBool("Global", "OnTop", s.OnTop);
    s.DelToRecycle = ini.readBool("Global", "DelToRecycle", s.DelToRecycle);
    s.SysCopy = ini.readBool("Global", "SysCopy", s.SysCopy);
    s.Main_Splitter = ini.readInteger("Global", "Main_Splitter", s.Main_Splitter);
    s.Show_ToolBar = ini.readBool("Global", "Show_ToolBar", s.Show_ToolBar);
    s.Show_StatusBar = ini.readBool("Global", "Show_StatusBar", s.Show_StatusBar);
    s.Show_DriveBar = ini.readBool("Global", "Show_DriveBar", s.Show_DriveBar);
    s.EditorType = ini.readString("Global", "EditorType", s.EditorType);
    s.EditorName = ini.readString("Global", "EditorName", s.EditorName);
    s.OldDrag = ini.readBool("Global", "OldDrag", s.OldDrag);
    s.AutoSave = ini.readBool("Global", "AutoSave", s.AutoSave);
    s.ConfirmCopy = ini.readBool("Confirm", "Copy", s.ConfirmCopy);
    s.ConfirmMove = ini.readBool("Confirm", "Move", s.ConfirmMove);
    s.ConfirmDelete = ini.readBool("Confirm", "Delete", s.ConfirmDelete);
    s.ConfirmExit = ini.readBool("Confirm", "Exit", s.ConfirmExit);
    s.StateWin = ini.readInteger("MainForm", "StateWin", 0);
    s.Left = ini.readInteger("MainForm", "Left", s.Left);
    s.Top = ini.readInteger("MainForm", "Top", s.Top);
    s.Width = ini.readInteger("MainForm", "Width", s.Width);
    s.Height = ini.readInteger("MainForm", "Height", s.Height);
    applyPanelFromIni(m_left, "Panel_Left");
    applyPanelFromIni(m_right, "Panel_Right");
    if (s.StateWin == 1) {
        setWindowState(Qt::WindowMaximized);
    } else {
        // Width and Height are the outer size; the frame adds the classic 4-pixel borders.
        move(s.Left, s.Top);
        resize(std::max(s.Width - 8, 200), std::max(s.Height - 46, 150));
    }
    if (m_tray)
        m_tray->setVisible(s.SysTrayIcon);
}

void TForm1::Save_INI()
{
    IniFile& ini = *m_config;
    const TMainSettings& s = MainSettings;
    ini.beginBatch();
    ini.writeString("Global", "ProgName", ProductName);
    ini.writeString("Global", "ProgVersion", std::string(ProductVersion) + ProductBuild);
    ini.writeString("Global", "Build", ProductBuild);
    ini.writeString("Global", "ProgDate", ProductDate);
    ini.writeString("Global", "Root", ProgramFolder);
    ini.writeString("Global", "Active", ActiveSide);
    ini.writeInteger("Global", "Left_Style", m_left->ViewMode);
    ini.writeInteger("Global", "Right_Style", m_right->ViewMode);
    ini.writeString("Global", "Language", s.Language);
    ini.writeBool("Global", "SysTrayIcon", s.SysTrayIcon);
    ini.writeBool("Global", "OnTop", s.OnTop);
    ini.writeBool("Global", "DelToRecycle", s.DelToRecycle);
    ini.writeBool("Global", "SysCopy", s.SysCopy);
    ini.writeInteger("Global", "Main_Splitter", s.Main_Splitter);
    ini.writeBool("Global", "IniLoad", true);
    ini.writeBool("Global", "Show_ToolBar", s.Show_ToolBar);
    ini.writeBool("Global", "Show_StatusBar", s.Show_StatusBar);
    ini.writeBool("Global", "Show_DriveBar", s.Show_DriveBar);
    ini.writeString("Global", "EditorType", s.EditorType);
    ini.writeString("Global", "EditorName", s.EditorName);
    ini.writeBool("Global", "OldDrag", s.OldDrag);
    ini.writeBool("Global", "AutoSave", s.AutoSave);
    const bool maximized = isMaximized();
    ini.writeInteger("MainForm", "StateWin", maximized ? 1 : 0);
    const QRect frame = frameGeometry();
    ini.writeInteger("MainForm", "Top", frame.top());
    ini.writeInteger("MainForm", "Left", frame.left());
    ini.writeInteger("MainForm", "Width", width() + 8);
    ini.writeInteger("MainForm", "Height", height() + 46);
    ini.writeInteger("MainForm", "Panel_Width", (width() + 8) / 2 - s.Main_Splitter);
    for (TFPanel* panel : { m_left, m_right }) {
        const std::string section = "Panel_" + panel->PanelName;
        // A panel inside an archive reopens in the archive's folder.
        const TBrowser& list = panel->Browser;
        std::string path = list.CurrentFolder();
        if (list.DiskKind != 0) {
            const TDiskInterface* bottom = list.Disk;
            while (bottom && bottom->Below)
                bottom = bottom->Below.get();
            if (bottom)
                path = bottom->Root + bottom->SavedFolder;
        }
        ini.writeString(section, "Path", path);
        ini.writeInteger(section, "Columns", panel->Columns);
        ini.writeInteger(section, "Length", panel->FontSizeSetting);
        ini.writeBool(section, "Show_ScrollBar", panel->ShowScrollBar);
    }
    ini.writeBool("Confirm", "Copy", s.ConfirmCopy);
    ini.writeBool("Confirm", "Move", s.ConfirmMove);
    ini.writeBool("Confirm", "Delete", s.ConfirmDelete);
    ini.writeBool("Confirm", "Exit", s.ConfirmExit);
    ini.commit();
}

void TForm1::PostLoadInit()
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
    for (TFPanel* panel : { m_left, m_right }) {
        panel->ScrollBand = panel->ShowScrollBar ? 11 : 0;
        panel->ApplyFontSize();
    }
    if (MainSettings.OnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

void TForm1::ReadPanelFolder(TFPanel* panel)
{
    panel->ReadFolder();
}

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
    const int statusHeight = m_statusBar->isVisible() ? 19 : 0;
    m_statusBar->setGeometry(0, ch - statusHeight, cw, 19);
    m_panelDown->setGeometry(0, ch - statusHeight - 42, cw, 42);
    m_panelDos->setGeometry(0, 0, cw, 17);
    m_comRead->adjustSize();
    m_comRead->setGeometry(2, 0, m_comRead->width(), 17);
    m_hotKeyBox->setGeometry(0, 19, m_hotKeyBox->width(), 23);
    m_label1->adjustSize();
    m_label2->setGeometry(4, 2, m_label2->width(), 15);

    const MainLayout layout = computeMainLayout(layoutInput());
    const auto place = [](QWidget* w, const Rect& r) { w->setGeometry(r.left, r.top, std::max(r.width, 0), std::max(r.height, 0)); };
    place(m_left, layout.leftPanel);
    place(m_right, layout.rightPanel);
    m_comLine->setGeometry(layout.comLineLeft, 0, std::max(layout.comLineWidth, 0), 17);
    const int barWidth = std::min(m_driveBars[0]->sizeHint().width() > 0 ? m_driveBars[0]->sizeHint().width() : 200,
        layout.leftPanel.right() - 1 - m_driveBars[0]->x());
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
        m_functionKeys[i]->setGeometry(layout.functionKeyLeft[i], 0, std::max(layout.functionKeyWidth[i], 0), 23);
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
    if (other->ViewMode == 4) {
        other->QuickViewFile = ActivePanel()->CurrentPath();
        other->Layout();
    }
}

void TForm1::ChangeDrive(const std::string& side)
{
    DriveDialogSide = side;
}

void TForm1::AddFileToHistory(const std::string& text)
{
    if (!text.empty())
        m_comList->addItem(QString::fromStdString(text));
}

void TForm1::File_Work(const std::string& path)
{
    (void)path;
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
    m_volBar->setValue(static_cast<int>(std::lround(level * 100.0 / 255.0)));
    m_volBar->update();
}

bool TForm1::FormCloseQuery()
{
    if (!MainSettings.ConfirmExit)
        return true;
    const std::string text = m_config ? std::string() : std::string();
    // The question's text comes from the language file (section Questions,
    // key Exit); until the language files arrive it is empty.
    return messageBox(text, ProductName, Buttons::YesNo, Icon::None) == Answer::Yes;
}

void TForm1::FormClose()
{
    if (MainSettings.AutoSave)
        Save_INI();
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

void TForm1::keyPressEvent(QKeyEvent* event)
{
    QMainWindow::keyPressEvent(event);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    return QMainWindow::eventFilter(watched, event);
}

} // namespace ov
