// TFPanel: the custom-drawn file panel. It shows one file list (TBrowser) in
// one of four modes (brief, full, information, quick view), moves its cursor
// and selection from keys and the mouse, and tells the main window what
// happened through its On... events.
//
// The panel paints into its own backing image through a TCanvas; the Qt
// paint handler only copies that image. Partial repaints (the cursor cell,
// the footer, the strip's thumb) draw at once and schedule an update. The
// figures that cost a question to the system (free space, volume facts,
// memory, font metrics, pictures) are taken when the folder, mode or font
// changes and kept; drawing never asks for them.
//
// The geometry and the cursor arithmetic live in panel_geometry.h and
// panel_cursor.h, where they are checked without a window.
#pragma once

#include "panel/browser.h"
#include "panel/panel_cursor.h"
#include "panel/panel_geometry.h"
#include "panel/panel_settings.h"
#include "panel/panel_text.h"
#include "platform/canvas.h"
#include "platform/file_system.h"

#include <QImage>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

class QLabel;

namespace ov {

class TFPanel : public QWidget {
public:
    explicit TFPanel(QWidget* parent = nullptr);
    ~TFPanel() override;

    // Fixed at creation: "Left" or "Right".
    std::string PanelName = "Left";
    bool IsActive = false;
    // What the panel draws with and what ov.ini keeps for it. Fields may be
    // changed in place and the next drawing uses them, except the bounds
    // and the font, which take effect through setSettings (a whole set) or
    // SetListFont.
    PanelSettings Settings;
    // The settings with the panel's bounds as they are now.
    PanelSettings settings() const;
    // Takes over settings: bounds, font (then the stored column widths),
    // the list's sort mode. Nothing is read or drawn.
    void setSettings(const PanelSettings& values);
    // Global settings the panel reads: "AMERICAN" puts the month first;
    // OldDrag arms a drag after 5 pixels of movement anywhere.
    std::string Language;
    bool OldDrag = false;
    PanelTexts Texts;
    std::string QuickViewFile;
    // The panel beside this one (quick view, information mode, Ctrl+I/Q/L).
    TFPanel* OtherPanel = nullptr;

    TBrowser Browser;
    int TopIndex = 0;
    int CursorRow = 0;
    // Figures of the last layout.
    int HeaderHeight = 25;
    int FooterHeight = 38;
    int ScrollBand = 11;

    // State recorded when the cursor is drawn.
    std::string CurrentName;
    bool CurrentIsFolder = false;
    int64_t CurrentSize = 0;
    int64_t FreeSpace = 0;
    int64_t TotalSpace = 0;
    std::string ArchiveType; // "ZIP" while an archive is shown

    // Events, wired by the main window.
    std::function<void(TFPanel* sender, const std::string& text)> OnChangeActive;
    std::function<void(TFPanel* sender, const std::string& path)> OnFileEnter;
    std::function<void(TFPanel* sender, const std::string& side)> OnChangeDrive;
    std::function<void(TFPanel* sender)> OnChangePos;
    std::function<void(TFPanel* sender, const std::string& side)> OnChangeFolder;
    std::function<void(TFPanel* sender, const std::string& text)> OnAddFileHistory;
    // The folder just entered, for the folder history.
    std::function<void(TFPanel* sender, const std::string& folder)> OnAddFolderHistory;
    // Enter on a .dll: open the resource explorer on the file (full path).
    std::function<void(TFPanel* sender, const std::string& path)> OnOpenResources;
    // Middle button: the main window's view command on the current file.
    std::function<void(TFPanel* sender)> OnViewFile;
    // A drag released over the other panel: copy there.
    std::function<void(TFPanel* sender)> OnDragCopy;
    // The entry under the last drag's press point (the cursor may since have
    // followed the pointer elsewhere); 0 when it is no longer in the list.
    int DraggedIndex() const;
    // Ends a pending press, drag or column resize without acting on it (a
    // modal window that took the mouse away closes over the panel).
    void CancelGesture();
    // Any mouse press: the main window closes its quick-search box.
    std::function<void(TFPanel* sender)> OnCloseQuickSearch;

    // Resets every setting to the panel's built-in defaults.
    void ResetDefaults();
    // Opens Path (a path without a drive letter reads as "c:\"), puts the
    // cursor on entry 1, reads the drive's free space and repaints.
    void ReadFolder();
    // ReadFolder in two halves: the list, then the rest (free space, drawing).
    void OpenList();
    void ShowOpenedList();
    // OpenList in parts, so that the list's own read can run on another
    // thread without touching the panel: PrepareList (this thread) settles
    // Path and gives the read's options to Browser and says what to open;
    // the engine reads into a TBrowser of its own with those options
    // (copyListOptions); AdoptList (this thread) takes that list over.
    struct ListRequest {
        std::string root; // "C:\"
        std::string folder; // inside it, ending in "\" or empty
    };
    ListRequest PrepareList();
    void copyListOptions(TBrowser& list) const;
    void AdoptList(TBrowser& list);
    // The list font; also remembers its size in FontSizeSetting and sizes the
    // size and date columns for it.
    void SetListFont(const std::string& family, int size, bool bold);
    // Header and footer heights from FontSizeSetting.
    void ApplyFontSize();

    // Drawing.
    void Layout();
    void DrawFrame(const std::string& mode = std::string()); // "Fon_True" clears first
    void DrawList();
    void DrawColumnLines();
    void PlaceCursor();
    void DrawCursor();
    void EraseCursor();
    void DrawFooter(const std::string& what = "All"); // "All" or "File"
    void DrawInfo();
    void ShowQuickView();
    void DrawScrollThumb();
    void EraseScrollThumb();
    int32_t NameColor(const std::string& name) const;

    // Cursor and list operations (the keys of the active panel).
    void CursorUp();
    void CursorDown();
    void PageRight();
    void PageLeft();
    void CursorHome();
    void CursorEnd();
    // Makes 1-based entry n current (no drawing).
    void SetCursorIndex(int n);
    void EnterItem();
    void GoUp();
    // Ctrl+PgDn: enters the folder under the cursor (a link to a folder
    // too); on a file or ".." nothing happens.
    void EnterFolderUnderCursor();
    void GoRoot();
    void PreviousDrive();
    void NextDrive();
    void SelectAndDown();
    void InvertSelection(bool withFolders);
    // Flips quick view on this (passive) panel; activePath is the active
    // panel's current file.
    void ToggleQuickView(const std::string& activePath);
    // Flips information mode on this panel and back to the mode it had.
    void ToggleInfo();
    void ToggleHidden();
    void QuickSearch(const std::string& text);
    void QuickSearchNext(const std::string& text);
    // Re-reads keeping the current name, then redraws.
    void Refresh();
    // Makes the cell under (x, y) current; force redraws even on the same row.
    void PointToCursor(int x, int y, bool force = false);
    // One key as the main window routes it; false when the panel does not
    // take the key.
    bool KeyDown(int key, Qt::KeyboardModifiers modifiers);

    // The full path of the entry under the cursor.
    std::string CurrentPath() const;
    // The cursor is on an entry of the list (false on an empty list).
    bool HasCurrentEntry() const;

    // Folder reads run on a worker. One that takes longer than
    // ReadingDelayMs shows the header and "Reading…" while the window keeps
    // answering; until it ends no other read starts and keys do nothing but
    // Esc, which gives the read up and leaves the old list.
    static constexpr int ReadingDelayMs = 150;
    bool IsReading() const { return m_reading; }
    void CancelRead();
    int CurrentIndex() const { return TopIndex + CursorRow + 1; }
    int RowsPerColumn() const { return geometry().rows; }
    int ColumnCount() const
    {
        return Settings.ViewMode == ViewMode::Full ? 1 : std::clamp(Settings.Columns, 1, MaxColumns);
    }
    PanelGeometry geometry() const;

    const QImage& backingImage() const { return m_canvas.image(); }
    // Set so that the next mouse press redraws the cursor bar even on the same row.
    bool RedrawOnPress = false;

    // Gesture state, for tests.
    QString dragHintText() const;
    bool dragHintVisible() const;
    std::string autoScrollDirection() const { return m_autoScroll; }
    int resizingColumn() const { return m_resizing; }
    // Marks the information mode's figures for a re-read at the next layout.
    void InvalidateInfo() { m_infoStale = true; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Three rows per notch of the wheel; the cursor moves as with the
    // arrow keys. Finer wheels add up to whole notches.
    void wheelEvent(QWheelEvent* event) override;

private:
    enum class Gesture { None, Left, Right };
    struct InfoFigures {
        char letter = 'c';
        int64_t total = 0;
        int64_t free = 0;
        int64_t totalMemory = 0;
        int64_t availableMemory = 0;
        int64_t availablePageFile = 0;
        std::string label;
        std::string serial;
    };

    bool listMode() const
    {
        return Settings.ViewMode == ViewMode::Brief || Settings.ViewMode == ViewMode::Full;
    }
    PanelCursor cursorModel() const;
    void applyMove(const PanelCursor& moved, CursorMove move);
    void moveBy(CursorMove (PanelCursor::*step)());
    void drawSunkenEdge();
    void redrawAll();
    void drawCell(int row, bool cursor);
    void recordCurrent();
    void enterFolderAt(int index);
    void changeDrive(int step);
    void readInfoFigures();
    int columnLineAt(int x) const;
    void startAutoScroll(const char* direction);
    void stopAutoScroll();
    void autoScrollTick(bool down);
    void endGesture();
    void paintSelection(int fromIndex, int toIndex);
    void showDragHint(QPoint at);
    void drawRaisedThumb(int x, bool erase);
    void useFont(bool bold);

    TCanvas m_canvas;
    QFont m_listFont;
    QFont m_listBold;
    QFont m_infoFont;
    int m_letterHeight = 13;
    int m_thumbX = -1;
    ViewMode m_modeBeforeInfo = ViewMode::Brief;
    bool m_infoStale = true;
    InfoFigures m_info;
    QImage m_quickPicture;
    QSize m_quickNatural;

    Gesture m_gesture = Gesture::None;
    QPoint m_pressPoint;
    std::string m_dragName;
    bool m_dragArmed = false;
    bool m_paintSelects = true;
    int m_resizing = 0;
    int m_wheelRemainder = 0; // eighths of a degree short of a notch
    // Reads windowsFolder's listing on a worker and offers it to the list's
    // next read on this thread; false when the read was given up (or another
    // one runs), and nothing may change then.
    bool readAhead(const std::string& windowsFolder, std::optional<OfferedListing>& offer);
    void drawReading(const std::string& windowsFolder);
    bool m_reading = false;
    bool m_readCancelled = false;
    std::string m_autoScroll;
    QTimer m_timerUp;
    QTimer m_timerDown;
    QLabel* m_hint = nullptr;
};

} // namespace ov
