#include "platform/atomic_file.h"
#include "platform/unique_fd.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace ov;
using ov::test::TempFolder;

namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

mode_t modeOf(const std::string& path)
{
    struct stat info { };
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// The names in a folder that look like our temporary files.
std::vector<std::string> leftovers(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".ov-"))
            names.push_back(entry.path().string());
    return names;
}

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Runs body in a forked child and returns its exit status (-1 when it did
// not exit normally).
template <typename Body> int inChild(Body body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(UniqueFd, OwnsOneDescriptor)
{
    const int raw = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(raw, 0);
    {
        UniqueFd first(raw);
        UniqueFd second = std::move(first);
        EXPECT_FALSE(first.valid());
        EXPECT_EQ(second.get(), raw);
        const int released = second.release();
        EXPECT_EQ(released, raw);
        second.reset(released);
    }
    // Closed once, by the last owner.
    EXPECT_EQ(::fcntl(raw, F_GETFD), -1);
    UniqueFd empty;
    EXPECT_TRUE(empty.close());
}

TEST(AtomicFile, PutsTheNewFileInPlaceOfTheTarget)
{
    const mode_t createMode = 0666 & ~currentUmask();
    const FileTimes times { { 1000000000, 0 }, { 1200000000, 500 } };
    struct Row {
        const char* name;
        const char* existing; // nullptr: no target yet
        mode_t existingMode;
        std::optional<mode_t> givenMode;
        std::optional<FileTimes> times;
        Durability durability;
        mode_t expectedMode;
        AtomicFileOptions options = {};
    } rows[] = {
        { "new target", nullptr, 0, std::nullopt, std::nullopt, Durability::Cached, createMode },
        { "existing target keeps its mode", "old", 0640, std::nullopt, std::nullopt, Durability::Cached,
            0640 },
        { "existing private target stays private", "old", 0600, std::nullopt, std::nullopt,
            Durability::Cached, 0600 },
        { "a given mode wins", "old", 0640, 0604, std::nullopt, Durability::Cached, 0604 },
        { "durable commit with times", "old", 0644, std::nullopt, times, Durability::Durable, 0644 },
        // The caller sets the mode: the file is private until it does, and
        // the old target's mode is not taken.
        { "caller's mode, new target", nullptr, 0, 0644, times, Durability::Cached, 0644,
            { .owner = TargetOwner::Writer, .mode = TargetMode::Given } },
        { "caller's mode, old target", "old", 0604, 0640, std::nullopt, Durability::Durable, 0640,
            { .owner = TargetOwner::Writer,
                .existing = ExistingTarget::Replace,
                .mode = TargetMode::Given } },
        { "caller's mode not given yet", "old", 0644, std::nullopt, std::nullopt, Durability::Cached, 0600,
            { .mode = TargetMode::Given } },
        { "borrowed folder", "old", 0640, std::nullopt, std::nullopt, Durability::Durable, 0640,
            { .folder = FolderHold::Borrow } },
    };
    for (const Row& row : rows) {
        TempFolder folder;
        const std::string target = folder / "target.txt";
        if (row.existing) {
            folder.write("target.txt", row.existing);
            ::chmod(target.c_str(), row.existingMode);
        }
        UniqueFd held(::open(folder.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        AtomicFile file;
        ASSERT_TRUE(file.openAt(held.get(), "target.txt", row.options))
            << row.name << ": " << std::strerror(errno);
        if (row.options.folder == FolderHold::Duplicate)
            held.reset();
        // Nothing changes before the commit, and a file whose mode is still
        // to come is nobody else's meanwhile.
        EXPECT_EQ(std::filesystem::exists(target), row.existing != nullptr) << row.name;
        struct stat made { };
        ASSERT_EQ(::fstat(file.fd(), &made), 0);
        EXPECT_EQ(
            made.st_mode & 07777, row.existing || row.options.mode == TargetMode::Given ? 0600u : createMode)
            << row.name;
        EXPECT_EQ(file.existingTarget() != nullptr, row.existing != nullptr) << row.name;
        EXPECT_TRUE(file.write("new "));
        EXPECT_TRUE(file.write(std::string(100000, 'x')));
        ASSERT_TRUE(file.commit(row.times, row.givenMode, row.durability)) << row.name;
        EXPECT_EQ(slurp(target), "new " + std::string(100000, 'x')) << row.name;
        EXPECT_EQ(modeOf(target), row.expectedMode) << row.name;
        if (row.times) {
            struct stat info { };
            ::stat(target.c_str(), &info);
            EXPECT_EQ(info.st_mtim.tv_sec, row.times->modification.tv_sec) << row.name;
            EXPECT_EQ(info.st_mtim.tv_nsec, row.times->modification.tv_nsec) << row.name;
        }
        EXPECT_TRUE(leftovers(folder.path()).empty()) << row.name;
        EXPECT_FALSE(file.isOpen());
    }
}

TEST(AtomicFile, AnAbandonedFileLeavesNothing)
{
    TempFolder folder;
    const std::string target = folder.write("kept.txt", "old");
    {
        AtomicFile file;
        ASSERT_TRUE(file.open(target));
        ASSERT_TRUE(file.write("new"));
        EXPECT_EQ(leftovers(folder.path()).size(), 1u);
        file.abandon();
        EXPECT_TRUE(leftovers(folder.path()).empty());
        // Commit after abandon has nothing to commit.
        EXPECT_FALSE(file.commit());
    }
    {
        AtomicFile file;
        ASSERT_TRUE(file.open(folder / "fresh.txt"));
        ASSERT_TRUE(file.write("never committed"));
    }
    EXPECT_EQ(slurp(target), "old");
    EXPECT_FALSE(std::filesystem::exists(folder / "fresh.txt"));
    EXPECT_TRUE(leftovers(folder.path()).empty());
}

TEST(AtomicFile, RefusesWhatIsNotAFileToReplace)
{
    TempFolder folder;
    folder.folder("sub");
    folder.write("sub/inside", "x");
    ::mkfifo((folder / "pipe").c_str(), 0644);
    struct Row {
        const char* name;
        std::string path;
        int error;
    } rows[] = {
        { "a folder", folder / "sub", EISDIR },
        { "a FIFO", folder / "pipe", EEXIST },
        { "a missing folder", folder / "missing/file", ENOENT },
        { "a file where a folder must be", folder / "sub/inside/file", ENOTDIR },
        { "an empty name", folder / "sub/", EISDIR },
    };
    for (const Row& row : rows) {
        AtomicFile file;
        errno = 0;
        EXPECT_FALSE(file.open(row.path)) << row.name;
        EXPECT_EQ(errno, row.error) << row.name;
        EXPECT_EQ(file.error(), row.error) << row.name;
        EXPECT_FALSE(file.write("x")) << row.name;
    }
    AtomicFile file;
    UniqueFd sub(::open((folder / "sub").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    EXPECT_FALSE(file.openAt(sub.get(), "a/b"));
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(slurp(folder / "sub/inside"), "x");
    EXPECT_TRUE(leftovers(folder.path()).empty());

    // A caller that has decided to replace what is there replaces a FIFO
    // as it replaces a link; a folder stays refused.
    const AtomicFileOptions replace { .existing = ExistingTarget::Replace };
    EXPECT_FALSE(file.open(folder / "sub", replace));
    EXPECT_EQ(errno, EISDIR);
    ASSERT_TRUE(file.open(folder / "pipe", replace));
    EXPECT_EQ(file.existingTarget(), nullptr);
    ASSERT_TRUE(file.write("file"));
    ASSERT_TRUE(file.commit());
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "pipe"));
    EXPECT_EQ(slurp(folder / "pipe"), "file");
}

// A target the user may not write is refused with the error of an ordinary
// write, even where the folder would let a rename replace it. As root
// permission bits stop nothing, so the check runs as nobody in a child.
TEST(AtomicFile, RefusesATargetTheUserMayNotWrite)
{
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    const std::string locked = folder.write("locked.txt", "theirs");
    const std::string open = folder.write("open.txt", "anyone's");
    ::chmod(locked.c_str(), 0444);
    ::chmod(open.c_str(), 0666);
    const bool root = ::geteuid() == 0;
    const int status = inChild([&] {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            return 10;
        AtomicFile file;
        if (file.open(locked) || errno != EACCES)
            return 1;
        // The check refuses the file, not the folder: a writable file in
        // the same folder is replaced.
        if (!file.open(open) || !file.write("mine") || !file.commit())
            return 2;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(slurp(locked), "theirs");
    EXPECT_EQ(modeOf(locked), 0444u);
    EXPECT_EQ(slurp(open), "mine");
    EXPECT_EQ(modeOf(open), 0666u);
    EXPECT_TRUE(leftovers(folder.path()).empty());
}

// A caller that has already decided (a copy the user said yes to) replaces
// a target it may not write, where the folder lets it; the mode is the
// target's, or the caller's.
TEST(AtomicFile, ReplacesARefusedTargetWhereTheCallerHasDecided)
{
    TempFolder folder;
    ::chmod(folder.path().c_str(), 0777);
    struct Row {
        const char* name;
        AtomicFileOptions options;
        std::optional<mode_t> mode;
        const char* contents;
        mode_t expectedMode;
    } rows[] = {
        { "refused", {}, std::nullopt, "theirs", 0444 },
        { "replaced, mode kept", { .existing = ExistingTarget::Replace }, std::nullopt, "mine", 0444 },
        { "replaced, caller's mode",
            { .owner = TargetOwner::Writer, .existing = ExistingTarget::Replace, .mode = TargetMode::Given },
            0640, "mine", 0640 },
    };
    const bool root = ::geteuid() == 0;
    for (const Row& row : rows) {
        const std::string locked = folder.write("locked.txt", "theirs");
        ::chmod(locked.c_str(), 0444);
        ::chown(locked.c_str(), 65534, 65534);
        const int status = inChild([&] {
            if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                return 10;
            AtomicFile file;
            if (!file.open(locked, row.options))
                return errno == EACCES ? 1 : 2;
            return file.write("mine") && file.commit(std::nullopt, row.mode) ? 0 : 3;
        });
        EXPECT_EQ(status, row.options.existing == ExistingTarget::Refuse ? 1 : 0) << row.name;
        EXPECT_EQ(slurp(locked), row.contents) << row.name;
        EXPECT_EQ(modeOf(locked), row.expectedMode) << row.name;
        EXPECT_TRUE(leftovers(folder.path()).empty()) << row.name;
    }
}

// A write that fails half way (a real short write under a file size limit)
// leaves the old target whole and no temporary file; the error stays.
TEST(AtomicFile, AFailedWriteLeavesTheOldTarget)
{
    TempFolder folder;
    const std::string target = folder.write("target.bin", "the old contents");
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit { 4096, 4096 };
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 10;
        AtomicFile file;
        if (!file.open(target))
            return 1;
        const std::string block(64 * 1024, 'n');
        if (file.write(block) || errno != EFBIG)
            return 2;
        if (file.error() != EFBIG || file.commit() || errno != EFBIG)
            return 3;
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(slurp(target), "the old contents");
    EXPECT_TRUE(leftovers(folder.path()).empty());
}

TEST(AtomicFile, ALinkIsReplacedOrWrittenThroughAsAsked)
{
    struct Row {
        const char* name;
        const char* linkText;
        LinkTarget links;
        bool linkStays;
    } rows[] = {
        { "the link is replaced", "sub/real.txt", LinkTarget::ReplaceLink, false },
        { "written through a relative link", "sub/real.txt", LinkTarget::WriteThrough, true },
        { "written through a chain of links", "chain", LinkTarget::WriteThrough, true },
    };
    for (const Row& row : rows) {
        TempFolder folder;
        const std::string real = folder.write("sub/real.txt", "old");
        ::chmod(real.c_str(), 0640);
        ::symlink("sub/real.txt", (folder / "chain").c_str());
        const std::string link = folder / "link";
        ::symlink(row.linkText, link.c_str());
        AtomicFile file;
        ASSERT_TRUE(file.open(link, { row.links })) << row.name;
        ASSERT_TRUE(file.write("new"));
        ASSERT_TRUE(file.commit()) << row.name;
        EXPECT_EQ(std::filesystem::is_symlink(link), row.linkStays) << row.name;
        EXPECT_EQ(slurp(link), "new") << row.name;
        EXPECT_EQ(slurp(real), row.linkStays ? "new" : "old") << row.name;
        EXPECT_EQ(modeOf(real), 0640u) << row.name;
        EXPECT_TRUE(leftovers(folder.path()).empty()) << row.name;
    }

    // A dangling link written through makes the file it names.
    TempFolder folder;
    folder.folder("sub");
    ::symlink("sub/made.txt", (folder / "dangling").c_str());
    AtomicFile file;
    ASSERT_TRUE(file.open(folder / "dangling", { LinkTarget::WriteThrough }));
    ASSERT_TRUE(file.write("made"));
    ASSERT_TRUE(file.commit());
    EXPECT_EQ(slurp(folder / "sub/made.txt"), "made");
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "dangling"));
}

// The folder is held from open() on: a folder renamed (and its old name
// taken by a link elsewhere) before the commit still gets the file.
TEST(AtomicFile, WritesIntoTheFolderItOpened)
{
    TempFolder folder;
    folder.folder("before");
    folder.folder("elsewhere");
    UniqueFd held(::open((folder / "before").c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(held);
    AtomicFile byDescriptor;
    AtomicFile byPath;
    ASSERT_TRUE(byPath.open(folder / "before/by-path.txt"));
    ASSERT_EQ(::rename((folder / "before").c_str(), (folder / "after").c_str()), 0);
    ASSERT_EQ(::symlink("elsewhere", (folder / "before").c_str()), 0);
    ASSERT_TRUE(byDescriptor.openAt(held.get(), "by-descriptor.txt"));
    held.reset();
    ASSERT_TRUE(byDescriptor.write("one"));
    ASSERT_TRUE(byPath.write("two"));
    ASSERT_TRUE(byDescriptor.commit());
    ASSERT_TRUE(byPath.commit());
    EXPECT_EQ(slurp(folder / "after/by-descriptor.txt"), "one");
    EXPECT_EQ(slurp(folder / "after/by-path.txt"), "two");
    EXPECT_TRUE(std::filesystem::is_empty(folder / "elsewhere"));
}

// A replaced file keeps its owner and group (root replacing another user's
// file) unless the writer asks to own the new file; a kept setuid bit
// travels only with its owner.
TEST(AtomicFile, KeepsTheOwnerOfAReplacedFileWhereAsked)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file to another user";
    struct Row {
        const char* name;
        TargetOwner owner;
        uid_t expectedOwner;
        mode_t expectedMode;
    } rows[] = {
        { "kept", TargetOwner::Keep, 65534, 04755 },
        { "the writer's", TargetOwner::Writer, 0, 0755 },
    };
    for (const Row& row : rows) {
        TempFolder folder;
        const std::string target = folder.write("tool", "old");
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chmod(target.c_str(), 04755), 0);
        AtomicFile file;
        ASSERT_TRUE(file.open(target, { LinkTarget::ReplaceLink, row.owner })) << row.name;
        ASSERT_TRUE(file.write("new"));
        ASSERT_TRUE(file.commit()) << row.name;
        struct stat info { };
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, row.expectedOwner) << row.name;
        // The writer's file never carries the old owner's setuid bit.
        EXPECT_EQ(info.st_mode & 07777, row.expectedMode) << row.name;
    }
}
