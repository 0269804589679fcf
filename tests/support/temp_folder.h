// A temporary folder for a test, removed with everything in it at the end,
// and small helpers to fill it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace ov::test {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "ovtest.XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& relative) const { return m_path + "/" + relative; }

    // Writes a file (creating its folders) with the given bytes.
    std::string write(const std::string& relative, const std::string& bytes = std::string()) const
    {
        const std::string full = *this / relative;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream(full, std::ios::binary) << bytes;
        return full;
    }
    std::string folder(const std::string& relative) const
    {
        const std::string full = *this / relative;
        std::filesystem::create_directories(full);
        return full;
    }

private:
    std::string m_path;
};

} // namespace ov::test
