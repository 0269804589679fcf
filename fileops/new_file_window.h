// TFormNewFile: the create-file window (Shift+F4). One editable drop-down for
// the name; OK creates an empty file (see create_entry.h), never touching an
// existing one, refreshes both panels and moves the cursor up one row.
#pragma once

#include "fileops/name_window_layout.h"

namespace ov {

class TFormNewFile : public TNameWindow {
public:
    explicit TFormNewFile(TFileOpsHost& host, QWidget* parent = nullptr);

    void Button_OKClick() override;

    static void Execute(TFileOpsHost& host);
};

} // namespace ov
