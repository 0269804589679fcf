// The "system function" file operation and the freedesktop Trash.
#include "platform/dialogs.h"
#include "platform/file_operation.h"
#include "platform/trash.h"
#include "tests/fileops/tree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

using namespace ov;
using namespace ov::test;

namespace {

class SystemOperationTest : public FileOpsTest {
protected:
    void SetUp() override
    {
        FileOpsTest::SetUp();
        setPrompts(&scripted);
        const char* old = std::getenv("XDG_DATA_HOME");
        if (old)
            oldDataHome = old;
        ::setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    }
    void TearDown() override
    {
        setPrompts(nullptr);
        if (oldDataHome.empty())
            ::unsetenv("XDG_DATA_HOME");
        else
            ::setenv("XDG_DATA_HOME", oldDataHome.c_str(), 1);
        FileOpsTest::TearDown();
    }
    int run(FileOperationKind kind, std::vector<std::string> sources, const std::string& destination,
        bool noConfirmation = false)
    {
        TFileOperation operation;
        operation.Operation = kind;
        operation.Sources = std::move(sources);
        operation.Destination = destination;
        operation.NoConfirmation = noConfirmation;
        const FileOperationResult result = operation.Execute();
        failed = operation.Failed;
        reasons = result.reasons;
        aborted = operation.AnyOperationsAborted;
        return result.code;
    }

    ScriptedPrompts scripted;
    std::string oldDataHome;
    std::vector<std::string> failed;
    std::vector<std::string> reasons;
    bool aborted = false;
};

} // namespace

// The platform's rules for a typed destination, one row each.
TEST_F(SystemOperationTest, DestinationRules)
{
    struct Row {
        const char* name;
        FileOperationKind kind;
        std::vector<std::string> sources;
        std::string destination;
        int result;
        Tree expected; // under c:\w
    } rows[] = {
        { "copy into an existing folder", FileOperationKind::Copy, { "c:\\w\\a.txt" }, "c:\\w\\dir", 0,
            { { "a.txt", "f A" }, { "b;c.txt", "f B" }, { "dir", "d" }, { "dir/a.txt", "f A" }, { "t", "d" },
                { "t/x", "f X" } } },
        { "copy to a new name", FileOperationKind::Copy, { "c:\\w\\a.txt" }, "c:\\w\\new.txt", 0,
            { { "a.txt", "f A" }, { "b;c.txt", "f B" }, { "dir", "d" }, { "new.txt", "f A" }, { "t", "d" },
                { "t/x", "f X" } } },
        { "move renames", FileOperationKind::Move, { "c:\\w\\a.txt" }, "c:\\w\\new.txt", 0,
            { { "b;c.txt", "f B" }, { "dir", "d" }, { "new.txt", "f A" }, { "t", "d" }, { "t/x", "f X" } } },
        { "a ';' inside a name is not a separator", FileOperationKind::Move, { "c:\\w\\b;c.txt" },
            "c:\\w\\dir", 0,
            { { "a.txt", "f A" }, { "dir", "d" }, { "dir/b;c.txt", "f B" }, { "t", "d" },
                { "t/x", "f X" } } },
        { "a folder copied to a new name", FileOperationKind::Copy, { "c:\\w\\t" }, "c:\\w\\t2", 0,
            { { "a.txt", "f A" }, { "b;c.txt", "f B" }, { "dir", "d" }, { "t", "d" }, { "t/x", "f X" },
                { "t2", "d" }, { "t2/x", "f X" } } },
        { "several sources cannot share one new name", FileOperationKind::Move,
            { "c:\\w\\a.txt", "c:\\w\\t" }, "c:\\w\\one", 1,
            { { "a.txt", "f A" }, { "b;c.txt", "f B" }, { "dir", "d" }, { "t", "d" }, { "t/x", "f X" } } },
        { "a folder never goes into itself", FileOperationKind::Copy, { "c:\\w\\t" }, "c:\\w\\t", 1,
            { { "a.txt", "f A" }, { "b;c.txt", "f B" }, { "dir", "d" }, { "t", "d" }, { "t/x", "f X" } } },
        { "a file never onto itself", FileOperationKind::Move, { "c:\\w\\a.txt" }, "c:\\w\\a.txt", 1,
            { { "a.txt", "f A" }, { "b;c.txt", "f B" }, { "dir", "d" }, { "t", "d" }, { "t/x", "f X" } } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root / "w");
        root.write("w/a.txt", "A");
        root.write("w/b;c.txt", "B");
        root.write("w/t/x", "X");
        root.folder("w/dir");
        scripted.asked.clear();
        EXPECT_EQ(run(row.kind, row.sources, row.destination), row.result);
        EXPECT_EQ(describeTree(root / "w"), row.expected);
        // The engine asks nothing and shows nothing: what failed comes back.
        EXPECT_TRUE(scripted.asked.empty());
        EXPECT_EQ(reasons.empty(), row.result == 0);
    }
}

// The replace question: Yes, No, Yes to all and Cancel.
TEST_F(SystemOperationTest, ReplaceQuestion)
{
    struct Row {
        const char* name;
        std::vector<Answer> answers;
        int result;
        std::size_t questions;
        Tree target;
    } rows[] = {
        { "yes, no, no", { Answer::Yes, Answer::No, Answer::No }, 0, 3,
            { { "1", "f new1" }, { "2", "f old2" }, { "3", "f old3" } } },
        { "yes to all", { Answer::YesToAll }, 0, 1,
            { { "1", "f new1" }, { "2", "f new2" }, { "3", "f new3" } } },
        { "cancel", { Answer::No, Answer::Cancel }, 1, 2,
            { { "1", "f old1" }, { "2", "f old2" }, { "3", "f old3" } } },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root / "w");
        for (const char* name : { "1", "2", "3" }) {
            root.write(std::string("w/src/f/") + name, std::string("new") + name);
            root.write(std::string("w/dst/f/") + name, std::string("old") + name);
        }
        scripted.asked.clear();
        scripted.answers.assign(row.answers.begin(), row.answers.end());
        EXPECT_EQ(run(FileOperationKind::Copy, { "c:\\w\\src\\f" }, "c:\\w\\dst"), row.result);
        EXPECT_EQ(scripted.asked.size(), row.questions);
        EXPECT_EQ(describeTree(root / "w/dst/f"), row.target);
        EXPECT_EQ(failed, std::vector<std::string> {});
        EXPECT_EQ(aborted, row.result != 0);
    }
    // A move asks nothing with NoConfirmation.
    scripted.asked.clear();
    EXPECT_EQ(run(FileOperationKind::Move, { "c:\\w\\src\\f\\1" }, "c:\\w\\dst\\f", true), 0);
    EXPECT_TRUE(scripted.asked.empty());
    EXPECT_EQ(readWhole(root / "w/dst/f/1"), "new1");
}

// Deleting into the home trash: files/ + info/<name>.trashinfo with the
// percent-encoded absolute path and a local date; equal names get their
// own places.
TEST_F(SystemOperationTest, DeleteToTrash)
{
    const std::string first = root.write("w/my file%.txt", "one");
    ASSERT_EQ(run(FileOperationKind::Delete, { "c:\\w\\my file%.txt" }, ""), 0);
    EXPECT_FALSE(std::filesystem::exists(first));
    const std::string trash = root / "data/Trash";
    EXPECT_EQ(readWhole(trash + "/files/my file%.txt"), "one");
    const std::string info = readWhole(trash + "/info/my file%.txt.trashinfo");
    const std::regex format(
        "\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(info, match, format)) << info;
    EXPECT_EQ(match[1].str(), encodeTrashPath(first));
    EXPECT_EQ(encodeTrashPath("/a b/%c/ä"), "/a%20b/%25c/%C3%A4");

    // A second file of the same name, and a whole folder with a link in it.
    root.write("w/my file%.txt", "two");
    root.write("w/d/x", "x");
    ::symlink("/", (root / "w/d/root").c_str());
    ASSERT_EQ(run(FileOperationKind::Delete, { "c:\\w\\my file%.txt", "c:\\w\\d" }, ""), 0);
    EXPECT_EQ(readWhole(trash + "/files/my file%.txt.2"), "two");
    EXPECT_TRUE(std::filesystem::exists(trash + "/info/my file%.txt.2.trashinfo"));
    EXPECT_EQ(describeTree(trash + "/files/d"), (Tree { { "root", "l /" }, { "x", "f x" } }));
    EXPECT_EQ(describeTree(root / "w"), Tree {});
}

// A trash that cannot take the file leaves it in place and says so; there
// is no permanent delete instead.
TEST_F(SystemOperationTest, TrashFailureKeepsTheFile)
{
    root.write("data/Trash", "a file in the way");
    root.write("w/a.txt", "A");
    EXPECT_EQ(run(FileOperationKind::Delete, { "c:\\w\\a.txt" }, ""), 1);
    EXPECT_EQ(failed, (std::vector<std::string> { "c:\\w\\a.txt" }));
    EXPECT_EQ(readWhole(root / "w/a.txt"), "A");
    EXPECT_TRUE(scripted.asked.empty());
    ASSERT_EQ(reasons.size(), 1u);
    EXPECT_EQ(reasons[0].rfind("c:\\w\\a.txt: ", 0), 0u) << reasons[0];

    std::string error;
    EXPECT_FALSE(moveToTrash(root / "w/missing", &error));
    EXPECT_FALSE(error.empty());
}

// Progress: a copied file says (path, 0, size) before its first byte, then
// each block; Cancel from the progress handler lets the file in progress
// finish and starts nothing further, for copy, cross-folder move and delete.
TEST_F(SystemOperationTest, ProgressAndCancel)
{
    root.write("w/src/big", std::string(70000, 'b'));
    TFileOperation copy;
    copy.Operation = FileOperationKind::Copy;
    copy.Sources = { "c:\\w\\src\\big" };
    copy.Destination = "c:\\w\\dst";
    root.folder("w/dst");
    std::vector<std::string> events;
    copy.OnProgress = [&](const std::string& path, int64_t done, int64_t size) {
        events.push_back(path + " " + std::to_string(done) + "/" + std::to_string(size));
    };
    EXPECT_EQ(copy.Execute().code, 0);
    EXPECT_EQ(events,
        (std::vector<std::string> { "c:\\w\\src\\big 0/70000", "c:\\w\\src\\big 32768/70000",
            "c:\\w\\src\\big 65536/70000", "c:\\w\\src\\big 70000/70000" }));

    struct Row {
        const char* name;
        FileOperationKind kind;
        std::vector<std::string> sources;
        Tree source;
        Tree target;
    } rows[] = {
        { "copy of a folder", FileOperationKind::Copy, { "c:\\w\\src\\f" },
            { { "f", "d" }, { "f/1", "f 1" }, { "f/2", "f 2" }, { "f/3", "f 3" } },
            { { "f", "d" }, { "f/1", "f 1" } } },
        { "copy of two files", FileOperationKind::Copy, { "c:\\w\\src\\f\\1", "c:\\w\\src\\f\\2" },
            { { "f", "d" }, { "f/1", "f 1" }, { "f/2", "f 2" }, { "f/3", "f 3" } }, { { "1", "f 1" } } },
        // Into a folder that exists: the move copies file by file.
        { "move of a folder", FileOperationKind::Move, { "c:\\w\\src\\f" },
            { { "f", "d" }, { "f/2", "f 2" }, { "f/3", "f 3" } }, { { "f", "d" }, { "f/1", "f 1" } } },
        { "delete", FileOperationKind::Delete, { "c:\\w\\src\\f\\1", "c:\\w\\src\\f\\2" },
            { { "f", "d" }, { "f/2", "f 2" }, { "f/3", "f 3" } }, {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(root / "w");
        for (const char* name : { "1", "2", "3" })
            root.write(std::string("w/src/f/") + name, name);
        root.folder(row.kind == FileOperationKind::Move ? "w/dst/f" : "w/dst");
        TFileOperation operation;
        operation.Operation = row.kind;
        operation.Sources = row.sources;
        operation.Destination = "c:\\w\\dst";
        int calls = 0;
        operation.OnProgress = [&](const std::string&, int64_t, int64_t) {
            if (++calls == 1)
                operation.Cancel();
        };
        EXPECT_EQ(operation.Execute().code, 1);
        EXPECT_TRUE(operation.AnyOperationsAborted);
        EXPECT_TRUE(operation.Failed.empty());
        EXPECT_TRUE(scripted.asked.empty());
        EXPECT_EQ(describeTree(root / "w/src"), row.source);
        EXPECT_EQ(describeTree(root / "w/dst"), row.target);
    }
}
