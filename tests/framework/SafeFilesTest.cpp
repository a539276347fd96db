#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "framework/FolderLock.h"
#include "framework/RegularFile.h"
#include "framework/SafeName.h"
#include "framework/TempDir.h"

namespace svu {
namespace {

using test::TempDir;
using test::WriteFileBytes;

// None of these may block (a FIFO without a writer) or read without end (/dev/zero).
TEST(RegularFile, OnlyRegularFilesOfBoundedSizeAreRead) {
    TempDir dir;
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string bytes;
    std::string error;
    EXPECT_EQ(ReadRegularFile(fifo, 100, bytes, &error), ReadFileStatus::NotRegular);
    EXPECT_NE(error.find("not a regular file"), std::string::npos);
    EXPECT_EQ(ReadRegularFile(dir.Path().string(), 100, bytes, &error), ReadFileStatus::NotRegular);
    EXPECT_NE(error.find("is a folder"), std::string::npos);
    EXPECT_EQ(ReadRegularFile("/dev/zero", 100, bytes), ReadFileStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile(dir.File("missing"), 100, bytes), ReadFileStatus::Missing);
    EXPECT_EQ(OpenRegularFile(fifo), -1);
    EXPECT_TRUE(IsSpecialFile(fifo));
    EXPECT_FALSE(IsSpecialFile(dir.File("missing")));

    WriteFileBytes(dir.File("ten"), "0123456789");
    EXPECT_EQ(ReadRegularFile(dir.File("ten"), 9, bytes), ReadFileStatus::TooLarge);
    std::vector<uint8_t> raw;
    EXPECT_EQ(ReadRegularFile(dir.File("ten"), 10, raw), ReadFileStatus::Ok);
    EXPECT_EQ(raw.size(), 10u);
}

TEST(RegularFile, AppendsRefuseALinkOrASpecialFile) {
    TempDir dir;
    const std::string victim = dir.File("victim");
    WriteFileBytes(victim, "keep");
    std::filesystem::create_symlink(victim, dir.File("link"));
    EXPECT_EQ(OpenForAppend(dir.File("link")), -1);
    EXPECT_EQ(errno, ELOOP);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(OpenForAppend(dir.File("fifo")), -1);
    EXPECT_EQ(test::ReadFileBytes(victim), "keep");
    const int fd = OpenForAppend(dir.File("new"));
    ASSERT_GE(fd, 0);
    ::close(fd);
}

TEST(SafeName, NamesThatWouldLeaveTheFolderOrBreakALineAreRefused) {
    EXPECT_EQ(FileNamePartProblem("Hill Top 2"), "");
    EXPECT_EQ(FileNamePartProblem("../../x"), "contains a '/'");
    EXPECT_EQ(FileNamePartProblem(".."), "contains \"..\"");
    EXPECT_EQ(FileNamePartProblem("a\\b"), "contains a '\\'");
    EXPECT_EQ(FileNamePartProblem("Hill\r\nFake"), "contains a control character");
    EXPECT_EQ(EscapeControls("A\x1b[2J\r\n\x01"), "A\\e[2J\\r\\n\\x01");
    EXPECT_EQ(EscapeControls("plain"), "plain");

    EXPECT_EQ(PathInFolder("/b", "sun.bmp"), "/b/sun.bmp");
    EXPECT_EQ(PathInFolder("/b/", "sky/sun.bmp"), "/b/sky/sun.bmp");
    EXPECT_EQ(PathInFolder("/b", "/abs/sun.bmp"), "/abs/sun.bmp");
    EXPECT_EQ(PathInFolder("/b", "../../../../etc/passwd"), "");
    EXPECT_EQ(PathInFolder("/b", "sky/.."), "");
    EXPECT_EQ(PathInFolder("/b", "sun\n.bmp"), "");
    EXPECT_EQ(PathInFolder("/b", "..sun.bmp"), "/b/..sun.bmp");
}

TEST(FolderLock, ASecondHolderIsToldWhoHoldsIt) {
    TempDir dir;
    FolderLock first;
    FolderLock second;
    pid_t holder = -1;
    std::string error;
    ASSERT_TRUE(first.Acquire(dir.Path().string(), holder, error)) << error;
    EXPECT_FALSE(second.Acquire(dir.Path().string(), holder, error));
    EXPECT_EQ(holder, ::getpid());
    first.Release();
    EXPECT_TRUE(second.Acquire(dir.Path().string(), holder, error)) << error;
}

}  // namespace
}  // namespace svu
