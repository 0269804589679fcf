#include "platform/shared_library.h"
#include "platform/volumes.h"

#include <gtest/gtest.h>

using namespace ov;

TEST(SharedLibrary, LoadsByNameAndFindsFunctions)
{
    SharedLibrary math;
    ASSERT_TRUE(math.load("libm.so.6")) << math.errorText();
    double (*cosine)(double) = nullptr;
    ASSERT_TRUE(math.function("cos", cosine));
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    int (*missing)() = nullptr;
    EXPECT_FALSE(math.function("no_such_function_here", missing));
    EXPECT_EQ(missing, nullptr);

    // Moved, the library stays loaded in its new owner only.
    SharedLibrary moved = std::move(math);
    EXPECT_FALSE(math.isLoaded());
    EXPECT_TRUE(moved.function("cos", cosine));

    SharedLibrary absent;
    EXPECT_FALSE(absent.load("/nonexistent/libovnothing.so"));
    EXPECT_NE(absent.errorText().find("libovnothing.so"), std::string::npos) << absent.errorText();
    EXPECT_EQ(absent.symbol("cos"), nullptr);
}

TEST(Volumes, SpaceIsKnownOnlyWhereThereIsAFileSystem)
{
    const DiskSpace root = volumeSpace("/");
    EXPECT_TRUE(root.known);
    EXPECT_GT(root.totalBytes, 0);
    EXPECT_LE(root.freeBytes, root.totalBytes);
    EXPECT_FALSE(volumeSpace("/nonexistent/ov").known);
    EXPECT_FALSE(volumeSpace("").known);
    EXPECT_TRUE(volumeNames("/nonexistent/ov").label.empty());
}
