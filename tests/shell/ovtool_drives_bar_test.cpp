// ovtool drives --bar, run as a program over a drive map with every type.
#include "platform/volumes.h"
#include "shell/drive_bar_engine.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

using namespace ov;

namespace {

int ovtool(const std::string& environment, const std::string& arguments, std::string& output)
{
    const std::string command = environment + " " OV_BINARY_DIR "/cli/ovtool " + arguments + " 2>&1";
    output.clear();
    FILE* pipe = ::popen(command.c_str(), "r");
    char buffer[256];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int status = pipe ? ::pclose(pipe) : -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(OvtoolDrivesBar, OneLinePerButtonInLetterOrder)
{
    test::TempFolder root;
    const std::string fixed = root.folder("fixed");
    const std::string map = "ORVANTA_DRIVES='n=" + root.folder("net") + "|remote;c=" + fixed
        + ";a=" + root.folder("floppy") + "|removable;r=" + root.folder("ram") + "|ramdisk;d=" + root.path()
        + "/no_disc|cdrom'";
    std::string output;
    ASSERT_EQ(ovtool(map, "drives --bar", output), 0) << output;
    // The fixed and network drives show their volume's label as the panel does.
    const std::string label = volumeNames(fixed).label;
    EXPECT_EQ(output,
        "a\tfloppy\ta: [Floppy]\n"
        "c\thdd\t"
            + driveHintText('c', DriveType::Fixed, label)
            + "\n"
              "d\tcdrom\td: [CD-ROM]\n"
              "n\tnetwork\t"
            + driveHintText('n', DriveType::Remote, label) + "\n");
    EXPECT_EQ(ovtool(map, "drives --bars", output), 2);
    EXPECT_NE(output.find("usage: ovtool drives [--bar]"), std::string::npos) << output;
}
