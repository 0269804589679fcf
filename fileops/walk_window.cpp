#include "fileops/walk_window.h"

#include "platform/file_operation.h"

#include <QCloseEvent>

namespace ov {

void WalkWindow::stopWalk()
{
    if (m_system)
        m_system->Cancel();
    else
        m_host.List(PanelSide::Active).Stop();
}

void WalkWindow::Button_CancelClick()
{
    if (m_running) {
        stopWalk();
        return;
    }
    QDialog::reject();
}

void WalkWindow::reject()
{
    Button_CancelClick();
}

void WalkWindow::closeEvent(QCloseEvent* event)
{
    if (m_running) {
        stopWalk();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void WalkWindow::runSystem(TFileOperation& operation)
{
    m_system = &operation;
    m_running = true;
    operation.Execute();
    m_running = false;
    m_system = nullptr;
    operation.OnProgress = nullptr;
}

} // namespace ov
