// TMyToolBar: the drive bar of one panel, a strip of 25-pixel drive buttons
// painted into a backing canvas. Hovering a button raises it and, after
// half a second, shows the main window's hint box with the drive's letter
// and volume; pressing it opens the drive's root in the bar's own panel
// (never changing which panel is active), or beeps and says "not ready".
//
// The bar asks about drives only through a DriveFactsCache, so a dead
// network mount never holds up the mouse. Both bars of the window share one
// button list, filled once at start-up by CreateHotDrives.
#pragma once

#include "platform/canvas.h"
#include "platform/drives.h"
#include "shell/drive_bar_engine.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QLabel;
class QTimer;

namespace ov {

class DriveFactsCache;
class TFPanel;

class TMyToolBar : public QWidget {
public:
    explicit TMyToolBar(QWidget* parent = nullptr);
    ~TMyToolBar() override;

    std::string SideName = "Left";
    int ButtonWidth = DriveButtonWidth;
    int ButtonHeight = DriveButtonHeight;
    // Width of all buttons, remembered after filling (the layout clips the
    // left bar to its panel and lets it grow back to this).
    int NaturalWidth = 6;
    int ButtonCount = 0;
    // The letters and kinds; the right bar holds the left bar's lists.
    std::shared_ptr<const DriveButtonList> Drives;
    // The 1-based button under the mouse (0: none).
    int HoverIndex = 0;
    // Set when a press found the drive not ready, with that button's index.
    bool NotReady = false;
    int NotReadyIndex = 0;

    // What the bar works with, set by the main window.
    QLabel* HintBox = nullptr; // the window's hint box
    QLabel* Label3 = nullptr; // measures the hint text (Arial 8)
    TFPanel* Panel = nullptr; // the bar's own panel
    TFPanel* OtherPanel = nullptr;
    DriveFactsCache* Facts = nullptr;
    // The left panel: the hint box sits one pixel below its top.
    const QWidget* HintTopPanel = nullptr;
    std::function<std::string()> NotReadyText; // Errors/DriveNotReady
    // Mouse moves count only while the main window is the active window.
    std::function<bool()> WindowActive;
    std::function<void()> Beep; // the error beep

    // Takes the shared list and paints the buttons.
    void Fill(std::shared_ptr<const DriveButtonList> drives);
    // The whole bar: background, pictures, the raised button.
    void Paint();
    // The mouse at x in the bar, at screenX on the screen.
    void BarMouseMove(int x, int screenX);
    void BarMouseLeave();
    void BarMouseDown();
    // Every 500 ms while the mouse is on a button: shows the hint box.
    void HintTimerTick();
    QTimer* HintTimer() const { return m_hintTimer; }

    const QImage& image() const { return m_canvas.image(); }
    // The colours of the bar and of the raised edges (0x00BBGGRR).
    static constexpr int32_t RaisedLight = 0xFFFFFF;
    static constexpr int32_t RaisedShadow = 8421504;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // One-pixel frame of the 1-based button index, raised or in the face colour.
    void drawFrame(int index, bool raised);
    void setHintColour(int32_t colour);
    void setHintText(const std::string& text);
    void openDrive(char letter);
    std::string hintFor(int index);

    TCanvas m_canvas;
    QTimer* m_hintTimer = nullptr;
    std::map<std::string, QImage> m_pictures;
};

// Fills and places both bars from the drive table: the left bar at (3, 32)
// in Panel3, 6 + 25 per button wide and 30 high; the right bar at the right
// panel's left + 5, below the tool bar, sharing the left bar's lists.
void CreateHotDrives(TMyToolBar& left, TMyToolBar& right, const std::vector<Drive>& drives,
    int rightPanelLeft, int toolBarHeight);

} // namespace ov
