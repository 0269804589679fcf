#include "platform/listing_ahead.h"

namespace ov {

ListingAhead::~ListingAhead()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void ListingAhead::settle(std::unique_lock<std::mutex>& lock)
{
    m_changed.wait(lock, [this] { return !m_requested || m_ready; });
}

void ListingAhead::request(const std::string& hostFolder)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        settle(lock);
        m_folder = hostFolder;
        m_requested = true;
        m_ready = false;
        m_entries.clear();
    }
    if (!m_worker.joinable())
        m_worker = std::thread(&ListingAhead::work, this);
    m_changed.notify_all();
}

bool ListingAhead::take(const std::string& hostFolder, std::vector<HostEntry>& entries)
{
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        settle(lock);
        const bool mine = m_requested && m_folder == hostFolder;
        m_requested = false;
        m_ready = false;
        if (mine) {
            entries = std::move(m_entries);
            m_entries.clear();
            return m_listed;
        }
        m_entries.clear();
    }
    return listFolder(hostFolder, entries, m_facts);
}

void ListingAhead::work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || (m_requested && !m_ready); });
        if (m_quit)
            return;
        const std::string folder = m_folder;
        lock.unlock();
        std::vector<HostEntry> entries;
        const bool listed = listFolder(folder, entries, m_facts);
        lock.lock();
        m_entries = std::move(entries);
        m_listed = listed;
        m_ready = true;
        m_changed.notify_all();
    }
}

} // namespace ov
