// The "About system" figures from fixture texts: x86 and ARM processors,
// missing DMI and os-release, the operating system's build form.
#include "platform/system_facts.h"
#include "platform/volumes.h"

#include <gtest/gtest.h>

using namespace ov;

namespace {

std::string fixture(const std::string& name)
{
    const std::string text = readSmallText(std::string(OV_DATA_DIR) + "/sysinfo/" + name);
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

} // namespace

TEST(SystemFacts, Processor)
{
    const struct {
        std::string text, expected;
    } cases[] = {
        { fixture("cpuinfo_x86.txt"), "AMD EPYC 7B13 64-Core Processor, MMX" },
        { fixture("cpuinfo_arm32.txt"), "ARMv7 Processor rev 4 (v7l)" },
        { fixture("cpuinfo_arm64.txt"), "Pentium" },
        { fixture("cpuinfo_vendor_only.txt"), "GenuineIntel" },
        { "", "Pentium" },
        { "model name\t:\nvendor_id : X\nflags : mmxext sse\n", "X" }, // an empty model, mmxext is not mmx
        { "flags : mmx\n", "Pentium, MMX" },
        { "model name : no newline at the end", "no newline at the end" },
    };
    for (const auto& row : cases)
        EXPECT_EQ(processorFromCpuInfo(row.text), row.expected) << row.text.substr(0, 40);
}

TEST(SystemFacts, ComputerAndOsRelease)
{
    EXPECT_EQ(computerFromProductName(fixture("product_name.txt")), "Standard PC (Q35 + ICH9, 2009)");
    EXPECT_EQ(computerFromProductName(""), "IBM PC/AT");
    EXPECT_EQ(computerFromProductName("  \n"), "IBM PC/AT");
    EXPECT_EQ(prettyNameFromOsRelease(fixture("os-release_debian.txt")), "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(prettyNameFromOsRelease(fixture("os-release_quoted.txt")), "Single \"quoted\" OS");
    EXPECT_EQ(prettyNameFromOsRelease("PRETTY_NAME=\"a \\\"b\\\" c\"\n"), "a \"b\" c");
    EXPECT_EQ(prettyNameFromOsRelease("PRETTY_NAME=Plain\n"), "Plain");
    EXPECT_EQ(prettyNameFromOsRelease("NAME=x\n"), "");
    EXPECT_EQ(prettyNameFromOsRelease(""), "");
}

TEST(SystemFacts, OperatingSystemText)
{
    const struct {
        const char *name, *release, *pretty, *expected;
    } cases[] = {
        { "Linux", "6.1.0-13-amd64", "Debian GNU/Linux 12 (bookworm)",
            "Linux 6.1 (Build 0: Debian GNU/Linux 12 (bookworm))" },
        { "Linux", "5.15.133", "", "Linux 5.15 (Build 133)" },
        { "Linux", "6.8", "X", "Linux 6.8 (Build 0: X)" },
        { "Linux", "weird", "", "Linux 0.0 (Build 0)" },
        { "", "4.19.0+", "", "Linux 4.19 (Build 0)" },
        { "Linux", "99999999999999999999.1.2", "", "Linux 999999999.1 (Build 2)" },
    };
    for (const auto& row : cases)
        EXPECT_EQ(operatingSystemText(row.name, row.release, row.pretty), row.expected) << row.release;
}

TEST(SystemFacts, MemoryAndColours)
{
    const MemoryStatus memory = parseMemInfo(fixture("meminfo.txt"));
    EXPECT_EQ(memory.totalPhysical, 16303780LL * 1024);
    for (const auto& [bits, colours] :
        std::initializer_list<std::pair<int, const char*>> { { 4, "16" }, { 8, "256" }, { 16, "65536" },
            { 24, "16777216" }, { 32, "16777216" }, { 15, "65536" }, { 0, "65536" } })
        EXPECT_EQ(colorsOfDepth(bits), colours) << bits;
}

TEST(SystemFacts, ProcessMemory)
{
    const auto memory = processMemoryFromStatus(
        "Name:\tov\nVmRSS:\t    2048 kB\nRssAnon:\t     512 kB\nRssFile:\t 1536 kB\n");
    EXPECT_EQ(memory.residentBytes, 2048 * 1024);
    EXPECT_EQ(memory.anonymousBytes, 512 * 1024);
    // A key inside another line's value is not the key.
    EXPECT_EQ(processMemoryFromStatus("Name:\tRssAnon: 7 kB\n").anonymousBytes, 0);
    EXPECT_EQ(processMemoryFromStatus("").residentBytes, 0);
    EXPECT_GT(readProcessMemory().residentBytes, 0);
}

TEST(SystemFacts, ThisMachine)
{
    const SystemFacts facts = readSystemFacts();
    EXPECT_FALSE(facts.processor.empty());
    EXPECT_FALSE(facts.computer.empty());
    EXPECT_GT(facts.memoryBytes, 0);
    EXPECT_EQ(facts.operatingSystem.rfind("Linux ", 0), 0u) << facts.operatingSystem;
}
