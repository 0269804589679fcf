#include "platform/host_file.h"
#include "platform/mapped_file.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

using namespace ov;
using ov::test::TempFolder;

// What opens and maps, and what is refused at once: nothing here may wait
// for a FIFO's writer.
TEST(HostFile, OpensAndMapsRegularFilesOnly)
{
    TempFolder folder;
    const std::string bytes = "MZ" + std::string(5000, 'q') + "end";
    folder.write("file.bin", bytes);
    folder.write("empty.bin", "");
    folder.folder("folder");
    ::mkfifo((folder / "pipe").c_str(), 0600);
    ::symlink("file.bin", (folder / "link").c_str());
    struct Row {
        const char* name;
        std::string path;
        MappedFile::Failure failure;
    } rows[] = {
        { "regular file", folder / "file.bin", MappedFile::Failure::None },
        { "link to a regular file", folder / "link", MappedFile::Failure::None },
        { "empty file", folder / "empty.bin", MappedFile::Failure::Empty },
        { "FIFO", folder / "pipe", MappedFile::Failure::NotRegular },
        { "device", "/dev/zero", MappedFile::Failure::NotRegular },
        { "folder", folder / "folder", MappedFile::Failure::NotRegular },
        { "missing", folder / "missing", MappedFile::Failure::Open },
    };
    for (const Row& row : rows) {
        MappedFile mapped;
        EXPECT_EQ(mapped.open(row.path), row.failure == MappedFile::Failure::None) << row.name;
        EXPECT_EQ(mapped.failure(), row.failure) << row.name;
        HostFile file;
        EXPECT_EQ(file.open(row.path),
            row.failure == MappedFile::Failure::None || row.failure == MappedFile::Failure::Empty)
            << row.name;
        EXPECT_EQ(file.notRegular(), row.failure == MappedFile::Failure::NotRegular) << row.name;
        EXPECT_EQ(isSpecialHostFile(row.path), row.failure == MappedFile::Failure::NotRegular) << row.name;
        if (row.failure != MappedFile::Failure::None)
            continue;
        ASSERT_EQ(mapped.size(), bytes.size());
        EXPECT_EQ(std::memcmp(mapped.data(), bytes.data(), bytes.size()), 0);
        MappedFile moved = std::move(mapped);
        EXPECT_EQ(mapped.data(), nullptr);
        EXPECT_EQ(moved.size(), bytes.size());

        // Positional reads: whole, short at the end, nothing past it.
        EXPECT_EQ(file.size(), static_cast<int64_t>(bytes.size()));
        char buffer[16] = {};
        EXPECT_EQ(file.readAt(0, buffer, 2), 2);
        EXPECT_EQ(std::string(buffer, 2), "MZ");
        EXPECT_EQ(file.readAt(static_cast<int64_t>(bytes.size()) - 3, buffer, sizeof buffer), 3);
        EXPECT_EQ(std::string(buffer, 3), "end");
        EXPECT_EQ(file.readAt(static_cast<int64_t>(bytes.size()) + 10, buffer, sizeof buffer), 0);
        EXPECT_TRUE(file.close());
    }
}
