// The Debian package made by CPack from the install rules (the fixture
// setup_package packs this build tree): its file list, its control fields
// with the dependencies dpkg-shlibdeps computed, and lintian's verdict.
#include "tests/setup/setup_support.h"

#include <gmock/gmock.h>

#include <array>
#include <cstdio>

namespace ov::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

std::string output(const std::string& command)
{
    std::string text;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return text;
    std::array<char, 4096> buffer;
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        text.append(buffer.data(), got);
    pclose(pipe);
    return text;
}

fs::path package()
{
    const fs::path folder = fs::path(OV_BINARY_DIR) / "package-test";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.path().extension() == ".deb")
            return entry.path();
    return {};
}

class DebianPackage : public ::testing::Test {
protected:
    void SetUp() override
    {
        OV_NEED_TOOL("dpkg-deb");
        m_deb = package();
        if (m_deb.empty())
            GTEST_SKIP() << "no package in package-test (ctest runs the setup_package fixture)";
    }
    fs::path m_deb;
};

TEST_F(DebianPackage, FilesAndControlFields)
{
    const std::string architecture = output("dpkg --print-architecture");
    EXPECT_EQ(
        m_deb.filename().string(), "orvanta_0.1_" + architecture.substr(0, architecture.find('\n')) + ".deb");

    const std::string files = output("dpkg-deb -c " + quoted(m_deb));
    for (const char* path :
        { "./usr/bin/ov", "./usr/bin/ov_news", "./usr/bin/ovtool", "./usr/lib/orvanta/libovrar.so",
            "./usr/share/orvanta/ov_eng.ini", "./usr/share/orvanta/ov_rus.ini",
            "./usr/share/orvanta/ov_pol.ini", "./usr/share/orvanta/ov_ita.ini",
            "./usr/share/applications/orvanta.desktop", "./usr/share/icons/hicolor/scalable/apps/orvanta.svg",
            "./usr/share/doc/orvanta/copyright", "./usr/share/doc/orvanta/changelog.gz" })
        EXPECT_THAT(files, HasSubstr(std::string(path) + "\n")) << path;
    // The installer and its payload belong to the other way of installing.
    EXPECT_THAT(files, Not(HasSubstr("ov_setup")));
    EXPECT_THAT(files, Not(HasSubstr("data.res")));
    EXPECT_THAT(files, HasSubstr("-rwxr-xr-x root/root"));

    EXPECT_EQ(output("dpkg-deb -f " + quoted(m_deb) + " Package"), "orvanta\n");
    EXPECT_EQ(output("dpkg-deb -f " + quoted(m_deb) + " Version"), "0.1\n");
    const std::string depends = output("dpkg-deb -f " + quoted(m_deb) + " Depends");
    EXPECT_THAT(depends, HasSubstr("libc6"));
    EXPECT_THAT(depends, HasSubstr("libqt6widgets6"));
    EXPECT_THAT(depends, HasSubstr("libarchive13"));
}

TEST_F(DebianPackage, LintianFindsNoError)
{
    OV_NEED_TOOL("lintian");
    const std::string report = output("lintian --no-tag-display-limit " + quoted(m_deb));
    EXPECT_THAT(report, Not(HasSubstr("E: "))) << report;
}

} // namespace
} // namespace ov::test
