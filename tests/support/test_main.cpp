// The test programs' main. ctest runs every test case as a process of its
// own, several at once, and many tests write files under ::testing::TempDir():
// each process gets a fresh directory there (removed at the end), so tests
// running side by side never see each other's files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    std::string pattern = ::testing::TempDir() + "mve-test-XXXXXX";
    const char* dir = mkdtemp(pattern.data());
    if (dir) setenv("TEST_TMPDIR", (std::string(dir) + "/").c_str(), 1);
    const int result = RUN_ALL_TESTS();
    if (dir) {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }
    return result;
}
