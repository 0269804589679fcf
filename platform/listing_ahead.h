// Reads one folder ahead on a worker thread, so a walk can delete or copy
// the files of one folder while the facts of the next are being read (the
// per-name system calls of a listing then overlap the walk's own). The
// worker starts with the first request; a walk that asks for nothing ahead
// costs no thread.
#pragma once

#include "platform/file_system.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ov {

class ListingAhead {
public:
    explicit ListingAhead(ListFacts facts = ListFacts::All)
        : m_facts(facts)
    {
    }
    ~ListingAhead();
    ListingAhead(const ListingAhead&) = delete;
    ListingAhead& operator=(const ListingAhead&) = delete;

    // Starts reading hostFolder in the background. An earlier request that
    // was never taken is dropped.
    void request(const std::string& hostFolder);

    // The listing of hostFolder as listFolder gives it: the one read ahead
    // when that folder was requested, else read now.
    bool take(const std::string& hostFolder, std::vector<HostEntry>& entries);

private:
    void work();
    // Waits until the worker holds no request in progress; the lock is held.
    void settle(std::unique_lock<std::mutex>& lock);

    const ListFacts m_facts;
    std::thread m_worker;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_folder; // the folder requested
    bool m_requested = false; // a request waits for the worker or is being read
    bool m_ready = false; // its listing is in m_entries
    bool m_listed = false; // what listFolder returned for it
    bool m_quit = false;
    std::vector<HostEntry> m_entries;
};

} // namespace ov
