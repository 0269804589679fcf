// Private-profile INI reader/writer; see ini_file.h for the rules.
#include "platform/ini_file.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace ov {

namespace {

std::string_view trim(std::string_view text)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2
        && ((value.front() == '"' && value.back() == '"') || (value.front() == '\'' && value.back() == '\'')))
        return value.substr(1, value.size() - 2);
    return value;
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

} // namespace

IniFile::IniFile(std::string hostPath)
    : m_path(std::move(hostPath))
{
    reload();
}

IniFile IniFile::fromText(std::string_view text)
{
    IniFile file { std::string() };
    file.m_inMemory = true;
    file.parse(text);
    return file;
}

void IniFile::reload()
{
    m_batch = false;
    m_dirty = false;
    if (m_path.empty()) {
        m_lines.clear();
        return;
    }
    std::ifstream in(m_path, std::ios::binary);
    std::stringstream buffer;
    if (in)
        buffer << in.rdbuf();
    parse(buffer.str());
}

void IniFile::parse(std::string_view text)
{
    m_lines.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view raw
            = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        start = end == std::string_view::npos ? text.size() : end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        Line line;
        line.raw = std::string(raw);
        std::string_view body = trim(raw);
        if (!body.empty() && body.front() == '[') {
            std::size_t close = body.find(']');
            if (close != std::string_view::npos) {
                line.isSection = true;
                line.section = std::string(trim(body.substr(1, close - 1)));
            }
        } else if (!body.empty() && body.front() != ';') {
            std::size_t equals = body.find('=');
            if (equals != std::string_view::npos) {
                line.isKey = true;
                line.key = std::string(trim(body.substr(0, equals)));
            }
        }
        m_lines.push_back(std::move(line));
    }
}

int IniFile::findSection(std::string_view section) const
{
    const std::string_view wanted = trim(section);
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].isSection && sameName(m_lines[i].section, wanted))
            return static_cast<int>(i);
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const
{
    int i = sectionLine + 1;
    while (i < static_cast<int>(m_lines.size()) && !m_lines[static_cast<std::size_t>(i)].isSection)
        ++i;
    return i;
}

int IniFile::findKey(int sectionLine, std::string_view key) const
{
    const std::string_view wanted = trim(key);
    const int end = sectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i) {
        const Line& line = m_lines[static_cast<std::size_t>(i)];
        if (line.isKey && sameName(line.key, wanted))
            return i;
    }
    return -1;
}

std::string IniFile::readString(
    std::string_view section, std::string_view key, std::string_view fallback) const
{
    const int s = findSection(section);
    if (s < 0)
        return std::string(fallback);
    const int k = findKey(s, key);
    if (k < 0)
        return std::string(fallback);
    std::string_view raw = m_lines[static_cast<std::size_t>(k)].raw;
    return std::string(unquote(trim(raw.substr(raw.find('=') + 1))));
}

int IniFile::readInteger(std::string_view section, std::string_view key, int fallback) const
{
    const std::string text = readString(section, key, "");
    std::string_view digits = trim(text);
    if (!digits.empty() && digits.front() == '+')
        digits.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size())
        return fallback;
    return value;
}

bool IniFile::readBool(std::string_view section, std::string_view key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const
{
    const int s = findSection(section);
    return s >= 0 && findKey(s, key) >= 0;
}

bool IniFile::hasSection(std::string_view section) const
{
    return findSection(section) >= 0;
}

std::vector<std::string> IniFile::keys(std::string_view section) const
{
    std::vector<std::string> result;
    const int s = findSection(section);
    if (s < 0)
        return result;
    const int end = sectionEnd(s);
    for (int i = s + 1; i < end; ++i) {
        const Line& line = m_lines[static_cast<std::size_t>(i)];
        if (!line.isKey)
            continue;
        const bool seen = std::any_of(
            result.begin(), result.end(), [&](const std::string& k) { return sameName(k, line.key); });
        if (!seen)
            result.push_back(line.key);
    }
    return result;
}

std::vector<std::string> IniFile::sections() const
{
    std::vector<std::string> result;
    for (const Line& line : m_lines) {
        if (!line.isSection)
            continue;
        const bool seen = std::any_of(
            result.begin(), result.end(), [&](const std::string& s) { return sameName(s, line.section); });
        if (!seen)
            result.push_back(line.section);
    }
    return result;
}

bool IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) || trim(key).empty()
        || key.find('=') != std::string_view::npos || section.find(']') != std::string_view::npos) {
        m_lastError = "a name or value with a line break or separator cannot be stored";
        return false;
    }
    Line keyLine;
    keyLine.raw = std::string(trim(key)) + "=" + std::string(value);
    keyLine.isKey = true;
    keyLine.key = std::string(trim(key));

    int s = findSection(section);
    if (s < 0) {
        // A blank line keeps a new section apart from the text before it.
        if (!m_lines.empty() && !trim(m_lines.back().raw).empty())
            m_lines.push_back(Line {});
        Line header;
        header.raw = "[" + std::string(trim(section)) + "]";
        header.isSection = true;
        header.section = std::string(trim(section));
        m_lines.push_back(std::move(header));
        m_lines.push_back(std::move(keyLine));
    } else if (int k = findKey(s, key); k >= 0) {
        // Keep the key's own spelling as the file has it.
        keyLine.key = m_lines[static_cast<std::size_t>(k)].key;
        keyLine.raw = keyLine.key + "=" + std::string(value);
        m_lines[static_cast<std::size_t>(k)] = std::move(keyLine);
    } else {
        // New keys go after the section's last non-blank line.
        int at = sectionEnd(s);
        while (at - 1 > s && trim(m_lines[static_cast<std::size_t>(at - 1)].raw).empty())
            --at;
        m_lines.insert(m_lines.begin() + at, std::move(keyLine));
    }
    return flush();
}

bool IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    return writeString(section, key, std::to_string(value));
}

bool IniFile::writeBool(std::string_view section, std::string_view key, bool value)
{
    return writeString(section, key, value ? "1" : "0");
}

bool IniFile::eraseKey(std::string_view section, std::string_view key)
{
    const int s = findSection(section);
    if (s < 0)
        return true;
    bool erased = false;
    for (int k = findKey(s, key); k >= 0; k = findKey(s, key)) {
        m_lines.erase(m_lines.begin() + k);
        erased = true;
    }
    return erased ? flush() : true;
}

bool IniFile::eraseSection(std::string_view section)
{
    bool erased = false;
    for (int s = findSection(section); s >= 0; s = findSection(section)) {
        m_lines.erase(m_lines.begin() + s, m_lines.begin() + sectionEnd(s));
        erased = true;
    }
    return erased ? flush() : true;
}

void IniFile::beginBatch()
{
    m_batch = true;
}

bool IniFile::commit()
{
    m_batch = false;
    if (!m_dirty)
        return true;
    return flush();
}

std::string IniFile::text() const
{
    std::string result;
    for (const Line& line : m_lines) {
        result += line.raw;
        result += "\n";
    }
    return result;
}

bool IniFile::flush()
{
    m_dirty = true;
    if (m_batch || m_inMemory)
        return true;
    if (!writeFileAtomically(m_path, text(), &m_lastError))
        return false;
    m_dirty = false;
    m_lastError.clear();
    return true;
}

bool writeFileAtomically(const std::string& hostPath, std::string_view text, std::string* error)
{
    AtomicFile file;
    const bool ok = file.open(hostPath) && file.write(text)
        && file.commit(std::nullopt, std::nullopt, Durability::Durable);
    if (error)
        *error = ok ? std::string() : "cannot write " + hostPath + ": " + std::strerror(file.error());
    return ok;
}

} // namespace ov
