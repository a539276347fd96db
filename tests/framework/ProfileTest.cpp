#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "framework/AtomicFile.h"
#include "framework/Profile.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"

namespace svu {
namespace {

using test::ReadFileBytes;
using test::TempDir;
using test::WriteFileBytes;

class ProfileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.File("stratavue.ini");
    Profile profile{path};
};

TEST_F(ProfileTest, MissingFileSectionOrKeyReadsAsDefault) {
    EXPECT_EQ(profile.GetString("Settings", "LockLayout", "No"), "No");
    EXPECT_EQ(profile.GetInt("NoDataWarning", "Minutes", 30), 30);
    EXPECT_FALSE(std::filesystem::exists(path)) << "reading must not create the file";

    WriteFileBytes(path, "[Settings]\r\nOther=1\r\n");
    EXPECT_EQ(profile.GetString("Settings", "LockLayout", "No"), "No");
    EXPECT_EQ(profile.GetInt("WebOutput", "Interval", 60), 60);
    EXPECT_EQ(profile.GetInt("Settings", "Other", 5), 1);
}

TEST_F(ProfileTest, IntegersAreDecimalTextReadWithAtoiRules) {
    WriteFileBytes(path, "[S]\nWord=abc\nTrailing= 42xyz\nNegative=-7\nEmpty=\n");
    EXPECT_EQ(profile.GetInt("S", "Word", 9), 0);
    EXPECT_EQ(profile.GetInt("S", "Trailing", 9), 42);
    EXPECT_EQ(profile.GetInt("S", "Negative", 9), -7);
    EXPECT_EQ(profile.GetInt("S", "Empty", 9), 0);

    ASSERT_TRUE(profile.WriteInt("S", "Written", -12));
    EXPECT_EQ(profile.GetString("S", "Written", ""), "-12");
}

TEST_F(ProfileTest, LongValuesAreCutAt259CharactersWithoutSplittingOne) {
    ASSERT_TRUE(profile.WriteString("S", "Long", std::string(300, 'x')));
    EXPECT_EQ(profile.GetString("S", "Long", ""), std::string(259, 'x'));
    EXPECT_EQ(profile.GetString("S", "Missing", std::string(300, 'd')), std::string(259, 'd'));

    // "é" is two bytes but one character.
    ASSERT_TRUE(profile.WriteString("S", "Accent", std::string(258, 'a') + "\xC3\xA9" + "bc"));
    EXPECT_EQ(profile.GetString("S", "Accent", ""), std::string(258, 'a') + "\xC3\xA9");
    ASSERT_TRUE(profile.WriteString("S", "Accent", std::string(259, 'a') + "\xC3\xA9"));
    EXPECT_EQ(profile.GetString("S", "Accent", ""), std::string(259, 'a'));
}

TEST_F(ProfileTest, SectionsAndKeysMatchWithoutCaseAndValuesAreTrimmed) {
    WriteFileBytes(path, "[ settings ]\r\n  lockLAYOUT =  Yes  \r\nQuoted=\" padded \"\r\n");
    EXPECT_EQ(profile.GetString("Settings", "LockLayout", "No"), "Yes");
    EXPECT_EQ(profile.GetString("SETTINGS", "quoted", ""), " padded ");

    ASSERT_TRUE(profile.WriteString("SETTINGS", "LOCKLAYOUT", "No"));
    EXPECT_EQ(ReadFileBytes(path), "[ settings ]\r\nlockLAYOUT=No\r\nQuoted=\" padded \"\r\n");
}

TEST_F(ProfileTest, RewriteKeepsCommentsOrderAndUnknownLinesAndWritesCrLf) {
    WriteFileBytes(path,
                   "; written by hand\n"
                   "[Settings]\n"
                   "EnableDefault=0\n"
                   "; a comment inside\n"
                   "some junk line\n"
                   "\n"
                   "[WebOutput]\n"
                   "Interval=60\n");
    ASSERT_TRUE(profile.WriteInt("Settings", "EnableDefault", 1));
    ASSERT_TRUE(profile.WriteString("Settings", "DefaultFilename", "/home/a/b.svu"));
    ASSERT_TRUE(profile.WriteInt("NoDataWarning", "Minutes", 15));
    EXPECT_EQ(ReadFileBytes(path),
              "; written by hand\r\n"
              "[Settings]\r\n"
              "EnableDefault=1\r\n"
              "; a comment inside\r\n"
              "some junk line\r\n"
              "DefaultFilename=/home/a/b.svu\r\n"
              "\r\n"
              "[WebOutput]\r\n"
              "Interval=60\r\n"
              "[NoDataWarning]\r\n"
              "Minutes=15\r\n");
}

TEST_F(ProfileTest, DeletesSectionsAndKeys) {
    WriteFileBytes(path, "[MRU]\r\nFile1=a\r\nFile2=b\r\n[Settings]\r\nPassword=x\r\nKeep=1\r\n[mru]\r\nFile3=c\r\n");
    ASSERT_TRUE(profile.DeleteSection("MRU"));
    ASSERT_TRUE(profile.DeleteKey("Settings", "password"));
    EXPECT_EQ(ReadFileBytes(path), "[Settings]\r\nKeep=1\r\n");
    EXPECT_EQ(profile.GetString("MRU", "File3", "none"), "none");

    // Deleting what is not there succeeds and leaves the file (or its absence) alone.
    EXPECT_TRUE(profile.DeleteSection("MRU"));
    EXPECT_TRUE(profile.DeleteKey("Settings", "Password"));
    EXPECT_EQ(ReadFileBytes(path), "[Settings]\r\nKeep=1\r\n");
    Profile absent(dir.File("absent.ini"));
    EXPECT_TRUE(absent.DeleteSection("MRU"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("absent.ini")));
}

TEST_F(ProfileTest, RefusesTextThatWouldInjectLines) {
    ASSERT_TRUE(profile.WriteString("Settings", "Password", "secret"));
    EXPECT_FALSE(profile.WriteString("Settings", "Password", "x\r\n[Evil]\r\nKey=1"));
    EXPECT_FALSE(profile.WriteString("Settings", "Pass=word", "x"));
    EXPECT_FALSE(profile.WriteString("Set]tings", "Password", "x"));
    EXPECT_FALSE(profile.LastError().empty());
    EXPECT_EQ(ReadFileBytes(path), "[Settings]\r\nPassword=secret\r\n");
}

TEST_F(ProfileTest, CrashBetweenTemporaryFileAndRenameLeavesOldFileIntact) {
    ASSERT_TRUE(profile.WriteString("Settings", "Password", "old"));
    const std::string before = ReadFileBytes(path);

    static std::string leftover;
    SetAtomicWriteHookForTesting([](const std::string& temporary) {
        leftover = temporary;
        return false;
    });
    EXPECT_FALSE(profile.WriteString("Settings", "Password", "new"));
    SetAtomicWriteHookForTesting(nullptr);

    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(profile.GetString("Settings", "Password", ""), "old");
    // The half-finished rewrite is complete in its own file, beside the target, and is ignored.
    ASSERT_TRUE(std::filesystem::exists(leftover));
    EXPECT_EQ(std::filesystem::path(leftover).parent_path(), dir.Path());
    EXPECT_EQ(ReadFileBytes(leftover), "[Settings]\r\nPassword=new\r\n");

    ASSERT_TRUE(profile.WriteString("Settings", "Password", "new"));
    EXPECT_EQ(profile.GetString("Settings", "Password", ""), "new");
}

TEST_F(ProfileTest, ConcurrentWritersLoseNoKey) {
    SetAtomicWriteSyncForTesting(false);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([this, t] {
            Profile own(path);  // a separate object on the same file shares the process lock
            for (int i = 0; i < 20; ++i) {
                own.WriteInt("T" + std::to_string(t), "K" + std::to_string(i), i);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    SetAtomicWriteSyncForTesting(true);
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(profile.Keys("T" + std::to_string(t)).size(), 20u);
    }
    EXPECT_EQ(profile.GetInt("T3", "K19", -1), 19);
}

TEST(AtomicFile, ReplacesThroughSymlinkKeepsModeAndReportsFailure) {
    TempDir dir;
    const std::string real = dir.File("real.nws");
    const std::string link = dir.File("link.nws");
    WriteFileBytes(real, "old");
    ::chmod(real.c_str(), 0640);
    std::filesystem::create_symlink(real, link);

    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    std::string error;
    EXPECT_FALSE(WriteFileAtomically(dir.File("no-such-folder/x.nws"), "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2) << "no temporary file left";
}

TEST(AtomicFile, AStreamOrDeviceIsWrittenToNotReplaced) {
    TempDir dir;
    // Standard output given as a path: a link to the process's own pipe, as "/dev/stdout" is.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const std::string link = dir.File("stdout");
    std::filesystem::create_symlink("/proc/self/fd/" + std::to_string(fds[1]), link);
    ASSERT_TRUE(WriteFileAtomically(link, "{\"stations\": []}\n"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    ::close(fds[1]);
    std::string got;
    char buffer[64];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
        got.append(buffer, static_cast<size_t>(n));
    }
    ::close(fds[0]);
    EXPECT_EQ(got, "{\"stations\": []}\n");

    // A named pipe is written through to its reader; without a reader the write is refused at once.
    const std::string fifo = dir.File("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string unread;
    EXPECT_FALSE(WriteFileAtomically(fifo, "lost", &unread));
    EXPECT_NE(unread.find("nothing reads it"), std::string::npos) << unread;
    const int readEnd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);  // a reader, so the write cannot wait
    ASSERT_GE(readEnd, 0);
    EXPECT_TRUE(WriteFileAtomically(fifo, "through"));
    const ssize_t n = ::read(readEnd, buffer, sizeof buffer);
    ::close(readEnd);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(std::max<ssize_t>(n, 0))), "through");
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));

    // A folder is refused, and left alone.
    std::string error;
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_FALSE(WriteFileAtomically(dir.File("folder"), "x", &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3) << "no temporary file left";
}

TEST(Settings, ProgramDirectoryAndItsFiles) {
    EXPECT_EQ(ResolveProgramDir("/opt/svu"), "/opt/svu/");
    EXPECT_EQ(ResolveProgramDir("/opt/svu/"), "/opt/svu/");
    EXPECT_EQ(ResolveProgramDir(""), std::filesystem::current_path().string() + "/");

    TempDir dir;
    Settings settings(dir.Path().string());
    EXPECT_EQ(settings.SettingsPath(), settings.ProgramDir() + "stratavue.ini");
    EXPECT_EQ(settings.StationFilePath(), settings.ProgramDir() + "stratavue.wsf");
    EXPECT_EQ(settings.GetSettingInt(kSectionNoDataWarning, kKeyNoDataMinutes, kNoDataMinutesDefault), 30);
    EXPECT_EQ(settings.GetSettingString(kSectionSettings, kKeyLockLayout, kLockLayoutDefault), "No");

    ASSERT_TRUE(settings.WriteSettingInt(kSectionWebOutput, kKeyWebInterval, 120));
    ASSERT_TRUE(settings.WriteSettingString(kSectionMru, "File1", "/a.svu"));
    ASSERT_TRUE(settings.DeleteSettingSection(kSectionMru));
    EXPECT_EQ(ReadFileBytes(settings.SettingsPath()), "[WebOutput]\r\nInterval=120\r\n");
}

}  // namespace
}  // namespace svu
