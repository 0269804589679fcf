// A dial backend for tests and for machines without the real service: a
// fixed list of entries, and for each entry a script of events that a
// thread of its own plays when the entry is dialed.
#pragma once

#include "tools/dial_backend.h"

#include <map>
#include <mutex>
#include <thread>

namespace ov {

class FakeDialBackend : public DialBackend {
public:
    FakeDialBackend() = default;
    ~FakeDialBackend() override;

    bool Available = true;
    std::vector<std::string> Entries;
    // The events each entry's dial plays, in order.
    std::map<std::string, std::vector<DialEvent>> Scripts;
    // What dial answers for an entry (0 when missing).
    std::map<std::string, int> DialResults;
    // The entries dialed and the hang-ups, in order ("dial A", "hangup").
    std::vector<std::string> Calls;

    bool available() override { return Available; }
    std::vector<std::string> entries() override;
    int dial(const std::string& entry, EventSink sink) override;
    void hangUp() override;

private:
    void stopThread();

    std::thread m_thread;
    std::mutex m_mutex;
    bool m_stop = false;
};

} // namespace ov
