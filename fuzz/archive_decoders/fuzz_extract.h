// End-to-end extraction of arbitrary bytes as an archive into a temporary
// folder. The invariant: every path the run creates lies inside the output
// folder, is a plain file or folder (never a link), and no member writes
// more than it claims. Members claiming more than 1 MB are declined so that
// a run stays small.
#pragma once

#include "archive/extractor_base.h"
#include "archive/memory_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace ov::fuzz {

inline void extractInto(TExtractorBase& x, const std::uint8_t* data, std::size_t size, const char* name)
{
    namespace fs = std::filesystem;
    static const fs::path root = [] {
        char pattern[] = "/tmp/ov-fuzz-extract-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        return fs::path(pattern);
    }();
    const fs::path out = root / "out";
    fs::remove_all(out);
    fs::create_directories(out);

    auto store = std::make_shared<MemoryFileStore>();
    const std::string archive = (root / name).string();
    store->add(archive, std::vector<std::uint8_t>(data, data + size));
    x.SetFileStore(store);
    x.SetArchiveFile(archive);
    x.SetExtractDir(out.string());
    std::vector<std::pair<std::string, int64_t>> claims;
    x.OnBegin = [&claims](TExtractorBase& sender, const std::string& fn, int32_t, bool& extract) {
        extract = sender.UnpackedSize <= (1 << 20);
        claims.emplace_back(fn, sender.UnpackedSize);
    };
    x.Extract();

    // Nothing beside the output folder, nothing in it but files and folders.
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.path() != out) {
            std::fprintf(stderr, "created outside: %s\n", entry.path().c_str());
            std::abort();
        }
    for (const auto& entry : fs::recursive_directory_iterator(out)) {
        if (entry.is_symlink() || !(entry.is_regular_file() || entry.is_directory())) {
            std::fprintf(stderr, "not a plain file: %s\n", entry.path().c_str());
            std::abort();
        }
        if (entry.is_regular_file() && entry.file_size() > (1u << 20)) {
            std::fprintf(stderr, "more than claimed: %s\n", entry.path().c_str());
            std::abort();
        }
    }
}

} // namespace ov::fuzz
