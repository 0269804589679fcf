#include "platform/process_messages.h"

#include <chrono>

namespace ov {

namespace {
std::function<void()>& hook()
{
    static std::function<void()> current;
    return current;
}
} // namespace

void processMessages()
{
    if (hook())
        hook()();
}

void letMessagesThrough()
{
    using Clock = std::chrono::steady_clock;
    static Clock::time_point last;
    const Clock::time_point now = Clock::now();
    if (now - last < std::chrono::milliseconds(30))
        return;
    last = now;
    processMessages();
}

void setProcessMessagesHook(std::function<void()> newHook)
{
    hook() = std::move(newHook);
}

} // namespace ov
