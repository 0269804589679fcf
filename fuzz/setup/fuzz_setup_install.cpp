// The installer's payload check and staged install over arbitrary bytes as
// data.res, into a target folder that holds an earlier installation.
// Invariants: nothing is created outside the target; either the payload is
// refused and the target is exactly as it was, or every file member is in
// place with its full size; no staging folder or temporary file is left.
// Files are capped at 16 MB (RLIMIT_FSIZE: the write fails instead of
// killing the process).
//
// Seeds (fuzz/corpus/setup_install/) were made with Python's zipfile:
//   payload.zip   a cut-down payload: ov (0755), readme.txt, hlp/topic.rtf
//   parent.zip, absolute.zip, drive.zip, backslash.zip, link.zip, fifo.zip,
//   linefeed.zip, duplicate.zip   the payload plus one hostile member each
//   flipped.zip   payload.zip with one bit of ov's deflated data flipped
#include "setup/installer.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

namespace fs = std::filesystem;

// The fuzzing folder (also HOME, for the records), made once and removed at exit.
const fs::path& root()
{
    static const fs::path made = [] {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit { 16u << 20, 16u << 20 };
        setrlimit(RLIMIT_FSIZE, &limit);
        char pattern[] = "/tmp/ov-fuzz-setup-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        setenv("HOME", pattern, 1);
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        std::atexit([] {
            std::error_code error;
            fs::remove_all(root(), error);
        });
        return fs::path(pattern);
    }();
    return made;
}

// Every entry below folder with its size (-1 for a folder, -2 for anything else).
std::map<std::string, int64_t> tree(const fs::path& folder)
{
    std::map<std::string, int64_t> entries;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        const fs::file_status status = it->symlink_status(error);
        int64_t size = -2;
        if (fs::is_regular_file(status))
            size = int64_t(it->file_size(error));
        else if (fs::is_directory(status))
            size = -1;
        entries[fs::relative(it->path(), folder).string()] = size;
    }
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path base = root() / "a";
    const fs::path target = base / "target";
    const fs::path payload = root() / "data.res";
    std::error_code error;
    fs::remove_all(base, error);
    fs::create_directories(target, error);
    std::ofstream(target / "ov", std::ios::binary) << "old";
    std::ofstream(payload, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    const auto before = tree(base);

    ov::Installer installer;
    installer.Target = target.string();
    installer.Payload = payload.string();
    installer.Shortcuts = false;
    const bool installed = installer.Install();

    // Nothing beside the target.
    for (const auto& entry : fs::directory_iterator(base, error))
        if (entry.path() != target)
            std::abort();
    const auto after = tree(target);
    if (!installed) {
        if (tree(base) != before)
            std::abort();
        return 0;
    }
    for (const ov::PayloadMember& member : installer.payload().members) {
        const auto found = after.find(member.path);
        if (found == after.end() || found->second != (member.folder ? -1 : member.size))
            std::abort();
    }
    for (const auto& [path, entrySize] : after)
        if (path.find(ov::StagingFolderName) != std::string::npos || path.find(".ov-") != std::string::npos)
            std::abort();
    return 0;
}
