// The folder history: every folder a panel enters, in order, without a limit
// and with duplicates kept. It lives for the program run and is never stored.
#pragma once

#include <string>
#include <vector>

namespace ov {

class FolderHistory {
public:
    // The one history of the program run.
    static FolderHistory& shared();

    void Add(const std::string& folder) { m_items.push_back(folder); }
    const std::vector<std::string>& Items() const { return m_items; }
    void Clear() { m_items.clear(); }

private:
    std::vector<std::string> m_items;
};

} // namespace ov
