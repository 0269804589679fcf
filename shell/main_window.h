// TForm1: the main window of ov. It owns the two file panels, the settings,
// the name of the active panel and the open configuration file, lays out its
// parts, and asks before closing when the settings say so.
#pragma once

#include "panel/fpanel.h"
#include "platform/ini_file.h"
#include "shell/main_layout.h"
#include "shell/main_settings.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSlider;
class QSystemTrayIcon;
class QTimer;

namespace ov {

// Reads the level (0..255) of a volume channel; the media layer installs the
// real one, until then every level reads 0.
using VolumeReader = std::function<int(const std::string& channel)>;

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

    TFPanel* LeftPanel() const { return m_left; }
    TFPanel* RightPanel() const { return m_right; }
    TFPanel* ActivePanel() const { return ActiveSide == "Right" ? m_right : m_left; }
    TFPanel* OtherPanel() const { return ActiveSide == "Right" ? m_left : m_right; }
    IniFile& Config() { return *m_config; }

    void SetActive(const std::string& side, TFPanel* panel, const std::string& mode);
    void ActiveLeft(const std::string& text);
    void ActiveRight(const std::string& text);
    void ChangeFolderEv(const std::string& side);
    void ChangeFilePos();
    void ChangeDrive(const std::string& side);
    void AddFileToHistory(const std::string& text);
    void File_Work(const std::string& path);
    void Update_AllPanels();
    void FormResize();
    void Load_INI();
    void Save_INI();
    void Default_Init();
    void Global_Init();
    // Tab: the other panel becomes active and the prompt follows it.
    void ChangePanel();
    // Fills the work area (the RBut button).
    void RButClick();
    void TimerMainTimer();
    void setVolumeReader(VolumeReader reader) { m_volumeReader = std::move(reader); }

    // The layout's input as the window stands now.
    MainLayoutInput layoutInput() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildComposition();
    void buildTray();
    void PostLoadInit();
    void ReadPanelFolder(TFPanel* panel);
    void applyPanelFromIni(TFPanel* panel, const std::string& section);
    // The mouse on the window's own area: the splitter.
    void splitterPress(QMouseEvent* event);
    void splitterMove(QMouseEvent* event);
    bool FormCloseQuery();
    void FormClose();

    std::unique_ptr<IniFile> m_config;
    TFPanel* m_left = nullptr;
    TFPanel* m_right = nullptr;
    QWidget* m_client = nullptr;
    QWidget* m_panel3 = nullptr;
    QWidget* m_toolBar = nullptr;
    QPushButton* m_rBut = nullptr;
    QWidget* m_driveBars[2] = {};
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
    QSlider* m_volBar = nullptr;
    QWidget* m_panelSearch = nullptr;
    QListWidget* m_comList = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_trayMenu = nullptr;
    QTimer* m_timerMain = nullptr;
    QTimer* m_timer3 = nullptr;
    VolumeReader m_volumeReader;
    bool m_closing = false;
};

} // namespace ov
