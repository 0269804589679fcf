// The floppy formatter against real mkfs.fat, checked by independent tools
// (fsck.fat and fatlabel from dosfstools, minfo from mtools), and its target
// checks against a fake sysfs tree and mountinfo text.
#include "platform/floppy_format.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// Runs a shell command line of fixed words and file names we made; its
// output and exit status.
int run(const std::string& command, std::string* output = nullptr)
{
    std::string text;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[4096];
    while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        text.append(buffer, got);
    const int status = ::pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveTools()
{
    return !findProgram("mkfs.fat").empty() && !findProgram("fsck.fat").empty()
        && !findProgram("fatlabel").empty() && !findProgram("minfo").empty();
}

std::vector<std::string> leftovers(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(".ov-"))
            names.push_back(entry.path().string());
    return names;
}

// The FAT12 layout read from a boot sector.
struct FatLayout {
    unsigned sectorSize = 0, sectorsPerCluster = 0, reserved = 0, fats = 0, rootEntries = 0, fatSectors = 0;
    unsigned dataStart() const { return reserved + fats * fatSectors + rootEntries * 32 / sectorSize; }
};

FatLayout layoutOf(const std::string& image)
{
    const auto byte
        = [&](std::size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(image[i])); };
    FatLayout layout;
    layout.sectorSize = byte(11) | byte(12) << 8;
    layout.sectorsPerCluster = byte(13);
    layout.reserved = byte(14) | byte(15) << 8;
    layout.fats = byte(16);
    layout.rootEntries = byte(17) | byte(18) << 8;
    layout.fatSectors = byte(22) | byte(23) << 8;
    return layout;
}

unsigned fat12Entry(const std::string& image, const FatLayout& layout, unsigned cluster)
{
    const std::size_t at = layout.reserved * layout.sectorSize + cluster * 3 / 2;
    const unsigned pair
        = static_cast<unsigned char>(image[at]) | static_cast<unsigned char>(image[at + 1]) << 8;
    return cluster % 2 ? pair >> 4 : pair & 0xFFF;
}

class FloppyImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!haveTools())
            GTEST_SKIP() << "dosfstools or mtools is not installed (scripts/deps)";
    }
    TempFolder folder;
};

// Every floppy size comes out clean, with its label and the standard
// geometry of that size as an independent reader sees it.
TEST_F(FloppyImages, EverySizeFormatsClean)
{
    // The DOS layouts: sectors per track, heads, media byte, sectors per
    // cluster, root entries, sectors per FAT.
    struct Row {
        int kb;
        int sectorsPerTrack;
        int heads;
        const char* media;
        int cluster;
        int root;
        int fat;
    };
    const Row rows[] = { { 160, 8, 1, "fe", 1, 64, 1 }, { 180, 9, 1, "fc", 1, 64, 2 },
        { 320, 8, 2, "ff", 2, 112, 1 }, { 360, 9, 2, "fd", 2, 112, 2 }, { 720, 9, 2, "f9", 2, 112, 3 },
        { 1200, 15, 2, "f9", 1, 224, 7 }, { 1440, 18, 2, "f0", 1, 224, 9 },
        { 2880, 36, 2, "f0", 2, 240, 9 } };
    for (const Row& row : rows) {
        for (const FormatKind kind : { FormatKind::Quick, FormatKind::Full }) {
            SCOPED_TRACE(std::to_string(row.kb) + (kind == FormatKind::Full ? " full" : " quick"));
            const std::string image = folder / ("disk" + std::to_string(row.kb) + ".img");
            FloppyFormatter formatter;
            const std::string label = "OV" + std::to_string(row.kb);
            const FormatSummary summary = formatter.Format({ image, row.kb, kind, label });
            ASSERT_EQ(summary.status, FormatStatus::Done) << formatText(summary.message);
            EXPECT_EQ(formatText(summary.message),
                "Format complete: " + std::to_string(row.kb) + " KB, 0 bad sectors, label \"" + label
                    + "\".");
            EXPECT_EQ(std::filesystem::file_size(image), static_cast<std::uintmax_t>(row.kb) * 1024);
            std::string output;
            EXPECT_EQ(run("fsck.fat -n '" + image + "'", &output), 0) << output;
            EXPECT_EQ(run("fatlabel '" + image + "'", &output), 0);
            EXPECT_EQ(output.substr(0, label.size()), label) << output;
            ASSERT_EQ(run("minfo -i '" + image + "' ::", &output), 0) << output;
            EXPECT_NE(
                output.find("small size: " + std::to_string(row.kb * 2) + " sectors"), std::string::npos)
                << output;
            EXPECT_NE(
                output.find("sectors per track: " + std::to_string(row.sectorsPerTrack)), std::string::npos)
                << output;
            EXPECT_NE(output.find("heads: " + std::to_string(row.heads)), std::string::npos) << output;
            EXPECT_NE(output.find("disk type=\"FAT12"), std::string::npos) << output;
            EXPECT_NE(output.find("media descriptor byte: 0x" + std::string(row.media)), std::string::npos)
                << output;
            EXPECT_NE(
                output.find("cluster size: " + std::to_string(row.cluster) + " sectors"), std::string::npos)
                << output;
            EXPECT_NE(output.find("root directory slots: " + std::to_string(row.root)), std::string::npos)
                << output;
            EXPECT_NE(output.find("sectors per fat: " + std::to_string(row.fat)), std::string::npos)
                << output;
            EXPECT_NE(output.find("physical drive id: 0x0"), std::string::npos) << output;
        }
    }
    EXPECT_TRUE(leftovers(folder.path()).empty());
}

// A full format over an image full of old data leaves nothing of it in the
// data area; a quick one over an existing image keeps its size.
TEST_F(FloppyImages, FullFormatLeavesTheDataAreaZero)
{
    const std::string image = folder.write("old.img", std::string(1440 * 1024, '\xAA'));
    FloppyFormatter formatter;
    std::uint64_t lastDone = 0, total = 0;
    int reports = 0;
    formatter.OnProgress = [&](std::uint64_t done, std::uint64_t all) {
        EXPECT_GT(done, lastDone);
        lastDone = done;
        total = all;
        ++reports;
    };
    const FormatSummary summary = formatter.Format({ image, 0, FormatKind::Full, "" });
    ASSERT_EQ(summary.status, FormatStatus::Done) << formatText(summary.message);
    EXPECT_EQ(summary.capacityKb, 1440);
    EXPECT_EQ(total, 2880u);
    EXPECT_EQ(lastDone, 2880u);
    EXPECT_GT(reports, 10);
    const std::string bytes = slurp(image);
    ASSERT_EQ(bytes.size(), 1440u * 1024);
    const FatLayout layout = layoutOf(bytes);
    ASSERT_EQ(layout.sectorSize, 512u);
    const std::size_t dataStart = std::size_t(layout.dataStart()) * layout.sectorSize;
    EXPECT_EQ(bytes.find_first_not_of('\0', dataStart), std::string::npos);
    // Past the boot sector (which ends in 55 AA) nothing of the old bytes is left.
    EXPECT_EQ(bytes.find('\xAA', 512), std::string::npos);
    std::string output;
    EXPECT_EQ(run("fsck.fat -n '" + image + "'", &output), 0) << output;
}

// Sectors that fail the zero pass reach mkfs.fat, which marks their
// clusters bad.
TEST_F(FloppyImages, FailingSectorsBecomeBadClusters)
{
    const std::string image = folder / "bad.img";
    FloppyFormatter formatter;
    const std::uint64_t failing[] = { 1000, 1001, 2001 };
    formatter.SectorFails = [&](std::uint64_t sector) {
        return std::find(std::begin(failing), std::end(failing), sector) != std::end(failing);
    };
    const FormatSummary summary = formatter.Format({ image, 1440, FormatKind::Full, "BADS" });
    ASSERT_EQ(summary.status, FormatStatus::Done) << formatText(summary.message) << summary.toolOutput;
    EXPECT_EQ(summary.badSectors, 3u);
    const std::string bytes = slurp(image);
    const FatLayout layout = layoutOf(bytes);
    for (const std::uint64_t sector : failing) {
        const unsigned cluster
            = static_cast<unsigned>((sector - layout.dataStart()) / layout.sectorsPerCluster + 2);
        EXPECT_EQ(fat12Entry(bytes, layout, cluster), 0xFF7u) << "sector " << sector;
    }
    // A neighbour outside the listed blocks stays free.
    EXPECT_EQ(fat12Entry(bytes, layout, 1500), 0u);
    std::string output;
    EXPECT_EQ(run("fsck.fat -n '" + image + "'", &output), 0) << output;
}

// A boot format is a full one, with the note on system files.
TEST_F(FloppyImages, SystemFilesAreNotCopied)
{
    const std::string image = folder.write("boot.img", std::string(720 * 1024, '\x55'));
    FloppyFormatter formatter;
    bool zeroPass = false;
    formatter.OnProgress = [&](std::uint64_t, std::uint64_t) { zeroPass = true; };
    FormatRequest request { image, 0, FormatKind::Quick, "SYS" };
    request.systemFiles = true;
    const FormatSummary summary = formatter.Format(request);
    ASSERT_EQ(summary.status, FormatStatus::Done);
    EXPECT_TRUE(zeroPass);
    EXPECT_EQ(summary.capacityKb, 720);
    EXPECT_EQ(formatText(summary.note), englishFormatText("Note_SystemFiles"));
}

// A failing mkfs.fat (a stand-in first on PATH that also scribbles over its
// target) and a Cancel leave the old image as it was, and say so.
TEST_F(FloppyImages, FailureAndCancelKeepTheOldImage)
{
    std::string old(1440 * 1024, '\0');
    for (std::size_t i = 0; i < old.size(); ++i)
        old[i] = static_cast<char>(i * 7 + i / 512);
    const std::string image = folder.write("keep.img", old);

    // Cancel in the middle of the zero pass.
    {
        FloppyFormatter formatter;
        formatter.OnProgress = [&](std::uint64_t done, std::uint64_t) {
            if (done >= 320)
                formatter.Cancel();
        };
        const FormatSummary summary = formatter.Format({ image, 0, FormatKind::Full, "X" });
        EXPECT_EQ(summary.status, FormatStatus::Cancelled);
        EXPECT_EQ(formatText(summary.message), "Format cancelled. Nothing was changed.");
        EXPECT_TRUE(slurp(image) == old);
        EXPECT_TRUE(leftovers(folder.path()).empty());
    }

    // mkfs.fat fails after writing into the file it was given.
    const std::string bin = folder.folder("bin");
    const std::string standIn = folder.write("bin/mkfs.fat",
        "#!/bin/sh\n"
        "for last; do :; done\n"
        "[ -f \"$last\" ] || for a; do [ -f \"$a\" ] && last=\"$a\"; done\n"
        "printf 'scribbled' > \"$last\"\n"
        "echo 'mkfs.fat: cannot format this' >&2\n"
        "exit 1\n");
    ::chmod(standIn.c_str(), 0755);
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    ::setenv("PATH", (bin + ":" + savedPath).c_str(), 1);
    for (const FormatKind kind : { FormatKind::Quick, FormatKind::Full }) {
        FloppyFormatter formatter;
        const FormatSummary summary = formatter.Format({ image, 0, kind, "" });
        EXPECT_EQ(summary.status, FormatStatus::Failed);
        EXPECT_EQ(formatText(summary.message), "mkfs.fat failed: mkfs.fat: cannot format this");
        EXPECT_TRUE(slurp(image) == old);
        EXPECT_TRUE(leftovers(folder.path()).empty());
    }
    ::setenv("PATH", savedPath.c_str(), 1);
}

// Requests the formatter turns down before anything is written.
TEST_F(FloppyImages, BadRequestsAreRefused)
{
    const std::string image = folder.write("ok.img", std::string(720 * 1024, 'k'));
    struct Row {
        const char* name;
        FormatRequest request;
        const char* key;
    };
    const Row rows[] = {
        { "capacity not a floppy size", { image, 1000, FormatKind::Quick, "" }, "Refuse_Capacity" },
        { "capacity of a hard disk", { image, 4096, FormatKind::Quick, "" }, "Refuse_Capacity" },
        { "label too long", { image, 720, FormatKind::Quick, "TWELVE_CHARS" }, "Refuse_Label" },
        { "folder missing", { folder / "none/new.img", 1440, FormatKind::Quick, "" }, "Refuse_Folder" },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FloppyFormatter formatter;
        const FormatSummary summary = formatter.Format(row.request);
        EXPECT_EQ(summary.status, FormatStatus::Refused);
        EXPECT_EQ(summary.message.key, row.key);
        EXPECT_EQ(slurp(image), std::string(720 * 1024, 'k'));
        EXPECT_TRUE(leftovers(folder.path()).empty());
    }
}

// A fake sysfs: one removable disk with a partition, one fixed disk, one
// device sysfs does not know; block nodes made with mknod (root only).
class FormatTargets : public ::testing::Test {
protected:
    void SetUp() override
    {
        sys = folder.folder("sys");
        const auto disk = [&](const std::string& name, const std::string& number, const char* removable,
                              const char* sectors, const char* model) {
            const std::string dir = "sys/devices/" + name;
            folder.write(dir + "/removable", std::string(removable) + "\n");
            folder.write(dir + "/size", std::string(sectors) + "\n");
            folder.write(dir + "/dev", number + "\n");
            folder.write(dir + "/device/model", std::string(model) + "   \n");
            std::filesystem::create_directories(sys + "/dev/block");
            std::filesystem::create_directory_symlink("../../devices/" + name, sys + "/dev/block/" + number);
        };
        disk("sdf", "8:80", "1", "2880", "USB-FDU");
        folder.write("sys/devices/sdf/sdf1/partition", "1\n");
        folder.write("sys/devices/sdf/sdf1/size", "2816\n");
        folder.write("sys/devices/sdf/sdf1/dev", "8:81\n");
        std::filesystem::create_directory_symlink("../../devices/sdf/sdf1", sys + "/dev/block/8:81");
        disk("sda", "8:0", "0", "1000000", "Fixed Disk");
        disk("sdg", "8:96", "1", "2880", "Stick");

        devices = folder.folder("devices");
        canMakeNodes = node("floppy", 8, 80) && node("floppy1", 8, 81) && node("fixed", 8, 0)
            && node("stick", 8, 96) && node("unknown", 8, 200);
    }

    bool node(const std::string& name, unsigned major, unsigned minor)
    {
        return ::mknod((devices + "/" + name).c_str(), S_IFBLK | 0600, ::makedev(major, minor)) == 0;
    }

    TempFolder folder;
    std::string sys, devices;
    bool canMakeNodes = false;
};

TEST_F(FormatTargets, RefusalTable)
{
    const std::string image720 = folder.write("a720.img", std::string(720 * 1024, 'x'));
    const std::string empty = folder.write("empty.img");
    const std::string odd = folder.write("odd.img", std::string(1000 * 1024, 'x'));
    const std::string unaligned = folder.write("unaligned.img", std::string(1440 * 1024 + 1, 'x'));
    std::filesystem::create_symlink(image720, folder / "link.img");
    const std::string noMounts;
    const std::string mediaMount = "36 25 8:81 / /media/ann/FLOPPY rw,nosuid - vfat /dev/sdf1 rw\n";
    const std::string rootMount = "26 1 8:81 / / rw - ext4 /dev/sdf1 rw\n";
    const std::string homeMount = "40 25 8:80 / /home/ann/disk rw shared:5 - vfat /dev/sdf rw\n";
    const std::string spaced = "41 25 8:96 / /run/media/ann/MY\\040DISK rw - vfat /dev/sdg rw\n";

    struct Row {
        const char* name;
        std::string path;
        std::string mountInfo;
        bool device;
        const char* refusal; // "" when allowed
        TargetKind kind;
        std::vector<std::string> mounted;
    };
    const std::vector<Row> rows = {
        { "floppy image", image720, noMounts, false, "", TargetKind::Image, {} },
        { "empty file", empty, noMounts, false, "", TargetKind::Image, {} },
        { "new image", folder / "new.img", noMounts, false, "", TargetKind::Image, {} },
        { "wrong size", odd, noMounts, false, "Refuse_Size", TargetKind::Image, {} },
        { "one byte over", unaligned, noMounts, false, "Refuse_Size", TargetKind::Image, {} },
        { "symbolic link", folder / "link.img", noMounts, false, "Refuse_Link", TargetKind::None, {} },
        { "folder", folder.path(), noMounts, false, "Refuse_Kind", TargetKind::None, {} },
        { "character device", "/dev/null", noMounts, false, "Refuse_Kind", TargetKind::None, {} },
        { "removable disk", devices + "/floppy", noMounts, true, "", TargetKind::Device, {} },
        { "its partition mounted under /media", devices + "/floppy", mediaMount, true, "", TargetKind::Device,
            { "/media/ann/FLOPPY" } },
        { "the partition itself", devices + "/floppy1", mediaMount, true, "", TargetKind::Device,
            { "/media/ann/FLOPPY" } },
        { "mounted with a space", devices + "/stick", spaced, true, "", TargetKind::Device,
            { "/run/media/ann/MY DISK" } },
        { "holds the root", devices + "/floppy", rootMount, true, "Refuse_Root", TargetKind::Device, {} },
        { "mounted in a home folder", devices + "/floppy", homeMount, true, "Refuse_Mounted",
            TargetKind::Device, {} },
        { "fixed disk", devices + "/fixed", noMounts, true, "Refuse_Fixed", TargetKind::Device, {} },
        { "unknown to sysfs", devices + "/unknown", noMounts, true, "Refuse_Unknown", TargetKind::Device,
            {} },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.device && !canMakeNodes)
            continue;
        const TargetFacts facts = checkFormatTarget(row.path, sys, row.mountInfo);
        EXPECT_EQ(facts.refusal.key, row.refusal) << formatText(facts.refusal);
        EXPECT_EQ(facts.kind, row.kind);
        EXPECT_EQ(facts.mountPoints, row.mounted);
        if (!*row.refusal && row.device) {
            EXPECT_EQ(facts.sizeBytes % 512, 0u);
        }
    }
    if (!canMakeNodes)
        GTEST_SKIP() << "block device nodes cannot be made here (not root): device rows skipped";

    // What the second confirmation names.
    const TargetFacts floppy = checkFormatTarget(devices + "/floppy", sys, noMounts);
    EXPECT_EQ(floppy.model, "USB-FDU");
    EXPECT_EQ(floppy.sizeBytes, 2880u * 512);
    const TargetFacts partition = checkFormatTarget(devices + "/floppy1", sys, noMounts);
    EXPECT_EQ(partition.model, "USB-FDU");
    EXPECT_EQ(partition.sizeBytes, 2816u * 512);

    // The formatter itself refuses the same way and leaves the files alone.
    FloppyFormatter formatter;
    formatter.SysfsRoot = sys;
    formatter.MountInfo = homeMount;
    bool asked = false;
    formatter.OnConfirmDevice = [&](const std::string&, const TargetFacts&) { return asked = true; };
    EXPECT_EQ(
        formatter.Format({ devices + "/floppy", 0, FormatKind::Full, "" }).status, FormatStatus::Refused);
    EXPECT_EQ(formatter.Format({ odd, 0, FormatKind::Quick, "" }).status, FormatStatus::Refused);
    EXPECT_EQ(
        formatter.Format({ folder / "link.img", 1440, FormatKind::Quick, "" }).status, FormatStatus::Refused);
    EXPECT_FALSE(asked);
    EXPECT_EQ(slurp(odd), std::string(1000 * 1024, 'x'));
    EXPECT_EQ(slurp(image720), std::string(720 * 1024, 'x'));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.img"));
}

// A device is touched only after the confirmation; no answer, no format.
TEST_F(FormatTargets, DeviceNeedsConfirmation)
{
    if (!canMakeNodes)
        GTEST_SKIP() << "block device nodes cannot be made here (not root)";
    for (const bool withHandler : { false, true }) {
        FloppyFormatter formatter;
        formatter.SysfsRoot = sys;
        formatter.MountInfo = "1 0 0:1 / /proc rw - proc proc rw\n";
        std::string named;
        if (withHandler)
            formatter.OnConfirmDevice = [&](const std::string& device, const TargetFacts& facts) {
                named = device + " " + facts.model;
                return false;
            };
        const FormatSummary summary = formatter.Format({ devices + "/floppy", 0, FormatKind::Full, "" });
        EXPECT_EQ(summary.status, FormatStatus::Cancelled);
        EXPECT_EQ(named, withHandler ? devices + "/floppy USB-FDU" : "");
    }
}

// ovtool format: a new image, a refused one, a device without --yes.
TEST_F(FloppyImages, OvtoolFormat)
{
    const std::string ovtool = std::string(OV_BINARY_DIR) + "/cli/ovtool";
    if (::access(ovtool.c_str(), X_OK) != 0)
        GTEST_SKIP() << "ovtool is not built";
    const std::string image = folder / "cli.img";
    std::string output;
    ASSERT_EQ(
        run("'" + ovtool + "' format --image '" + image + "' --size 720 --full --label CLI", &output), 0)
        << output;
    EXPECT_NE(output.find("Format complete: 720 KB, 0 bad sectors, label \"CLI\"."), std::string::npos)
        << output;
    EXPECT_EQ(run("fsck.fat -n '" + image + "'", &output), 0) << output;
    EXPECT_EQ(run("fatlabel '" + image + "'", &output), 0);
    EXPECT_EQ(output.substr(0, 3), "CLI");

    const std::string odd = folder.write("odd.img", "not a floppy");
    EXPECT_EQ(run("'" + ovtool + "' format --image '" + odd + "' --quick", &output), 1);
    EXPECT_NE(
        output.find("Format failed: " + odd + " is 12 bytes long, which is not the size of a floppy image."),
        std::string::npos)
        << output;
    EXPECT_EQ(slurp(odd), "not a floppy");
    EXPECT_EQ(run("'" + ovtool + "' format --device /dev/null", &output), 2);
    EXPECT_EQ(run("'" + ovtool + "' format --device /dev/null --yes", &output), 1);
    EXPECT_NE(output.find("/dev/null is neither a block device nor an image file."), std::string::npos)
        << output;
}

TEST(FloppyFormatPieces, MkfsArgumentsAndUnmount)
{
    using Args = std::vector<std::string>;
    EXPECT_EQ(FloppyFormatter::mkfsArguments("/x/.ov-1", 1440, "DATA", ""),
        (Args { "-F", "12", "-f", "2", "-D", "0", "-g", "2/18", "-M", "0xF0", "-s", "1", "-r", "224", "-n",
            "DATA", "/x/.ov-1", "1440" }));
    EXPECT_EQ(FloppyFormatter::mkfsArguments("/dev/sdf", 0, "", "/tmp/bad"),
        (Args { "-l", "/tmp/bad", "/dev/sdf" }));
    // A label starting with a dash stays the value of -n.
    const Args dash = FloppyFormatter::mkfsArguments("/i", 100, "-n", "");
    EXPECT_EQ(dash, (Args { "-n", "-n", "/i", "100" }));

    EXPECT_EQ(unmountCommand("/dev/sdf", false, false), Args {});
    const Args asRoot = unmountCommand("/dev/sdf", false, true);
    ASSERT_EQ(asRoot.size(), 2u);
    EXPECT_TRUE(asRoot[0].ends_with("/umount"));
    EXPECT_EQ(asRoot[1], "/dev/sdf");
}

TEST(FloppyFormatPieces, MountInfoAndTexts)
{
    const auto mounts
        = parseMountInfo("36 25 8:81 / /media/a\\040b\\134c rw,nosuid shared:1 - vfat /dev/sdf1 rw\n"
                         "garbage\n"
                         "1 2 x:y / /bad rw - t s o\n"
                         "37 25 0:5 / /mnt rw - tmpfs tmp\\040fs rw\n");
    ASSERT_EQ(mounts.size(), 2u);
    EXPECT_EQ(mounts[0].major, 8u);
    EXPECT_EQ(mounts[0].minor, 81u);
    EXPECT_EQ(mounts[0].mountPoint, "/media/a b\\c");
    EXPECT_EQ(mounts[0].source, "/dev/sdf1");
    EXPECT_EQ(mounts[1].source, "tmp fs");

    EXPECT_EQ(formatText({ "Refuse_Mounted", { "/dev/sdf", "/home/x" } }), "/dev/sdf is in use at /home/x.");
    // A missing argument leaves its place empty; %% and %0 are kept.
    EXPECT_EQ(formatText({ "K", {} }, [](const std::string&) { return std::string("a%1b%0c%"); }), "ab%0c%");
    for (const std::string& key : formatTextKeys())
        EXPECT_FALSE(englishFormatText(key).empty()) << key;
}

} // namespace
