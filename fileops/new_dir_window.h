// TFormNewDir: the create-folder window (F7). One editable drop-down for the
// name; OK makes the folder (see create_entry.h), refreshes both panels and
// puts the active panel's cursor on the new folder.
#pragma once

#include "fileops/name_window_layout.h"

namespace ov {

class TFormNewDir : public TNameWindow {
public:
    explicit TFormNewDir(TFileOpsHost& host, QWidget* parent = nullptr);

    void Button_OKClick() override;

    static void Execute(TFileOpsHost& host);
};

} // namespace ov
