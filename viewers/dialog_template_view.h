// The dialog preview: a DialogTemplate turned into Qt widgets, one per
// control of a known class, placed in dialog units converted through the
// template font's base units (horizontal: the average width of the 52
// letters A-Z a-z; vertical: the font's height; a unit is a quarter of the
// one and an eighth of the other). The dialog closes when a control with
// the Cancel id (2) is pressed. The placeholder window that carries it
// closes, and takes the dialog with it, on a mouse press.
#pragma once

#include "viewers/dialog_template.h"

#include <QFont>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace ov {

struct DialogBaseUnits {
    int x = 1;
    int y = 1;
};

DialogBaseUnits dialogBaseUnits(const QFont& font);
// A rectangle in dialog units in pixels.
QRect dialogUnitsToPixels(int x, int y, int cx, int cy, DialogBaseUnits units);
// The font a template asks for ("MS Shell Dlg" and the like map to the
// system's dialog font family through fontconfig).
QFont dialogFont(const DialogTemplate& dialog);

// The dialog as a top-level window owned by `parent`, not shown yet.
QWidget* createDialogWidget(const DialogTemplate& dialog, QWidget* parent);

// The stay-on-top placeholder that owns a dialog preview: 500 pixels wide,
// "I'm just a placeholder for dialog. Click to close".
class TDialogPlaceholder : public QWidget {
public:
    explicit TDialogPlaceholder(QWidget* parent = nullptr);
    // Creates the dialog as a child window of the placeholder.
    QWidget* ShowDialog(const DialogTemplate& dialog);
    QWidget* Dialog() const { return m_dialog.data(); }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QPointer<QWidget> m_dialog;
};

} // namespace ov
