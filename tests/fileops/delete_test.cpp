// The delete walk of the file list on real folders.
#include "tests/fileops/tree.h"

#include <gtest/gtest.h>

using namespace ov;
using namespace ov::test;

namespace {

class DeleteTest : public FileOpsTest { };

} // namespace

// The events in the walk's order: files of a folder in listing order, its
// sub-folders after the listing (the most recently found first), each
// folder itself at the end of its walk.
TEST_F(DeleteTest, NestedTreeInWalkOrder)
{
    root.write("src/d/a", "1");
    root.write("src/d/s1/x", "2");
    root.write("src/d/s2/y", "3");
    root.write("src/d/s2/t/.z", "4");
    root.write("src/keep", "k");
    TBrowser list;
    open(list, "src");
    select(list, { "d" });
    std::vector<std::string> events;
    list.OnDeleteStart = [&](TBrowser&) { events.push_back("start"); };
    list.OnDeleteFile = [&](TBrowser&, const std::string& path) { events.push_back(path); };
    list.OnDeleteEnd = [&](TBrowser&) { events.push_back("end"); };
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(events,
        (std::vector<std::string> { "start", "src\\d\\a", "src\\d\\s2\\y", "src\\d\\s2\\t\\.z",
            "src\\d\\s2\\t", "src\\d\\s2", "src\\d\\s1\\x", "src\\d\\s1", "src\\d", "end" }));
    EXPECT_EQ(describeTree(root.path()), (Tree { { "src", "d" }, { "src/keep", "f k" } }));
    EXPECT_EQ(list.SelCount, 0);
}

// Read-only entries go only when OnConfirmReadOnly says so; what the user
// keeps (and the folders holding it) stays without counting as a failure.
TEST_F(DeleteTest, ReadOnlyEntries)
{
    struct Row {
        const char* name;
        bool handler;
        bool answer;
        Tree expected;
    } rows[] = {
        { "no handler keeps read-only files", false, false,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/s", "d" }, { "src/d/s/ro", "f r" },
                { "src/ro.txt", "f r" } } },
        { "handler says no", true, false,
            { { "src", "d" }, { "src/d", "d" }, { "src/d/s", "d" }, { "src/d/s/ro", "f r" },
                { "src/ro.txt", "f r" } } },
        { "handler says yes", true, true, { { "src", "d" } } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root / "src");
        root.write("src/d/plain", "p");
        ::chmod(root.write("src/d/s/ro", "r").c_str(), 0444);
        ::chmod(root.write("src/ro.txt", "r").c_str(), 0444);
        root.write("src/w.txt", "w");
        TBrowser list;
        open(list, "src");
        select(list, { "d", "ro.txt", "w.txt" });
        std::vector<std::string> asked;
        if (row.handler)
            list.OnConfirmReadOnly = [&](TBrowser&, int kind, const std::string& path, bool& goAhead) {
                EXPECT_EQ(kind, 1);
                EXPECT_FALSE(goAhead);
                asked.push_back(path);
                goAhead = row.answer;
            };
        EXPECT_TRUE(list.DeleteSelected());
        EXPECT_EQ(describeTree(root.path()), row.expected);
        if (row.handler) {
            EXPECT_EQ(asked, (std::vector<std::string> { "src\\d\\s\\ro", "src\\ro.txt" }));
        }
    }
}

// A link inside a deleted folder is removed, never what it points to; a
// selected link to a folder goes as a link.
TEST_F(DeleteTest, LinksAreNotFollowed)
{
    root.write("outside/keep", "k");
    root.write("src/d/a", "1");
    ::symlink("../../outside", (root / "src/d/out").c_str());
    ::symlink("../outside", (root / "src/top").c_str());
    TBrowser list;
    open(list, "src");
    select(list, { "d", "top" });
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(
        describeTree(root.path()), (Tree { { "outside", "d" }, { "outside/keep", "f k" }, { "src", "d" } }));
}

// Stop: the walk ends at its next test; every selected entry is still
// unselected; a failed deletion is reported.
TEST_F(DeleteTest, StopAndFailures)
{
    for (const char* name : { "a", "b", "c" })
        root.write(std::string("src/") + name, name);
    TBrowser list;
    open(list, "src");
    select(list, { "a", "b", "c" });
    list.OnDeleteFile = [](TBrowser& sender, const std::string&) { sender.Stop(); };
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(list.SelCount, 0);
    EXPECT_EQ(describeTree(root / "src"), (Tree { { "b", "f b" }, { "c", "f c" } }));

    // Gone between the listing and the delete: reported, nothing else lost.
    open(list, "src");
    select(list, { "b", "c" });
    std::filesystem::remove(root / "src/b");
    EXPECT_FALSE(list.DeleteSelected());
    ASSERT_EQ(list.WalkFailures.size(), 1u);
    EXPECT_EQ(list.WalkFailures[0].rfind("c:\\src\\b", 0), 0u) << list.WalkFailures[0];
    EXPECT_EQ(describeTree(root / "src"), Tree {});
}

// The cursor on "..": nothing is deleted.
TEST_F(DeleteTest, ParentEntryIsNeverDeleted)
{
    root.write("src/a", "1");
    TBrowser list;
    open(list, "src");
    list.CurIndex = 1;
    ASSERT_EQ(list.NameAt(1), "..");
    EXPECT_TRUE(list.DeleteSelected());
    EXPECT_EQ(describeTree(root.path()), (Tree { { "src", "d" }, { "src/a", "f 1" } }));
}
