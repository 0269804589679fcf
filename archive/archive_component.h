// The base of every archive component: the cancel flag, the run's
// stopwatch with OnElapsedTime, and the hook that lets pending window
// messages run between blocks (the GUI sets it to its event pump; tests to
// a counter).
#pragma once

#include "archive/arc_stopwatch.h"

#include <functional>

namespace ov {

class TArchiveComponent {
public:
    virtual ~TArchiveComponent() = default;

    // Sets or clears the cancel flag, then lets pending messages run (a
    // cancel usually arrives from a button whose click must be processed).
    void Cancel(bool value)
    {
        m_cancel = value;
        processMessages();
    }
    bool Cancelled() const { return m_cancel; }

    // Runs pending window messages; does nothing without a hook.
    void processMessages()
    {
        if (ProcessMessages)
            ProcessMessages();
    }

    std::function<void()> ProcessMessages;
    std::function<void(TArchiveComponent& Sender, float ElapsedTime)> OnElapsedTime;

protected:
    bool m_cancel = false;
    TArcStopwatch m_stopwatch;
};

} // namespace ov
