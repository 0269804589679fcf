// TFPanel: the file panel control. It shows one file list (TBrowser) and
// paints itself into its own backing image through a TCanvas.
//
// This is the panel's first form: a frame, the folder in the header and the
// names of the list in columns, with the cursor bar in the active panel.
#pragma once

#include "panel/browser.h"
#include "platform/canvas.h"

#include <QWidget>

#include <functional>
#include <string>

namespace ov {

class TFPanel : public QWidget {
public:
    explicit TFPanel(QWidget* parent = nullptr);

    // Settings (their defaults are the panel's built-in ones).
    std::string PanelName = "Left";
    bool IsActive = false;
    int ViewMode = 1; // 1 brief, 3 full, 2 information, 4 quick view
    int Columns = 3;
    int FontSizeSetting = 8;
    std::string Path = "c:\\";
    std::string SortSetting = "srName";
    int32_t PanelFon = 0x800000;
    int32_t PanelSelectFon = 0xA8A800;
    int32_t LineColor = 0xFFFFFF;
    int32_t LineColorSlave;
    int32_t DirectoryColor = 0xFFFFFF;
    int32_t FileSelectColor = 0x00FFFF;
    int32_t PathColor = 0xFFFFFF;
    bool ShowScrollBar = true;
    std::string QuickViewFile;

    TBrowser Browser;
    int TopIndex = 0;
    int CursorRow = 0;
    int HeaderHeight = 25;
    int FooterHeight = 38;
    int ScrollBand = 11;

    // Events, wired by the main window.
    std::function<void(TFPanel* sender, const std::string& text)> OnChangeActive;
    std::function<void(TFPanel* sender, const std::string& path)> OnFileEnter;
    std::function<void(TFPanel* sender, const std::string& side)> OnChangeDrive;
    std::function<void(TFPanel* sender)> OnChangePos;
    std::function<void(TFPanel* sender, const std::string& side)> OnChangeFolder;
    std::function<void(TFPanel* sender, const std::string& text)> OnAddFileHistory;

    // Resets every setting to the panel's built-in defaults.
    void ResetDefaults();
    // Reads Path into the file list (the drive's root when Path is unusable).
    void ReadFolder();
    // Header and footer heights from the font size setting.
    void ApplyFontSize();
    void DrawFrame();
    void DrawList();
    void PlaceCursor();
    void DrawCursor();
    void EraseCursor();
    // Full repaint of the backing image.
    void Layout();
    // The full path of the entry under the cursor.
    std::string CurrentPath() const;
    int CurrentIndex() const { return TopIndex + CursorRow + 1; }
    int RowsPerColumn() const;
    int ColumnCount() const { return ViewMode == 3 ? 1 : std::clamp(Columns, 1, 10); }

    const QImage& backingImage() const { return m_canvas.image(); }
    // Set so that the next mouse press redraws the cursor bar even on the same row.
    bool RedrawOnPress = false;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void drawRow(int row, bool cursor);
    TCanvas m_canvas;
};

} // namespace ov
