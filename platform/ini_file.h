// Private-profile INI files: the lookup rules the settings files have always
// had, on a reader/writer of our own.
//
// Sections and keys are found without regard to case; names and values are
// trimmed; the first of duplicate sections or keys wins; one pair of outer
// quotes around a value is stripped. A missing file, section or key gives the
// default; a key that is present with an empty value gives "". Integers must
// be a whole signed decimal int32 after trimming, else the default.
//
// Writes update the text in place, keeping every other line and comment, and
// append a new key at the end of its section (a new section at the end of the
// file). Each write reaches the disk at once and atomically: the new text goes
// to a temporary file beside the target, which is then renamed over it, so a
// crash never leaves a half-written file. Inside a batch (beginBatch/commit)
// the writes are collected and reach the disk in one such replacement.
//
// Not thread-safe; one object per file and thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ov {

class IniFile {
public:
    // Reads the file at hostPath (a Linux path) if it exists.
    explicit IniFile(std::string hostPath);

    // An object over text in memory that never touches the disk (tests, fuzzing).
    static IniFile fromText(std::string_view text);

    const std::string& path() const { return m_path; }

    // Reads the file again, dropping any uncommitted batch.
    void reload();

    std::string readString(std::string_view section, std::string_view key, std::string_view fallback) const;
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    // Booleans are stored as integers: 0 is false, any other integer true.
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    bool hasSection(std::string_view section) const;
    // Key names of a section in file order (first spelling of duplicates).
    std::vector<std::string> keys(std::string_view section) const;
    std::vector<std::string> sections() const;

    // Each returns false when the text could not be written to the disk; the
    // text in memory is updated either way. A value with a line break is
    // refused (false, nothing changed): it would split into other keys.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInteger(std::string_view section, std::string_view key, int value);
    bool writeBool(std::string_view section, std::string_view key, bool value);
    bool eraseKey(std::string_view section, std::string_view key);
    bool eraseSection(std::string_view section);

    void beginBatch();
    // Ends a batch, writing the collected changes; false when the write failed.
    bool commit();

    // The whole text as it stands in memory.
    std::string text() const;

    // The error text of the last failed write ("" after a success).
    const std::string& lastError() const { return m_lastError; }

private:
    struct Line {
        std::string raw; // the line as written, without its line end
        std::string section; // for a section header: the trimmed name
        std::string key; // for a key line: the trimmed key
        bool isSection = false;
        bool isKey = false;
    };
    void parse(std::string_view text);
    int findSection(std::string_view section) const;
    int findKey(int sectionLine, std::string_view key) const;
    int sectionEnd(int sectionLine) const;
    bool flush();

    std::string m_path;
    std::vector<Line> m_lines;
    std::string m_lastError;
    bool m_inMemory = false;
    bool m_batch = false;
    bool m_dirty = false;
};

// Writes text to hostPath atomically and durably through AtomicFile: the
// existing file's mode is kept, one the user may not write is refused. On
// failure the target is untouched and the temporary file removed; error
// receives a readable reason.
bool writeFileAtomically(const std::string& hostPath, std::string_view text, std::string* error = nullptr);

} // namespace ov
