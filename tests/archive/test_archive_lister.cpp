// The listing run's events and error paths as a trace table: each case
// stages files in a memory store, runs Activate and compares the events
// raised, in order, with their codes.
#include "archive/archive_lister.h"
#include "archive/memory_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace ov;

namespace {

std::vector<uint8_t> fixture(const std::string& name)
{
    std::ifstream in(std::string(OV_DATA_DIR) + "/archive/" + name, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct Trace {
    std::vector<std::string> events;
    bool result = false;
};

// Runs a lister over `store` and records every event.
Trace run(const std::shared_ptr<MemoryFileStore>& store, const std::string& archive, bool withOnRead = true,
    const std::string& mask = "*.*", bool blankDirs = false, bool cancelOnFirst = false)
{
    Trace trace;
    TArchiveLister lister;
    lister.SetFileStore(store);
    lister.TimeZoneBias = 0;
    lister.ShowBlankDirs = blankDirs;
    lister.SetFileSpec(mask);
    auto& e = trace.events;
    lister.OnActivate = [&](TArchiveCommon&) { e.push_back("Activate"); };
    lister.OnDeactivate = [&](TArchiveCommon&) { e.push_back("Deactivate"); };
    lister.OnError
        = [&](TArchiveCommon&, const std::string& fn, const std::string& msgEx, const std::string&,
              int32_t code) { e.push_back("Error " + std::to_string(code) + " " + fn + " " + msgEx); };
    lister.OnReadBegin = [&](TArchiveLister&) { e.push_back("ReadBegin"); };
    lister.OnReadEnd = [&](TArchiveLister&) { e.push_back("ReadEnd"); };
    lister.OnTotals = [&](TArchiveLister&, int32_t n) { e.push_back("Totals " + std::to_string(n)); };
    lister.OnElapsedTime = [&](TArchiveComponent&, float) { e.push_back("Elapsed"); };
    if (withOnRead)
        lister.OnRead = [&](TArchiveLister& l, int64_t, int32_t n) {
            e.push_back("Read " + std::to_string(n) + " " + l.FileName);
            if (cancelOnFirst)
                l.Cancel(true);
        };
    lister.SetArchiveFile(archive);
    trace.result = lister.Activate();
    return trace;
}

using Events = std::vector<std::string>;

} // namespace

TEST(ArchiveLister, EventTraces)
{
    auto store = std::make_shared<MemoryFileStore>();
    store->add("folders.zip", fixture("zip_folders.zip"));
    store->add("empty.zip", fixture("zip_empty.zip"));
    store->add("junk.bin", std::vector<uint8_t>(100, 'j'));

    EXPECT_EQ(run(store, "folders.zip").events,
        (Events { "Activate", "ReadBegin", "Read 1 hello.txt", "ReadEnd", "ReadBegin",
            "Read 2 sub\\inner.txt", "ReadEnd", "Elapsed", "Totals 2", "Deactivate" }));
    // Folder members with ShowBlankDirs: reported, not counted.
    const auto withDirs = run(store, "folders.zip", true, "*.*", true).events;
    EXPECT_EQ(std::count(withDirs.begin(), withDirs.end(), "Read 1 sub"), 1)
        << ::testing::PrintToString(withDirs);
    EXPECT_EQ(withDirs[withDirs.size() - 2], "Totals 2");

    const Trace noOnRead = run(store, "folders.zip", false);
    EXPECT_FALSE(noOnRead.result);
    EXPECT_EQ(noOnRead.events, (Events { "Error 25270 folders.zip OnRead" }));

    const Trace missing = run(store, "missing.zip");
    EXPECT_FALSE(missing.result);
    EXPECT_EQ(missing.events, (Events { "Error 25238 missing.zip 0" }));

    const Trace unknown = run(store, "junk.bin");
    EXPECT_FALSE(unknown.result);
    EXPECT_EQ(unknown.events, (Events { "Error 25302 junk.bin 0" }));

    const Trace empty = run(store, "empty.zip");
    EXPECT_TRUE(empty.result);
    EXPECT_EQ(empty.events,
        (Events { "Activate", "Error 25108 empty.zip 0", "Elapsed", "Totals 0", "Deactivate" }));

    const Trace none = run(store, "folders.zip", true, "*.doc");
    EXPECT_TRUE(none.result);
    EXPECT_EQ(none.events,
        (Events { "Activate", "Error 25108 folders.zip 0", "Elapsed", "Totals 0", "Deactivate" }));

    // A cancel from the handler stops the walk after the current member
    // and silences non-fatal errors.
    const Trace cancelled = run(store, "folders.zip", true, "*.*", false, true);
    EXPECT_EQ(cancelled.events,
        (Events {
            "Activate", "ReadBegin", "Read 1 hello.txt", "ReadEnd", "Elapsed", "Totals 1", "Deactivate" }));
}

TEST(ArchiveLister, NonZipKindWithNoMatchRunsQuietly)
{
    auto store = std::make_shared<MemoryFileStore>();
    store->add("a.arj", fixture("arj_m1.arj"));
    EXPECT_EQ(run(store, "a.arj", true, "*.doc").events,
        (Events { "Activate", "Elapsed", "Totals 0", "Deactivate" }));
}

TEST(ArchiveLister, ArjVolumesAndTheNextVolumeRequest)
{
    auto store = std::make_shared<MemoryFileStore>();
    store->add("set.arj", fixture("arj_volume.arj"));
    store->add("set.a01", fixture("arj_volume.a01"));
    // The last volume is missing: without OnNextVolume, 25172 and the
    // listing ends before the split member is reported.
    Trace trace = run(store, "set.arj");
    EXPECT_EQ(
        trace.events, (Events { "Activate", "Error 25172 set.a02 0", "Elapsed", "Totals 0", "Deactivate" }));

    store->add("set.a02", fixture("arj_volume.a02"));
    trace = run(store, "set.arj");
    EXPECT_EQ(trace.events[2], "Read 1 big.bin");
    EXPECT_EQ(trace.events[5], "Read 2 hello.txt");

    // A close failure while changing volumes is fatal 25137; the run still
    // ends with OnDeactivate.
    store->failCloseOf("set.arj");
    trace = run(store, "set.arj");
    EXPECT_FALSE(trace.result);
    EXPECT_EQ(trace.events,
        (Events { "Error 25137 set.arj 0", "Activate", "Error 25137 set.arj 0", "Deactivate" }));
}

TEST(ArchiveLister, NextVolumeHandlerNamesTheFile)
{
    auto store = std::make_shared<MemoryFileStore>();
    store->add("set.arj", fixture("arj_volume.arj"));
    store->add("set.a01", fixture("arj_volume.a01"));
    store->add("elsewhere/third.a02", fixture("arj_volume.a02"));
    TArchiveLister lister;
    lister.SetFileStore(store);
    std::vector<std::string> asked;
    lister.OnNextVolume = [&](TArchiveCommon&, std::string& dir, std::string& fn, const std::string& id,
                              bool exists, bool& cancel) {
        asked.push_back(dir + fn + " " + id + (exists ? " exists" : " missing"));
        if (asked.size() > 1)
            cancel = true;
        fn = "elsewhere/third.a02";
    };
    int64_t total = 0;
    lister.OnRead = [&](TArchiveLister& l, int64_t, int32_t) { total += l.UnpackedSize; };
    lister.SetArchiveFile("set.arj");
    EXPECT_TRUE(lister.Activate());
    EXPECT_EQ(asked, (std::vector<std::string> { "./set.a02 2 missing" }));
    EXPECT_EQ(total, 70016);
}

TEST(ArchiveLister, RarMemberOverThreeVolumesIsReportedOnce)
{
    auto store = std::make_shared<MemoryFileStore>();
    for (const char* name : { "vol.rar", "vol.r00", "vol.r01" })
        store->add(name, fixture(std::string("rar_") + name));
    TArchiveLister lister;
    lister.SetFileStore(store);
    std::vector<std::string> seen;
    lister.OnRead = [&](TArchiveLister& l, int64_t, int32_t) {
        seen.push_back(l.FileName + " " + std::to_string(l.PackedSize) + " " + std::to_string(l.UnpackedSize)
            + " " + l.VolumeName);
    };
    lister.SetArchiveFile("vol.rar");
    EXPECT_TRUE(lister.Activate());
    EXPECT_EQ(seen, (std::vector<std::string> { "hello.txt 16 16 vol.r01" }));
    EXPECT_EQ(store->opened().back(), "vol.r01");
}
