// What the ARJ, LHA, ARC and RAR extractor tests share: a fresh folder per
// test, a run that records every message and end report, the manifests of
// data/ (SHA-256 of each member as an independent tool extracted it) and the
// SHA-256 of what we wrote.
#pragma once

#include "archive/extractor_base.h"
#include "tests/support/public_archives.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace ov::test {

namespace fs = std::filesystem;

// OV_DATA_DIR is the repository's tests/data; this folder's own fixtures sit
// beside the tests. sharedDir() holds the public archives (tests that read
// them start with OV_NEED_PUBLIC_ARCHIVES()).
inline fs::path dataDir()
{
    return fs::path(OV_DATA_DIR).parent_path() / "archive" / "extract" / "data";
}
inline fs::path sharedDir()
{
    return publicArchives();
}
inline fs::path decoderDataDir()
{
    return fs::path(OV_DATA_DIR) / "archive_decoders";
}

inline std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void spit(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

using Hashes = std::map<std::string, std::string>; // relative path → SHA-256

// A manifest of data/: "sha256  path" lines.
inline Hashes readManifest(const fs::path& manifest)
{
    Hashes hashes;
    std::ifstream in(manifest);
    std::string line;
    while (std::getline(in, line))
        if (line.size() > 66)
            hashes[line.substr(66)] = line.substr(0, 64);
    return hashes;
}

// The SHA-256 of every file under `root` (sha256sum, an independent tool);
// links are listed as "<link>".
inline Hashes hashTree(const fs::path& root)
{
    Hashes hashes;
    if (!fs::exists(root))
        return hashes;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string relative = fs::relative(entry.path(), root).string();
        if (entry.is_symlink()) {
            hashes[relative] = "<link>";
        } else if (entry.is_regular_file()) {
            const std::string command = "sha256sum '" + entry.path().string() + "'";
            FILE* pipe = popen(command.c_str(), "r");
            char digest[65] = {};
            if (pipe && std::fread(digest, 1, 64, pipe) == 64)
                hashes[relative] = digest;
            if (pipe)
                pclose(pipe);
        }
    }
    return hashes;
}

// The same with paths in lower case: DOS archivers store upper-case names
// that some independent extractors write in lower case.
inline Hashes lowerCase(const Hashes& hashes)
{
    Hashes lower;
    for (const auto& [path, hash] : hashes) {
        std::string name = path;
        for (char& c : name)
            c = char(std::tolower(static_cast<unsigned char>(c)));
        lower[name] = hash;
    }
    return lower;
}

struct Outcome {
    std::vector<int> errors; // every OnError code, in order
    std::map<std::string, bool> ends; // OnEnd by output path
    int begins = 0;
    bool deactivated = false;
};

// Runs `x` over `archive` into `target`, recording what it reports.
inline Outcome runExtractor(TExtractorBase& x, const fs::path& archive, const fs::path& target)
{
    Outcome run;
    x.SetArchiveFile(archive.string());
    x.SetExtractDir(target.string());
    x.OnError = [&run](TArchiveCommon&, const std::string&, const std::string&, const std::string&,
                    int32_t code) { run.errors.push_back(code); };
    x.OnEnd = [&run](TExtractorBase&, const std::string& fn, bool pass) { run.ends[fn] = pass; };
    x.OnBegin = [&run](TExtractorBase&, const std::string&, int32_t, bool&) { ++run.begins; };
    x.OnDeactivate = [&run](TArchiveCommon&) { run.deactivated = true; };
    x.Extract();
    return run;
}

class ExtractTest : public testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/ov-extract-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        fs::create_directories(in());
    }
    void TearDown() override { fs::remove_all(m_dir); }

    // Skips (or, under CI, fails) when an outside tool is missing.
    void needTool(const char* tool)
    {
        if (std::system((std::string("command -v ") + tool + " >/dev/null").c_str()) == 0)
            return;
        if (std::getenv("CI"))
            FAIL() << tool << " missing (scripts/deps.d/arcext.txt)";
        GTEST_SKIP() << tool << " not installed";
    }

    // Archives go to in(), output to out(); anything else in the test
    // folder escaped the output folder.
    fs::path in() const { return m_dir / "in"; }
    fs::path out() const { return m_dir / "out"; }
    std::vector<std::string> strays() const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(m_dir))
            if (entry.path() != in() && entry.path() != out())
                found.push_back(entry.path().filename().string());
        return found;
    }

    fs::path m_dir;
};

// Little-endian fields for hand-built archives.
inline void put16(std::string& s, unsigned v)
{
    s += char(v & 0xFF), s += char((v >> 8) & 0xFF);
}
inline void put32(std::string& s, uint32_t v)
{
    put16(s, v & 0xFFFF), put16(s, v >> 16);
}

} // namespace ov::test
