#include "viewers/picture_viewer_commands.h"

#include "panel/fpanel.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "viewers/picture_viewer.h"

namespace ov {

namespace {

// The main window's panels as the picture viewer sees them.
class PanelHost : public TPictureViewerHost {
public:
    explicit PanelHost(TForm1& form)
        : m_form(form)
    {
    }
    std::string CurrentFile() override
    {
        TFPanel* panel = m_form.ActivePanel();
        return panel->Browser.CurrentFolder() + panel->Browser.NameAt(panel->CurrentIndex());
    }
    int CurrentIndex() override { return m_form.ActivePanel()->CurrentIndex(); }
    int Count() override { return m_form.ActivePanel()->Browser.Count; }
    void CursorDown() override { m_form.ActivePanel()->CursorDown(); }
    void CursorUp() override { m_form.ActivePanel()->CursorUp(); }
    void EndPanelGestures() override
    {
        m_form.ActivePanel()->CancelGesture();
        m_form.OtherPanel()->CancelGesture();
    }

private:
    TForm1& m_form;
};

} // namespace

void registerPictureViewerCommands()
{
    // The viewer reads the file from the active panel itself.
    registerFileHandler("ViewPicture", [](TForm1& form, const std::string&) {
        PanelHost host(form);
        TViewerForm::Execute(host, &form);
    });
}

} // namespace ov
