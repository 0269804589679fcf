// The main window's commands "Help" (F1: the help viewer, made on the first
// use and kept) and "Information" (the information window, made per use,
// modal).
#pragma once

namespace ov {

class TFormHlp;

void registerHelpCommands();
// The help viewer made by the first "Help"; nullptr before it (tests).
TFormHlp* helpWindow();

} // namespace ov
