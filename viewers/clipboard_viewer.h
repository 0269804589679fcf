// The clipboard viewer: a scroll box that shows what the clipboard holds
// and rebuilds its view on every change the clipboard announces (it never
// reads the clipboard on a timer: an owner that does not answer would hold
// each read for Qt's time-out). TFormClip is the modal window around it.
#pragma once

#include "viewers/clipboard_format.h"

#include <QDialog>
#include <QScrollArea>

#include <functional>
#include <string>

class QClipboard;
class QPushButton;

namespace ov {

class TClipboardViewer : public QScrollArea {
public:
    // clipboard: the clipboard followed (the application's by default).
    explicit TClipboardViewer(QWidget* parent = nullptr, QClipboard* clipboard = nullptr);

    TClipboardViewFormat ViewFormat() const { return m_format; }
    void SetViewFormat(TClipboardViewFormat format);
    // The format the current view shows.
    TClipboardViewFormat ShownFormat() const { return m_shown; }
    // The control showing the contents (memo, image or palette grid).
    QWidget* View() const { return widget(); }

    std::function<void(TClipboardViewer*)> OnChange;

    // Re-reads the clipboard and rebuilds the view (a change was announced).
    void ClipboardChanged();

private:
    void rebuild();

    QClipboard* m_clipboard;
    TClipboardViewFormat m_format = TClipboardViewFormat::cvDefault;
    TClipboardViewFormat m_shown = TClipboardViewFormat::cvEmpty;
};

// The window's place and size as stored in the settings.
struct ClipboardBounds {
    int left = 0, top = 0, width = 0, height = 0;
};
// Each value below 1 becomes 50, 50, 300 or 300.
ClipboardBounds usableClipboardBounds(ClipboardBounds stored);

class TFormClip : public QDialog {
public:
    TFormClip(const std::string& caption, ClipboardBounds bounds, QWidget* parent = nullptr,
        QClipboard* clipboard = nullptr);

    // The window's current bounds, for the settings.
    ClipboardBounds Bounds() const;

    // Shows the window modally; bounds are read and written back.
    static void Execute(const std::string& caption, ClipboardBounds& bounds, QWidget* parent);

    TClipboardViewer* Viewer = nullptr;
    QPushButton* OkButton = nullptr;
};

} // namespace ov
