// The hook that long walks call between blocks, files and folders so that
// the user interface stays alive. The GUI sets it to process pending events;
// tests set it to a counter; by default it does nothing.
#pragma once

#include <functional>

namespace ov {

void processMessages();
// processMessages at most every 30 ms: what walks call per block and per
// file, so that a fast walk is not slowed by its own progress display.
void letMessagesThrough();
void setProcessMessagesHook(std::function<void()> hook);

} // namespace ov
