// The figures of the "About system" window, read from the texts the kernel
// and the distribution publish. The parsers take the texts, so that any
// machine's figures can be tested; the readers fetch this machine's texts.
#pragma once

#include <cstdint>
#include <string>

namespace ov {

// Processor from /proc/cpuinfo: the first "model name" (x86), else the
// first "vendor_id", else "Pentium"; ", MMX" when a "flags" line holds
// mmx (64-bit ARM kernels name neither model nor vendor there).
std::string processorFromCpuInfo(const std::string& text);
// Computer from the text of /sys/class/dmi/id/product_name: its first line
// trimmed, "IBM PC/AT" when there is none.
std::string computerFromProductName(const std::string& text);
// PRETTY_NAME of an os-release text, quotes and escapes undone; "" when it
// has none.
std::string prettyNameFromOsRelease(const std::string& text);
// The operating system as "Linux 6.1 (Build 0: Debian GNU/Linux 12
// (bookworm))": kernel name, major.minor, the third number of the release
// as the build, the pretty name as the service-pack text ("Linux 6.1
// (Build 0)" without one).
std::string operatingSystemText(
    const std::string& kernelName, const std::string& release, const std::string& prettyName);
// The colours of a display depth: "16" (4 bits), "256" (8), "65536" (16),
// "16777216" (24 or 32), else "65536".
std::string colorsOfDepth(int bitsPerPixel);

struct SystemFacts {
    std::string computer;
    std::string processor;
    int64_t memoryBytes = 0; // 0 when unknown
    std::string operatingSystem;
    std::string registeredOwner; // the user's full name; "" when none
};

// The memory of this process from a /proc/<pid>/status text: VmRSS and
// RssAnon in bytes, 0 for a figure the text lacks.
struct ProcessMemory {
    int64_t residentBytes = 0;
    int64_t anonymousBytes = 0;
};
ProcessMemory processMemoryFromStatus(const std::string& text);
// This process's figures (reads /proc/self/status).
ProcessMemory readProcessMemory();

// This machine's facts (reads /proc/cpuinfo, /proc/meminfo, /etc/os-release,
// the DMI product name, uname and the password database).
SystemFacts readSystemFacts();
// Reads a small text file whole; "" when it cannot be read.
std::string readSmallText(const std::string& hostPath);

} // namespace ov
