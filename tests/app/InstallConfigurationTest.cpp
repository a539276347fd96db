#include <gtest/gtest.h>

#include <filesystem>

#include "app/InstallConfiguration.h"
#include "framework/RecordingUserInterface.h"
#include "framework/TempDir.h"

namespace svu {
namespace {

using Kind = InstallStep::Kind;
using test::ReadFileBytes;
using test::WriteFileBytes;

TEST(InstallPlan, DisksRiseOneAtATime) {
    const auto steps = PlanInstallation(
        "; supplier's list\r\n\r\n1 stratavue.wsf\r\n1   pages.svu  \r\n2 sounds.bin\r\n;2 comment\r\n2 alarm.wav\r\n");
    const std::vector<InstallStep> expected = {
        {Kind::CopyFile, 1, "stratavue.wsf"}, {Kind::CopyFile, 1, "pages.svu"}, {Kind::InsertDisk, 2, ""},
        {Kind::CopyFile, 2, "sounds.bin"},    {Kind::CopyFile, 2, "alarm.wav"},
    };
    EXPECT_EQ(steps, expected);
}

TEST(InstallPlan, BrokenListsEndWithInvalid) {
    // A first line for disk 2 asks for disk 2 at once.
    EXPECT_EQ(PlanInstallation("2 a.wsf\n"),
              (std::vector<InstallStep>{{Kind::InsertDisk, 2, ""}, {Kind::CopyFile, 2, "a.wsf"}}));
    // Disk 3 first, a jump, a disk going back, a line without a number or a name: invalid there.
    EXPECT_EQ(PlanInstallation("3 a.wsf\n"), (std::vector<InstallStep>{{Kind::Invalid, 3, ""}}));
    EXPECT_EQ(PlanInstallation("1 a\n3 b\n"),
              (std::vector<InstallStep>{{Kind::CopyFile, 1, "a"}, {Kind::Invalid, 3, ""}}));
    EXPECT_EQ(PlanInstallation("1 a\n2 b\n1 c\n").back(), (InstallStep{Kind::Invalid, 1, ""}));
    EXPECT_EQ(PlanInstallation("a.wsf\n"), (std::vector<InstallStep>{{Kind::Invalid, 0, ""}}));
    EXPECT_EQ(PlanInstallation("1 a\n2   \n").back(), (InstallStep{Kind::Invalid, 2, ""}));
}

class Installation : public ::testing::Test {
protected:
    Installation() {
        std::filesystem::create_directories(source);
        std::filesystem::create_directories(destination);
    }

    InstallOutcome Run(bool cancel = false) {
        return InstallConfiguration(
            ui,
            [&](const std::string& title) -> std::optional<std::string> {
                chooserTitle = title;
                return cancel ? std::nullopt : std::optional<std::string>(source);
            },
            destination);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : ui.Messages()) {
            texts.push_back(m.text);
        }
        return texts;
    }

    test::TempDir dir;
    std::string source = dir.File("disk");
    std::string destination = dir.File("program");
    test::RecordingUserInterface ui;
    std::string chooserTitle;
};

TEST_F(Installation, CopiesEveryListedFileAndPromptsForLaterDisks) {
    WriteFileBytes(source + "/stratavue.inf", "1 stratavue.wsf\r\n2 missing.bin\r\n2 sub\\pages.svu\r\n");
    WriteFileBytes(source + "/stratavue.wsf", "stations");
    std::filesystem::create_directories(source + "/sub");
    WriteFileBytes(source + "/sub/pages.svu", "pages");
    std::filesystem::permissions(source + "/stratavue.wsf", std::filesystem::perms::owner_read);

    EXPECT_EQ(Run(), InstallOutcome::Installed);
    EXPECT_EQ(chooserTitle, "Please insert your first configuration disk, and select the drive it's located in.");
    EXPECT_EQ(ReadFileBytes(destination + "/stratavue.wsf"), "stations");
    EXPECT_EQ(ReadFileBytes(destination + "/sub/pages.svu"), "pages");
    // Copies from read-only media become writable.
    const auto perms = std::filesystem::status(destination + "/stratavue.wsf").permissions();
    EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(ui.Messages()[0].caption, "Installing Configuration Files");
    EXPECT_EQ(texts[1], "Please insert configuration disk 2 and click on OK");
    EXPECT_EQ(texts[2], "Unable to copy file missing.bin from the configuration disk 2.");
}

TEST_F(Installation, EndsOnCancelMissingListOrInvalidList) {
    EXPECT_EQ(Run(true), InstallOutcome::Cancelled);
    EXPECT_EQ(Texts().size(), 1u);  // just the introduction

    EXPECT_EQ(Run(), InstallOutcome::NoListFile);
    EXPECT_EQ(ui.Messages().back().caption, "No Configuration file");

    WriteFileBytes(source + "/stratavue.inf", "1 a.wsf\n3 b.wsf\n");
    WriteFileBytes(source + "/a.wsf", "a");
    EXPECT_EQ(Run(), InstallOutcome::InvalidList);
    EXPECT_EQ(ui.Messages().back().text, "Your configuration file is invalid, please contact your software supplier.");
    EXPECT_EQ(ReadFileBytes(destination + "/a.wsf"), "a");  // lines before the broken one were done
}

TEST_F(Installation, NamesCannotLeaveTheDestination) {
    destination = dir.File("program/inner");
    std::filesystem::create_directories(destination);
    WriteFileBytes(source + "/stratavue.inf", "1 ../outside.txt\n1 /etc/hostname\n");
    WriteFileBytes(dir.File("outside.txt"), "x");
    EXPECT_EQ(Run(), InstallOutcome::Installed);
    EXPECT_FALSE(std::filesystem::exists(dir.File("program/outside.txt")));
    EXPECT_FALSE(std::filesystem::exists(destination + "/etc/hostname"));
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "Unable to copy file ../outside.txt from the configuration disk 1.");
}

}  // namespace
}  // namespace svu
