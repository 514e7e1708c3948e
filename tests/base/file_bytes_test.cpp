// file_bytes_test.cpp - whole files for the readers: only regular ones, and
// never a wait or an endless read on anything else.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "base/file_bytes.h"

TEST(FileBytes, ReadsRegularFilesWholeAndRefusesEverythingElse)
{
    const std::string base = testing::TempDir() + "file_bytes_" + std::to_string(getpid());
    const std::string file = base + ".bin";
    FILE* f = std::fopen(file.c_str(), "wb");
    std::fputs("ABC", f);
    std::fclose(f);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readRegularFile(file.c_str(), bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{'A', 'B', 'C'}));

    std::fclose(std::fopen(file.c_str(), "wb"));
    EXPECT_TRUE(readRegularFile(file.c_str(), bytes));  // empty, but a file
    EXPECT_TRUE(bytes.empty());

    // A pipe without a writer would block an ordinary open.
    const std::string fifo = base + ".fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {file + ".missing", testing::TempDir(), std::string("/dev/zero"), fifo}) {
        bytes = {1, 2};
        EXPECT_FALSE(readRegularFile(path.c_str(), bytes)) << path;
        EXPECT_TRUE(bytes.empty()) << path;
    }
    std::remove(fifo.c_str());
    std::remove(file.c_str());
}
