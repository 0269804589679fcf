// The full-screen picture viewer: shows the active panel's current file,
// pages through the panel's files with keys and mouse buttons, and saves the
// shown picture as a JPEG file.
//
// The decisions (where the picture goes, what a key or button does, how the
// quality box reads) are plain functions tested without a window; the
// window is thin over them and reaches the panel only through
// TPictureViewerHost.
#pragma once

#include <QDialog>
#include <QRect>
#include <QSize>

#include <string>

class QLabel;
class QLineEdit;
class QFrame;
class QPushButton;
class QToolButton;

namespace ov {

// What the viewer needs from the main window: the active panel's current
// file and cursor, and the end of both panels' mouse gestures.
class TPictureViewerHost {
public:
    virtual ~TPictureViewerHost() = default;
    // The full Windows path of the active panel's current entry.
    virtual std::string CurrentFile() = 0;
    // The cursor's entry (1-based) and the number of entries.
    virtual int CurrentIndex() = 0;
    virtual int Count() = 0;
    // Moves the cursor by one entry and redraws the panel.
    virtual void CursorDown() = 0;
    virtual void CursorUp() = 0;
    // Ends any press, drag or selection gesture both panels have pending.
    virtual void EndPanelGestures() = 0;
};

// The texts of the save panel.
inline constexpr const char* kSavePrompt
    = "Specify a name new JPEG \r\nof a file in which to keep a current picture ";
inline constexpr const char* kSaveNameMissing
    = "Specify a name new JPEG of a file in which to keep a current picture";
inline constexpr const char* kQualityLabel = "Quality (1..100)";
inline constexpr const char* kDefaultQuality = "70";
inline constexpr const char* kDefaultSaveName = "h:\\test.jpg";

enum class ViewerAction { None, Close, ToggleSave, ToggleLabel, Next, Previous };

// Whether the lower-cased extension of a path is one the viewer shows:
// .jpg, .jpeg, .bmp, .gif, .ico.
bool isViewerPicture(const std::string& path);

// Where a picture of natural size goes on a screen: narrowed to the
// screen's width, then lowered to its height (never enlarged), centred.
QRect viewerPlacement(QSize natural, QSize screen);

// What a key press does. The first entry closes the viewer (every key but
// the paging and panel keys, unless exactly Ctrl or exactly Alt is held);
// otherwise the key's own action.
ViewerAction viewerKeyAction(int key, Qt::KeyboardModifiers modifiers);

// Left button closes, right shows the next picture, middle the previous.
ViewerAction viewerMouseAction(Qt::MouseButton button);

// The quality box: empty → nothing to do (false, no error); not a number →
// false with the conversion error in error; else clamped to 1..100.
bool parseViewerQuality(const std::string& text, int& quality, std::string& error);

// The label: the file's name, and after a picture was read ", W" + "x" + "H".
std::string viewerLabel(const std::string& name, QSize natural, bool loaded);

class TViewerForm : public QDialog {
public:
    explicit TViewerForm(TPictureViewerHost& host, QWidget* parent = nullptr);

    // Shows the viewer modally on the host's current file; a file that is
    // no picture closes it at once (the panels' gestures still end).
    static void Execute(TPictureViewerHost& host, QWidget* parent);

    // Shows the current file; false when it is no picture (the viewer
    // closes then).
    bool ShowCurrent();
    // Pages: moves the panel's cursor and shows the new file.
    void NextPicture();
    void PreviousPicture();
    void ToggleSavePanel();
    // The save panel's "&Save": validates, re-decodes the file at full size
    // and writes the JPEG.
    void SaveJpeg();
    // Runs one action as a key or button would.
    void Run(ViewerAction action);

    // The screen size used to place pictures (tests set a fixed one).
    void SetScreenSize(QSize size) { m_screen = size; }
    const std::string& ShownFile() const { return m_file; }
    QRect ImageRect() const;
    QSize NaturalSize() const { return m_natural; }

    QLabel* Image = nullptr;
    QLabel* InfoLabel = nullptr;
    QFrame* SavePanel = nullptr;
    QLineEdit* FileNameEdit = nullptr;
    QToolButton* BrowseButton = nullptr;
    QLineEdit* QualityEdit = nullptr;
    QPushButton* SaveButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    QSize screenSize() const;
    void browse();

    TPictureViewerHost& m_host;
    QSize m_screen;
    std::string m_file;
    QSize m_natural;
    bool m_closing = false;
};

} // namespace ov
