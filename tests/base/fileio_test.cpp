#include "base/fileio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <cstring>

#include <sys/stat.h>
#include <sys/wait.h>
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

// A file is read to its end whatever size the system gives (procfs tells none).
TEST(FileIO, ReadHoldsTheWholeFile) {
    TempDir dir;
    const std::string empty = dir.path + "/empty.pln", some = dir.path + "/some.pln";
    WriteFileBytes(empty, "");
    WriteFileBytes(some, std::string("ab\0c", 4));
    for (const std::string& file : {empty, some})
        EXPECT_EQ(ReadFileBytes(file), test::ReadBytes(file));
    const std::string status = ReadFileBytes("/proc/self/status");
    EXPECT_NE(status.find("Name:"), std::string::npos);
    EXPECT_EQ(status.back(), '\n');
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
    EXPECT_EQ(ReadFileBytes(file), "good");
    EXPECT_EQ(EntriesIn(dir.path), 1u);
}

TEST(FileIO, ExecutableAndItsFolder) {
    EXPECT_TRUE(FileExists(ExePath()));
    EXPECT_EQ(ExePath().filename(), "base_tests");
    EXPECT_EQ(ExeDir(), ExePath().parent_path());
}

// Hostile targets of a save: links, devices, FIFOs, long names, folders that take no new file.
TEST(FileIO, AtomicWriteThroughLinksAndIntoSpecialFiles) {
    TempDir dir;
    const std::string file = dir.path + "/plan.rbf", link = dir.path + "/link.rbf";
    WriteFileAtomic(file, "old");
    fs::create_symlink("plan.rbf", link);
    WriteFileAtomic(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(file), "new");
    // A link to a file not yet there creates the file and keeps the link.
    fs::create_symlink(dir.path + "/later.rbf", dir.path + "/dangling.rbf");
    WriteFileAtomic(dir.path + "/dangling.rbf", "later");
    EXPECT_TRUE(fs::is_symlink(dir.path + "/dangling.rbf"));
    EXPECT_EQ(ReadFileBytes(dir.path + "/later.rbf"), "later");

    // A device is written in place, never replaced by a file; its errors are reported.
    fs::create_symlink("/dev/null", dir.path + "/null.rbf");
    WriteFileAtomic(dir.path + "/null.rbf", "gone");
    EXPECT_TRUE(fs::is_symlink(dir.path + "/null.rbf"));
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    try {
        WriteFileAtomic("/dev/full", "lost");
        ADD_FAILURE() << "a full device reported success";
    } catch (const EKestrunError& e) {
        EXPECT_STREQ(e.what(), "Stream write error");
        EXPECT_EQ(ErrorWhere(e), "/dev/full: " + std::string(std::strerror(ENOSPC)));
    }
    // A FIFO nobody reads fails at once instead of waiting; no reader opens one either.
    const std::string fifo = dir.path + "/fifo.rbf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(MessageOf([&] { WriteFileAtomic(fifo, "x"); }), "Cannot create file " + fifo);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_EQ(MessageOf([&] { ReadFileBytes(fifo); }), "Cannot open file " + fifo);
    EXPECT_EQ(MessageOf([] { OpenFileRead("/dev/zero"); }), "Cannot open file /dev/zero");
}

TEST(FileIO, AtomicWriteTakesLongNamesAndFoldersThatRefuseNewFiles) {
    TempDir dir;
    const std::string longName = dir.path + "/" + std::string(250, 'x') + ".rbf";
    WriteFileAtomic(longName, "long");
    WriteFileAtomic(longName, "longer");
    EXPECT_EQ(ReadFileBytes(longName), "longer");
    EXPECT_EQ(EntriesIn(dir.path), 1u);

    // A writable file in a folder that takes no new file, saved by a user other than root
    // (root writes anywhere, so the save runs in a child that gives up root first).
    const std::string file = dir.path + "/plan.rbf";
    WriteFileAtomic(file, "old");
    ::chmod(file.c_str(), 0666);
    ::chmod(dir.path.c_str(), 0555);
    pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        try {
            WriteFileAtomic(file, "new");
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    ::chmod(dir.path.c_str(), 0700);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadFileBytes(file), "new");
    EXPECT_EQ(EntriesIn(dir.path), 2u);
}
