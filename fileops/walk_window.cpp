#include "fileops/walk_window.h"

#include "platform/dialogs.h"
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
    const FileOperationResult result = operation.Execute();
    m_running = false;
    m_system = nullptr;
    operation.OnProgress = nullptr;
    if (!result.reasons.empty()) {
        const bool toTrash = operation.Operation == FileOperationKind::Delete && operation.AllowUndo;
        std::string text = toTrash ? "These could not be moved to the Trash and were left in place:"
                                   : "These could not be processed:";
        for (std::size_t i = 0; i < result.reasons.size() && i < 10; ++i)
            text += "\n" + result.reasons[i];
        if (result.reasons.size() > 10)
            text += "\n... (" + std::to_string(result.reasons.size() - 10) + " more)";
        messageBox(text, "Error", Buttons::Ok, Icon::Error);
    }
    showNotices(result.notices);
}

void WalkWindow::showNotices(const std::vector<std::string>& notices)
{
    for (const std::string& notice : notices)
        messageBox(notice, "Information", Buttons::Ok, Icon::Information);
}

} // namespace ov
