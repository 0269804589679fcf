// The archive disk built from arbitrary bytes through the in-memory file
// layer, then every folder walked from the top: the walk ends, every record
// is reached exactly once, and no entry is "", "." or "..". The first byte
// picks the archive's name, since a few kinds look at the extension.
#include "archive/memory_file.h"
#include "panel/arc_disk.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    static const char* const names[]
        = { "/a.zip", "/a.arj", "/a.lzh", "/a.rar", "/a.cab", "/a.tar", "/a.ha", "/a.arc" };
    const std::string name = names[data[0] % (sizeof names / sizeof names[0])];
    auto store = std::make_shared<ov::MemoryFileStore>();
    store->add(name, std::vector<uint8_t>(data + 1, data + size));
    ov::TARCDiskInterface disk("c:\\a", name);
    disk.Store = store;
    disk.Read();
    std::size_t seen = 0;
    std::vector<std::string> pending { "" };
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        ov::Entry entry;
        for (bool more = disk.FindFirst(folder, entry); more; more = disk.FindNext(entry)) {
            if (++seen > disk.RecordCount())
                std::abort();
            if (entry.FullName.empty() || entry.FullName == "." || entry.FullName == ".."
                || entry.FullName.find('\\') != std::string::npos)
                std::abort();
            if (entry.isFolder())
                pending.push_back(folder + entry.FullName + "\\");
        }
    }
    if (seen != disk.RecordCount())
        std::abort();
    return 0;
}
