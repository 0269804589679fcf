// The drive window: lists the drives (fileops/drive_info_rows.h) and
// switches a panel to the chosen one, keeping the folder it showed. A
// drive is tested for readiness with a bound, so a dead network mount
// answers "not ready" instead of freezing the window. A typed letter
// chooses at once; a right click, Esc and losing the focus close the
// window without a change.
#pragma once

#include "fileops/drive_info_rows.h"
#include "fileops/file_ops_host.h"

#include <QDialog>

#include <functional>

class QListWidget;

namespace ov {

class TFormDrive : public QDialog {
public:
    TFormDrive(TFileOpsHost& host, PanelSide side, QWidget* parent = nullptr);

    // Shows the window for the host's panel on side; true when the panel
    // changed drive.
    static bool Execute(TFileOpsHost& host, PanelSide side);

    // Where the window goes: 40 pixels right of the main window's left edge
    // for the left panel, of its middle for the right one, 90 below its top.
    static QPoint Placement(const QRect& mainWindow, bool rightPanel);
    // Builds the rows and selects the panel's drive.
    void FormShow();
    // Chooses row (0-based): ready drives are opened and the window closes;
    // otherwise the "not ready" box shows and the window stays.
    bool SetNewDrive(int row);
    // A typed key: the first row whose upper-cased text starts with it.
    bool ChooseLetter(char key);
    const std::vector<DriveRow>& Rows() const { return m_rows; }
    int SelectedRow() const;

    // Tests: the readiness probe (default: the drive facts).
    std::function<bool(char)> ReadyProbe;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TFileOpsHost& m_host;
    PanelSide m_side;
    std::vector<DriveRow> m_rows;
    QListWidget* m_grid = nullptr;
    bool m_changed = false;
    bool m_inBox = false;
};

} // namespace ov
