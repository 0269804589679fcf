#include "platform/system_facts.h"

#include "platform/volumes.h"

#include <algorithm>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/utsname.h>
#include <unistd.h>
#include <vector>

namespace ov {

namespace {

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

// The value of the first "key : value" line of a cpuinfo text whose key is
// name; "" when there is none.
std::string cpuField(const std::string& text, const std::string& name)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos || trimmed(line.substr(0, colon)) != name)
            continue;
        const std::string value = trimmed(line.substr(colon + 1));
        if (!value.empty())
            return value;
    }
    return std::string();
}

bool holdsWord(const std::string& text, const std::string& word)
{
    std::istringstream words(text);
    std::string one;
    while (words >> one)
        if (one == word)
            return true;
    return false;
}

} // namespace

std::string processorFromCpuInfo(const std::string& text)
{
    std::string name = cpuField(text, "model name");
    if (name.empty())
        name = cpuField(text, "vendor_id");
    if (name.empty())
        name = "Pentium";
    if (holdsWord(cpuField(text, "flags"), "mmx"))
        name += ", MMX";
    return name;
}

std::string computerFromProductName(const std::string& text)
{
    const std::string line = trimmed(text.substr(0, text.find('\n')));
    return line.empty() ? std::string("IBM PC/AT") : line;
}

std::string prettyNameFromOsRelease(const std::string& text)
{
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("PRETTY_NAME=", 0) != 0)
            continue;
        std::string value = trimmed(line.substr(12));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front()) {
            const char quote = value.front();
            value = value.substr(1, value.size() - 2);
            if (quote == '"') {
                std::string plain;
                for (std::size_t i = 0; i < value.size(); ++i) {
                    if (value[i] == '\\' && i + 1 < value.size())
                        ++i;
                    plain += value[i];
                }
                value = plain;
            }
        }
        return value;
    }
    return std::string();
}

std::string operatingSystemText(
    const std::string& kernelName, const std::string& release, const std::string& prettyName)
{
    // "6.1.0-13-amd64": the leading numbers, separated by dots.
    std::vector<long> numbers;
    std::size_t at = 0;
    while (numbers.size() < 3 && at < release.size() && release[at] >= '0' && release[at] <= '9') {
        long value = 0;
        // Clamped: an absurdly long number must not overflow.
        for (; at < release.size() && release[at] >= '0' && release[at] <= '9'; ++at)
            value = std::min(value * 10 + (release[at] - '0'), 999999999L);
        numbers.push_back(value);
        if (at >= release.size() || release[at] != '.')
            break;
        ++at;
    }
    numbers.resize(3, 0);
    std::string text = (kernelName.empty() ? std::string("Linux") : kernelName) + " "
        + std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + " (Build "
        + std::to_string(numbers[2]);
    if (!prettyName.empty())
        text += ": " + prettyName;
    return text + ")";
}

std::string colorsOfDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 4:
        return "16";
    case 8:
        return "256";
    case 24:
    case 32:
        return "16777216";
    default:
        return "65536";
    }
}

std::string readSmallText(const std::string& hostPath)
{
    std::ifstream in(hostPath, std::ios::binary);
    std::string text;
    char buffer[4096];
    // Bounded: these files are small, and a hostile one must not fill memory.
    while (in && text.size() < (1u << 20)) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

ProcessMemory processMemoryFromStatus(const std::string& text)
{
    ProcessMemory memory;
    // Lines such as "RssAnon:\t    1234 kB".
    const auto figure = [&text](const std::string& key) -> int64_t {
        std::size_t at = 0;
        while ((at = text.find(key, at)) != std::string::npos) {
            if (at == 0 || text[at - 1] == '\n')
                break;
            at += key.size();
        }
        if (at == std::string::npos)
            return 0;
        int64_t kilobytes = 0;
        for (std::size_t i = at + key.size(); i < text.size() && text[i] != '\n'; ++i) {
            if (text[i] >= '0' && text[i] <= '9' && kilobytes < (int64_t(1) << 50))
                kilobytes = kilobytes * 10 + (text[i] - '0');
            else if (kilobytes > 0)
                break;
        }
        return kilobytes * 1024;
    };
    memory.residentBytes = figure("VmRSS:");
    memory.anonymousBytes = figure("RssAnon:");
    return memory;
}

ProcessMemory readProcessMemory()
{
    return processMemoryFromStatus(readSmallText("/proc/self/status"));
}

SystemFacts readSystemFacts()
{
    SystemFacts facts;
    facts.processor = processorFromCpuInfo(readSmallText("/proc/cpuinfo"));
    facts.computer = computerFromProductName(readSmallText("/sys/class/dmi/id/product_name"));
    facts.memoryBytes = memoryStatus().totalPhysical;
    utsname names {};
    std::string osRelease = readSmallText("/etc/os-release");
    if (osRelease.empty())
        osRelease = readSmallText("/usr/lib/os-release");
    if (::uname(&names) == 0)
        facts.operatingSystem
            = operatingSystemText(names.sysname, names.release, prettyNameFromOsRelease(osRelease));
    passwd entry {};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found
        && found->pw_gecos)
        facts.registeredOwner
            = trimmed(std::string(found->pw_gecos).substr(0, std::string(found->pw_gecos).find(',')));
    return facts;
}

} // namespace ov
