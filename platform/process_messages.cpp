#include "platform/process_messages.h"

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

void setProcessMessagesHook(std::function<void()> newHook)
{
    hook() = std::move(newHook);
}

} // namespace ov
