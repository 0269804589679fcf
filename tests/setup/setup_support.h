// What the installer's tests share: a temporary HOME for the whole test
// binary (the XDG variables unset, as for a new user), payloads made at test
// time with Python's zipfile, snapshots of folder trees, and unzip's
// extraction of a payload as the oracle.
#pragma once

#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ov::test {

namespace fs = std::filesystem;

inline std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool haveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

#define OV_NEED_TOOL(tool)                                                                                   \
    do {                                                                                                     \
        if (!haveTool(tool)) {                                                                               \
            if (std::getenv("CI"))                                                                           \
                FAIL() << tool << " missing (scripts/deps.d/setup.txt)";                                     \
            GTEST_SKIP() << tool << " not installed";                                                        \
        }                                                                                                    \
    } while (0)

// One entry of a tree: what kind it is, its bytes, mode and time.
struct TreeEntry {
    char kind = 'f'; // 'f' file, 'd' folder, 'l' link, 'o' other
    std::string bytes; // a file's bytes, a link's target
    unsigned mode = 0;
    int64_t mtime = 0;
    bool operator==(const TreeEntry& other) const
    {
        return kind == other.kind && bytes == other.bytes && mode == other.mode;
    }
};
using Tree = std::map<std::string, TreeEntry>;

inline std::ostream& operator<<(std::ostream& out, const TreeEntry& entry)
{
    return out << entry.kind << " " << std::oct << entry.mode << std::dec << " " << entry.bytes.size()
               << " bytes";
}

// Every entry below root, by relative path, links not followed.
inline Tree snapshot(const fs::path& root)
{
    Tree tree;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(root, error)))
        return tree;
    for (auto it = fs::recursive_directory_iterator(root, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        struct stat facts { };
        if (::lstat(it->path().c_str(), &facts) != 0)
            continue;
        TreeEntry entry;
        entry.mode = facts.st_mode & 07777;
        entry.mtime = facts.st_mtime;
        if (S_ISREG(facts.st_mode)) {
            entry.bytes = slurp(it->path());
        } else if (S_ISDIR(facts.st_mode)) {
            entry.kind = 'd';
        } else if (S_ISLNK(facts.st_mode)) {
            entry.kind = 'l';
            entry.bytes = fs::read_symlink(it->path(), error).string();
        } else {
            entry.kind = 'o';
        }
        tree[fs::relative(it->path(), root).string()] = entry;
    }
    return tree;
}

// Runs a shell command; its exit status (-1 when it did not exit).
inline int run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// A member of a payload made with Python's zipfile.
struct ZipMember {
    std::string name; // exactly as stored (Python escapes below)
    std::string bytes;
    unsigned unixMode = 0100644; // type and permission bits, high half of the attributes
};

// Writes a ZIP (deflated, Unix host) holding members, in order.
inline void makeZip(const fs::path& zip, const std::vector<ZipMember>& members)
{
    auto pythonBytes = [](const std::string& bytes) {
        std::string out = "b'";
        for (const unsigned char c : bytes) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
        return out + "'";
    };
    std::string script = "import zipfile, warnings\nwarnings.simplefilter('ignore')\n"
                         "z = zipfile.ZipFile("
        + pythonBytes(zip.string()) + ".decode(), 'w', zipfile.ZIP_DEFLATED)\n";
    for (const ZipMember& member : members) {
        script += "i = zipfile.ZipInfo(" + pythonBytes(member.name)
            + ".decode('latin-1'), (2024, 5, 6, 7, 8, 10))\n";
        script += "i.create_system = 3\ni.compress_type = zipfile.ZIP_DEFLATED\n";
        script += "i.external_attr = " + std::to_string(member.unixMode) + " << 16\n";
        script += "z.writestr(i, " + pythonBytes(member.bytes) + ")\n";
    }
    script += "z.close()\n";
    const fs::path file = zip.string() + ".py";
    std::ofstream(file, std::ios::binary) << script;
    ASSERT_EQ(run("python3 " + quoted(file.string())), 0) << script;
    fs::remove(file);
}

// The payload unpacked by unzip into folder.
inline void unzipInto(const fs::path& zip, const fs::path& folder)
{
    fs::create_directories(folder);
    ASSERT_EQ(run("unzip -q -o " + quoted(zip.string()) + " -d " + quoted(folder.string())), 0);
}

// One HOME for the whole test binary: the records' library caches the
// user's configuration folder on first use. Every XDG variable is unset.
class SetupHome : public ::testing::Environment {
public:
    void SetUp() override
    {
        m_home = std::make_unique<TempFolder>();
        ::setenv("HOME", m_home->path().c_str(), 1);
        for (const char* name : { "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "ORVANTA_HOME" })
            ::unsetenv(name);
    }
    void TearDown() override { m_home.reset(); }
    static fs::path home() { return std::getenv("HOME"); }

private:
    std::unique_ptr<TempFolder> m_home;
};

} // namespace ov::test
