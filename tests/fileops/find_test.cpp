// The find walk on a real tree: its hits against find(1), the walk order,
// what it never enters (links, loops, its own ancestors, kernel file
// systems), Stop, and ovtool find.
#include "tests/fileops/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;
using namespace ov::test;

namespace {

class FindTest : public FileOpsTest {
protected:
    // hidden files and folders, a link to a folder outside the drive, a link
    // loop, a FIFO, names with several dots, a folder named like a file.
    void makeTree()
    {
        root.write("a.txt");
        root.write("B.TXT");
        root.write(".hidden.txt");
        root.write(".hid/inner.txt");
        root.write("docs.txt/x.doc");
        root.write("docs.txt/notes.txt");
        root.write("multi.tar.gz");
        root.write("no_ext");
        root.write("deep/sub/c.txt");
        root.write("deep/sub/more/d.tar.gz");
        root.write("deep/e.doc");
        outside.write("o.txt");
        outside.write("far/p.txt");
        ASSERT_EQ(::symlink(outside.path().c_str(), (root / "outlink.txt").c_str()), 0);
        ASSERT_EQ(::symlink("..", (root / "deep/loop").c_str()), 0);
        ASSERT_EQ(::mkfifo((root / "fifo.txt").c_str(), 0600), 0);
    }

    // Every hit of a walk over c:\<folder>, as the find window lists it.
    std::vector<std::string> hits(
        const std::string& folder, const std::string& masks, std::vector<std::string>* folders = nullptr)
    {
        TBrowser list;
        open(list, folder);
        std::vector<std::string> found;
        list.OnFindFile = [&](TBrowser& sender, const std::string& in, const std::string& name) {
            found.push_back(sender.DiskRoot + in + name);
        };
        if (folders)
            list.OnFindFolder = [&](TBrowser&, const std::string& in) { folders->push_back(in); };
        list.FindFiles(folder.empty() ? std::string() : folder + "\\", masks);
        EXPECT_FALSE(list.Busy);
        return found;
    }

    // find(1) over c:\<folder> with -iname for each mask, in the same form.
    std::set<std::string> reference(const std::string& folder, const std::vector<std::string>& patterns)
    {
        std::string command = "find '" + (folder.empty() ? root.path() : root / folder) + "' -mindepth 1 \\(";
        for (std::size_t i = 0; i < patterns.size(); ++i)
            command += (i ? " -o -iname '" : " -iname '") + patterns[i] + "'";
        command += " \\)";
        std::set<std::string> found;
        FILE* pipe = ::popen(command.c_str(), "r");
        char line[4096];
        while (pipe && std::fgets(line, sizeof line, pipe)) {
            std::string path(line);
            path.pop_back();
            path = "c:" + path.substr(root.path().size());
            std::replace(path.begin(), path.end(), '/', '\\');
            found.insert(path);
        }
        if (pipe)
            ::pclose(pipe);
        return found;
    }

    TempFolder outside;
};

TEST_F(FindTest, HitsAreTheNamesFindSees)
{
    makeTree();
    const struct {
        std::string folder, masks;
        std::vector<std::string> patterns;
    } cases[] = {
        { "", "*.txt", { "*.txt" } },
        { "", "*.txt;*.doc", { "*.txt", "*.doc" } },
        { "", "*.gz", { "*.gz" } },
        { "", "*.tar.gz", { "*.tar.gz" } },
        { "", "*.*", { "*" } },
        { "", "*", { "*" } }, // a bare "*" matches names without a dot only
        { "deep", "*.txt,*.doc", { "*.txt", "*.doc" } },
        { "docs.txt", "*.*", { "*" } },
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.folder + " " + row.masks);
        const std::vector<std::string> found = hits(row.folder, row.masks);
        std::set<std::string> expected = reference(row.folder, row.patterns);
        if (row.masks == "*")
            std::erase_if(expected, [](const std::string& path) {
                return path.substr(path.rfind('\\') + 1).find('.') != std::string::npos;
            });
        EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected);
        EXPECT_EQ(found.size(), expected.size()) << "a hit reported twice";
    }
}

// The listing of a folder first (in name order, files and folders alike),
// then its sub-folders, the last found first; links and FIFOs are hits but
// never entered.
TEST_F(FindTest, WalkOrder)
{
    makeTree();
    std::vector<std::string> folders;
    const std::vector<std::string> expected {
        "c:\\.hid",
        "c:\\.hidden.txt",
        "c:\\B.TXT",
        "c:\\a.txt",
        "c:\\deep",
        "c:\\docs.txt",
        "c:\\fifo.txt",
        "c:\\multi.tar.gz",
        "c:\\no_ext",
        "c:\\outlink.txt",
        "c:\\docs.txt\\notes.txt",
        "c:\\docs.txt\\x.doc",
        "c:\\deep\\e.doc",
        "c:\\deep\\loop",
        "c:\\deep\\sub",
        "c:\\deep\\sub\\c.txt",
        "c:\\deep\\sub\\more",
        "c:\\deep\\sub\\more\\d.tar.gz",
        "c:\\.hid\\inner.txt",
    };
    EXPECT_EQ(hits("", "*.*", &folders), expected);
    EXPECT_EQ(folders,
        (std::vector<std::string> {
            "", "docs.txt\\", "deep\\", "deep\\sub\\", "deep\\sub\\more\\", ".hid\\" }));
}

// Stop from a hit ends the walk at once and keeps what was found; the
// list can search again afterwards.
TEST_F(FindTest, StopKeepsResults)
{
    for (int i = 0; i < 20; ++i)
        root.write("f" + std::to_string(i) + "/x" + std::to_string(i) + ".txt");
    TBrowser list;
    open(list, "");
    std::vector<std::string> found;
    list.OnFindFile = [&](TBrowser& sender, const std::string& in, const std::string& name) {
        found.push_back(in + name);
        if (found.size() == 25)
            sender.Stop();
    };
    list.FindFiles("", "*.*");
    EXPECT_EQ(found.size(), 25u);
    EXPECT_FALSE(list.Busy);
    found.clear();
    list.FindFiles("", "*.txt");
    EXPECT_EQ(found.size(), 20u);
}

// A walk asked for while the list is busy does nothing.
TEST_F(FindTest, BusyListIsLeftAlone)
{
    root.write("a.txt");
    TBrowser list;
    open(list, "");
    int found = 0;
    list.OnFindFile = [&](TBrowser&, const std::string&, const std::string&) { ++found; };
    list.Busy = true;
    list.FindFiles("", "*.*");
    EXPECT_EQ(found, 0);
    EXPECT_TRUE(list.Busy);
}

// A bind mount of a folder inside itself: found by its name, never entered
// (the walk would otherwise not end); a kernel file system is not entered.
TEST_F(FindTest, OwnAncestorAndKernelFileSystemsAreNotEntered)
{
    root.write("top/a.txt");
    const std::string bind = root.folder("top/again");
    if (::geteuid() != 0 || ::mount((root / "top").c_str(), bind.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot make a bind mount here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount { bind };
    const std::string proc = root.folder("top/proc");
    if (::mount("proc", proc.c_str(), "proc", 0, nullptr) != 0)
        GTEST_SKIP() << "cannot mount proc here";
    struct Unmount unmountProc {
        proc
    };
    EXPECT_EQ(hits("top", "*.*"),
        (std::vector<std::string> { "c:\\top\\a.txt", "c:\\top\\again", "c:\\top\\proc" }));
    // Started inside the kernel file system, the search lists its folder and
    // enters none of its sub-folders.
    const std::vector<std::string> inProc = hits("top\\proc", "*.*");
    EXPECT_FALSE(inProc.empty());
    for (const std::string& hit : inProc)
        EXPECT_EQ(hit.find('\\', std::string("c:\\top\\proc\\").size()), std::string::npos) << hit;
}

// ovtool find prints the hits in walk order, from the folder or (--drive)
// from its drive's root.
TEST_F(FindTest, CommandLine)
{
    const std::string tool = OV_BINARY_DIR "/cli/ovtool";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "ovtool is not built";
    makeTree();
    const auto run = [&](const std::string& arguments, int& status) {
        const std::string command
            = "ORVANTA_DRIVES='c=" + root.path() + "' " + tool + " find " + arguments + " 2>/dev/null";
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        char buffer[4096];
        std::size_t size;
        while (pipe && (size = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, size);
        const int raw = pipe ? ::pclose(pipe) : -1;
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return out;
    };
    const auto joined = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    };
    int status = -1;
    EXPECT_EQ(run("'*.txt;*.doc' '" + (root / "deep") + "'", status), joined(hits("deep", "*.txt;*.doc")));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(run("--drive '*.txt' 'c:\\deep\\sub'", status), joined(hits("", "*.txt")));
    EXPECT_EQ(status, 0);
    run("'*.*' /nowhere/at/all", status);
    EXPECT_EQ(status, 1);

    // A path through an archive searches the archive's members: from its
    // folder there, or the whole archive with --drive.
    if (std::system("command -v zip >/dev/null 2>&1") == 0) {
        root.write("src/docs/in.txt", "I");
        root.write("src/docs/deep/b.txt", "B");
        root.write("src/top.txt", "T");
        ASSERT_EQ(
            std::system(("cd '" + root / "src" + "' && zip -q -r ../deep/pack.zip docs top.txt").c_str()), 0);
        EXPECT_EQ(run("'*.txt' 'c:\\deep\\pack.zip\\docs'", status),
            "c:\\deep\\pack.zip\\docs\\in.txt\nc:\\deep\\pack.zip\\docs\\deep\\b.txt\n");
        EXPECT_EQ(status, 0);
        EXPECT_EQ(run("--drive 't*.txt' '" + root / "deep/pack.zip" + "'", status),
            "c:\\deep\\pack.zip\\top.txt\n");
        EXPECT_EQ(status, 0);
    }
    run("'*.*'", status);
    EXPECT_EQ(status, 2);
}

} // namespace
