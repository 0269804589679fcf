// The drive bars' arithmetic and the drive facts they ask through: which
// drives get buttons, the hover index, the hint texts, and a cache that a
// dead network drive holds up once at most.
#include "panel/drive_facts.h"
#include "platform/drives.h"
#include "shell/drive_bar_engine.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

using namespace ov;
using namespace std::chrono_literals;

TEST(DriveBarButtons, ComeFromTheDriveTableInLetterOrder)
{
    struct Row {
        const char* name;
        std::vector<Drive> table;
        std::string letters;
        std::vector<std::string> kinds;
        int width;
    };
    const Row rows[] = {
        { "a, c, d (CD)",
            { { 'a', "/a", DriveType::Removable }, { 'c', "/", DriveType::Fixed },
                { 'd', "/d", DriveType::CdRom } },
            "acd", { "floppy", "hdd", "cdrom" }, 81 },
        { "every type, out of order",
            { { 'r', "/r", DriveType::RamDisk }, { 'n', "/n", DriveType::Remote },
                { 'u', "/u", DriveType::Unknown }, { 'c', "/", DriveType::Fixed },
                { 'x', "/x", DriveType::NoRootDir }, { 'a', "/a", DriveType::Removable },
                { 'd', "/d", DriveType::CdRom } },
            "acdn", { "floppy", "hdd", "cdrom", "network" }, 6 + 4 * 25 },
        { "a letter named twice keeps its first entry",
            { { 'e', "/e", DriveType::RamDisk }, { 'E', "/e2", DriveType::Fixed },
                { 'c', "/", DriveType::Fixed } },
            "c", { "hdd" }, 31 },
        { "no drives", {}, "", {}, 6 },
    };
    for (const Row& row : rows) {
        const DriveButtonList list = hotDriveButtons(row.table);
        EXPECT_EQ(std::string(list.letters.begin(), list.letters.end()), row.letters) << row.name;
        EXPECT_EQ(list.kinds, row.kinds) << row.name;
        EXPECT_EQ(driveBarWidth(list.count()), row.width) << row.name;
    }
}

// The drive map names a type after the folder; that type wins and decides
// the button.
TEST(DriveBarButtons, TheDriveMapsTypesDecideTheKinds)
{
    test::TempFolder root;
    const std::string map = "c=" + root.path() + ";a=" + root.folder("floppy")
        + "|removable;d=" + root.folder("cd") + "|cdrom;n=" + root.folder("net")
        + "|remote;r=" + root.folder("ram") + "|ramdisk;f=" + root.folder("fixed") + "|fixed";
    ::setenv("ORVANTA_DRIVES", map.c_str(), 1);
    DriveTable::instance().reset();
    const DriveButtonList list = hotDriveButtons(DriveTable::instance().drives());
    ::unsetenv("ORVANTA_DRIVES");
    DriveTable::instance().reset();
    EXPECT_EQ(std::string(list.letters.begin(), list.letters.end()), "acdfn");
    EXPECT_EQ(list.kinds, (std::vector<std::string> { "floppy", "hdd", "cdrom", "hdd", "network" }));
}

// The hover index is ceil((x + 1) / 25), one pixel off the painted buttons.
TEST(DriveBarButtons, HoverIndexAndPicturePlaces)
{
    const std::pair<int, int> rows[] = { { -30, -1 }, { -1, 0 }, { 0, 1 }, { 23, 1 }, { 24, 1 }, { 25, 2 },
        { 49, 2 }, { 50, 3 }, { 74, 3 }, { 75, 4 } };
    for (const auto& [x, index] : rows)
        EXPECT_EQ(driveButtonAt(x), index) << "x = " << x;
    EXPECT_EQ(drivePictureLeft(1), 4);
    EXPECT_EQ(drivePictureLeft(3), 54);
}

TEST(DriveBarButtons, HintTexts)
{
    struct Row {
        char letter;
        DriveType type;
        const char* label;
        const char* hint;
    } rows[] = {
        { 'c', DriveType::Fixed, "SYSTEM", "c: [System]" },
        { 'e', DriveType::Fixed, "", "e: [No-name]" },
        { 'a', DriveType::Removable, "DISK", "a: [Floppy]" },
        { 'd', DriveType::CdRom, "AUDIO", "d: [CD-ROM]" },
        { 'n', DriveType::Remote, "Share Two", "n: [Share two]" },
        { 'n', DriveType::Remote, "", "n: [No-name]" },
    };
    for (const Row& row : rows)
        EXPECT_EQ(driveHintText(row.letter, row.type, row.label), row.hint) << row.hint;
}

namespace {

// A question that does not come back until the test opens the gate.
struct Gate {
    std::mutex mutex;
    std::condition_variable open;
    bool released = false;
    void wait()
    {
        std::unique_lock lock(mutex);
        open.wait(lock, [&] { return released; });
    }
    void release()
    {
        {
            std::lock_guard lock(mutex);
            released = true;
        }
        open.notify_all();
    }
};

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

// A remote drive that never answers costs one bounded wait; while its
// question is out it answers "not ready" at once, and its late answer is
// taken as soon as it comes.
TEST(DriveFactsCache, ADeadRemoteDriveHoldsTheCallerOnceAtMost)
{
    auto gate = std::make_shared<Gate>();
    DriveQuestions questions;
    questions.remote = [](char letter) { return letter == 'n'; };
    questions.ready = [gate](char letter) {
        if (letter == 'n')
            gate->wait();
        return true;
    };
    questions.label = [gate](char letter) {
        if (letter == 'n')
            gate->wait();
        return std::string(letter == 'n' ? "SHARE" : "SYSTEM");
    };
    DriveFactsCache facts(questions);

    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(facts.ready('n'));
    const double first = millisecondsSince(start);
    EXPECT_GE(first, 290);
    EXPECT_LT(first, 1500);
    // Its label is not asked while it is silent.
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(facts.label('n'), std::nullopt);
    EXPECT_LT(millisecondsSince(start), 100);

    // Every later question returns at once, without a new helper thread,
    // also once the kept "no answer" has aged past its second.
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) {
        EXPECT_FALSE(facts.ready('n'));
        EXPECT_EQ(facts.label('n'), std::nullopt);
    }
    facts.clear();
    EXPECT_FALSE(facts.ready('n'));
    EXPECT_LT(millisecondsSince(start), 100);
    EXPECT_EQ(facts.questionsAsked(), 1);

    // Local drives never wait on the dead one.
    EXPECT_TRUE(facts.ready('c'));
    EXPECT_EQ(facts.label('c'), "SYSTEM");

    // The mount comes back: its answers are taken at the next question.
    gate->release();
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(facts.ready('n'));
    EXPECT_EQ(facts.label('n'), "SHARE");
    EXPECT_EQ(facts.questionsAsked(), 2);
}

// Answers are kept for the lifetime and asked again after it.
TEST(DriveFactsCache, AnswersAreKeptForTheirLifetime)
{
    auto count = std::make_shared<std::atomic<int>>(0);
    auto ready = std::make_shared<std::atomic<bool>>(true);
    DriveQuestions questions;
    questions.remote = [](char letter) { return letter == 'n'; };
    questions.ready = [count, ready](char) {
        ++*count;
        return ready->load();
    };
    questions.label = [](char) { return std::string("DATA"); };
    DriveFactsCache facts(questions, 80ms);
    for (const char letter : { 'c', 'n' }) {
        *count = 0;
        *ready = true;
        EXPECT_TRUE(facts.ready(letter)) << letter;
        *ready = false;
        EXPECT_TRUE(facts.ready(letter)) << letter << ": kept";
        EXPECT_EQ(*count, 1) << letter;
        std::this_thread::sleep_for(100ms);
        EXPECT_FALSE(facts.ready(letter)) << letter << ": asked again";
        EXPECT_EQ(*count, 2) << letter;
        EXPECT_EQ(facts.label(letter), "DATA");
    }
    // A remote drive that answers in time answers on a helper thread.
    EXPECT_EQ(facts.questionsAsked(), 3);
}

// The default questions: a mapped folder that exists is ready.
TEST(DriveFactsCache, DefaultQuestionsAskTheDriveTable)
{
    test::TempFolder root;
    DriveTable::instance().setDrives({ { 'c', root.path(), DriveType::Fixed },
        { 'd', root / "missing", DriveType::CdRom }, { 'n', root.path(), DriveType::Remote } });
    DriveFactsCache facts;
    EXPECT_TRUE(facts.ready('c'));
    EXPECT_TRUE(facts.ready('N'));
    EXPECT_FALSE(facts.ready('d'));
    EXPECT_FALSE(facts.ready('q'));
    EXPECT_TRUE(facts.label('n').has_value());
    DriveTable::instance().reset();
}
