// The public test archives (real archives written by historic and
// proprietary archivers, kept outside the repository in the shared fixtures
// folder beside the checkout). Tests that read them find the folder here and
// skip, naming the folder, on a checkout that lacks it.
//
// The folder is $OV_PUBLIC_FIXTURES when that is set (even to a folder that
// is missing: the tests then skip), else the compiled-in
// OV_SHARED_FIXTURES/archives.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace ov::test {

inline std::filesystem::path publicArchives()
{
    if (const char* chosen = std::getenv("OV_PUBLIC_FIXTURES"))
        return std::filesystem::path(chosen);
    return std::filesystem::path(OV_SHARED_FIXTURES) / "archives";
}

inline bool havePublicArchives()
{
    std::error_code error;
    return std::filesystem::is_directory(publicArchives(), error);
}

} // namespace ov::test

// Ends the current test (or its SetUp) as skipped when the public archives
// are missing.
#define OV_NEED_PUBLIC_ARCHIVES()                                                                            \
    do {                                                                                                     \
        if (!::ov::test::havePublicArchives())                                                               \
            GTEST_SKIP() << "public test archives not found at " << ::ov::test::publicArchives()             \
                         << " (set OV_PUBLIC_FIXTURES to the shared fixtures' archives folder)";             \
    } while (false)
