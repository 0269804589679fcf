// Test helpers for the file operation suites: a whole folder tree described
// as one map (path -> kind and content), so a test compares both trees of a
// copy or move in one expectation, and two lists over a temporary drive c:.
#pragma once

#include "panel/browser.h"
#include "platform/drives.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ov::test {

using Tree = std::map<std::string, std::string>;

inline std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// FNV-1a 64 of the bytes, for contents too long to show.
inline std::string contentHash(const std::string& bytes)
{
    uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ULL;
    }
    char text[24];
    std::snprintf(text, sizeof text, "#%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// Every path below hostFolder: "d" for a folder, "l <target>" for a link,
// "p" for a FIFO, "f <content>" for a file (a hash when longer than 40
// bytes), never following links.
// With `withFacts`, each line also carries the permission bits and the
// modification time to the nanosecond (a link's own time).
inline Tree describeTree(const std::string& hostFolder, bool withFacts = false)
{
    Tree tree;
    std::vector<std::string> pending { "" };
    while (!pending.empty()) {
        const std::string relative = pending.back();
        pending.pop_back();
        std::vector<HostEntry> entries;
        listFolder(relative.empty() ? hostFolder : hostFolder + "/" + relative, entries);
        for (const HostEntry& entry : entries) {
            const std::string path = relative.empty() ? entry.name : relative + "/" + entry.name;
            const std::string full = hostFolder + "/" + path;
            if (entry.kind == HostKind::Directory) {
                tree[path] = "d";
                pending.push_back(path);
            } else if (entry.kind == HostKind::SymLink) {
                char target[4096];
                const ssize_t length = ::readlink(full.c_str(), target, sizeof target);
                tree[path] = "l " + std::string(target, length > 0 ? static_cast<std::size_t>(length) : 0);
            } else if (entry.kind == HostKind::Other) {
                tree[path] = "p";
            } else {
                const std::string bytes = readWhole(full);
                tree[path] = "f " + (bytes.size() > 40 ? contentHash(bytes) : bytes);
            }
            if (withFacts) {
                struct stat info { };
                ::lstat(full.c_str(), &info);
                tree[path] += " mode " + std::to_string(S_ISLNK(info.st_mode) ? 0 : info.st_mode & 07777)
                    + " time " + std::to_string(info.st_mtim.tv_sec) + "."
                    + std::to_string(info.st_mtim.tv_nsec);
            }
        }
    }
    return tree;
}

// A temporary folder mapped as drive c:, with two lists on it.
class FileOpsTest : public testing::Test {
protected:
    void SetUp() override { DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed } }); }
    void TearDown() override { DriveTable::instance().reset(); }

    // Opens list on c:\<folder> with hidden entries shown.
    static void open(TBrowser& list, const std::string& folder)
    {
        list.ShowHidden = true;
        list.OpenDisk("c", DiskKind::Standard, folder.empty() ? std::string() : folder + "\\");
    }
    static int indexOf(const TBrowser& list, const std::string& name)
    {
        for (int i = 1; i <= list.Count; ++i)
            if (list.NameAt(i) == name)
                return i;
        return 0;
    }
    static void select(TBrowser& list, const std::vector<std::string>& names)
    {
        for (const std::string& name : names) {
            const int index = indexOf(list, name);
            ASSERT_GT(index, 0) << name;
            list.ToggleSelect(index);
        }
    }

    TempFolder root;
};

} // namespace ov::test
