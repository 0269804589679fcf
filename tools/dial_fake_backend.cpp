#include "tools/dial_fake_backend.h"

namespace ov {

FakeDialBackend::~FakeDialBackend()
{
    stopThread();
}

std::vector<std::string> FakeDialBackend::entries()
{
    return Available ? Entries : std::vector<std::string>();
}

int FakeDialBackend::dial(const std::string& entry, EventSink sink)
{
    stopThread();
    Calls.push_back("dial " + entry);
    if (!Available)
        return DialError::NoService;
    if (const auto result = DialResults.find(entry); result != DialResults.end() && result->second != 0)
        return result->second;
    std::vector<DialEvent> script;
    if (const auto found = Scripts.find(entry); found != Scripts.end())
        script = found->second;
    m_stop = false;
    m_thread = std::thread([this, script = std::move(script), sink = std::move(sink)] {
        for (const DialEvent& event : script) {
            {
                std::lock_guard lock(m_mutex);
                if (m_stop)
                    return;
            }
            sink(event);
        }
    });
    return 0;
}

void FakeDialBackend::hangUp()
{
    Calls.push_back("hangup");
    stopThread();
}

void FakeDialBackend::stopThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace ov
