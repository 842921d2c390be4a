#include "base/fileio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

#include "base/error.h"
#include "testutil.h"

using namespace kestrun;
using kestrun::test::MessageOf;
namespace fs = std::filesystem;

namespace {

// The shared temporary folder, named as these tests name it.
struct TempDir : test::TempDir {
    const std::string& path = Path;
};

std::size_t EntriesIn(const std::string& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++n;
    return n;
}

} // namespace

TEST(FileIO, MissingFileOrFolderCannotBeOpened) {
    TempDir dir;
    std::string missing = dir.path + "/none.txt";
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(missing); }), "Cannot open file " + missing);
    EXPECT_EQ(MessageOf([&] { OpenFileRead(dir.path); }), "Cannot open file " + dir.path);
    EXPECT_EQ(MessageOf([] { OpenFileRead(""); }), "Cannot open file ");
}

TEST(FileIO, AtomicWriteReplacesAndLeavesNoTemporaryFile) {
    TempDir dir;
    std::string file = dir.path + "/plan.rbf";
    WriteFileAtomic(file, "first\r\n");
    WriteFileAtomic(file, std::string("second\0\xFF\r\n", 10));
    EXPECT_EQ(ReadFileBytes(file), std::string("second\0\xFF\r\n", 10));
    EXPECT_EQ(EntriesIn(dir.path), 1u);
}

TEST(FileIO, PlainWriteCreatesAndTruncates) {
    TempDir dir;
    std::string file = dir.path + "/RSBN.cfg";
    WriteFileBytes(file, "a longer first content");
    WriteFileBytes(file, "short");
    EXPECT_EQ(ReadFileBytes(file), "short");
    std::string nowhere = dir.path + "/none/RSBN.cfg";
    EXPECT_EQ(MessageOf([&] { WriteFileBytes(nowhere, "x"); }), "Cannot create file " + nowhere);
}

TEST(FileIO, FailedWriteKeepsTheOldFile) {
    TempDir dir;
    std::string file = dir.path + "/plan.rbf";
    WriteFileAtomic(file, "good");
    std::string nowhere = dir.path + "/no/such/folder/x.rbf";
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(nowhere, "x"); }), "Cannot create file " + nowhere);
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(dir.path, "x"); }), "Cannot create file " + dir.path);
    if (::geteuid() != 0) { // root writes into read-only folders anyway
        ::chmod(dir.path.c_str(), 0500);
        EXPECT_EQ(MessageOf([&] { WriteFileAtomic(file, "bad"); }), "Cannot create file " + file);
        ::chmod(dir.path.c_str(), 0700);
    }
    EXPECT_EQ(ReadFileBytes(file), "good");
    EXPECT_EQ(EntriesIn(dir.path), 1u);
}

TEST(FileIO, ExecutableAndItsFolder) {
    EXPECT_TRUE(FileExists(ExePath()));
    EXPECT_EQ(ExePath().filename(), "base_tests");
    EXPECT_EQ(ExeDir(), ExePath().parent_path());
}
