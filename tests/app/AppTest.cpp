#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <memory>

#include "app/AboutBox.h"
#include "app/CHyperLink.h"
#include "app/CStratavueApp.h"
#include "app/StartupOptionDialog.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"

namespace svu {
namespace {



TEST(RecentFiles, ReadWriteAndOrder) {
    test::TempDir dir;
    Settings settings(dir.Path().string());
    settings.WriteSettingString("MRU", "File1", "/data/a.svu");
    settings.WriteSettingString("MRU", "File3", "/data/c.svu");
    settings.WriteSettingString("MRU", "File4", "/data/a.svu");
    settings.WriteSettingString("MRU", "File9", "/data/ignored.svu");

    RecentFileList list;
    list.Read(settings);
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"/data/a.svu", "/data/c.svu"}));

    list.Add("/data/c.svu");  // moves to the front
    for (int i = 0; i < 6; ++i) {
        list.Add("/data/n" + std::to_string(i) + ".svu");
    }
    ASSERT_EQ(list.Entries().size(), 8u);
    EXPECT_EQ(list.Entries()[6], "/data/c.svu");
    EXPECT_EQ(list.Entries()[7], "/data/a.svu");
    list.Add("/data/n6.svu");  // the oldest drops off
    ASSERT_EQ(list.Entries().size(), 8u);
    EXPECT_EQ(list.Entries().back(), "/data/c.svu");

    list.Remove(0);
    list.Write(settings);
    // The section is rewritten whole: stale keys go, entries are numbered from 1.
    EXPECT_EQ(settings.GetSettingString("MRU", "File9", "gone"), "gone");
    EXPECT_EQ(settings.GetSettingString("MRU", "File1", ""), "/data/n5.svu");
    EXPECT_EQ(settings.GetSettingString("MRU", "File7", ""), "/data/c.svu");
    EXPECT_EQ(settings.GetSettingString("MRU", "File8", "none"), "none");
    RecentFileList again;
    again.Read(settings);
    EXPECT_EQ(again.Entries(), list.Entries());
}

TEST(RecentFiles, DisplayNameKeepsTheFileName) {
    EXPECT_EQ(RecentFileList::DisplayName("/short/a.svu"), "/short/a.svu");
    EXPECT_EQ(RecentFileList::DisplayName("/home/observer/displays/winter/hilltop.svu"), "/.../winter/hilltop.svu");
    EXPECT_EQ(RecentFileList::DisplayName("/home/observer/a-very-long-display-file-name.svu"),
              "a-very-long-display-file-name.svu");
}

TEST(CommandLineTest, ProgramFolderAndFile) {
    const CommandLine a = ParseCommandLine({"--program-dir", "/opt/site", "pages.svu"});
    EXPECT_EQ(a.programDir, "/opt/site");
    EXPECT_EQ(a.fileName, "pages.svu");
    EXPECT_FALSE(a.noSplash);
    const CommandLine b = ParseCommandLine({"--program-dir=/x", "--nosplash", "--unknown"});
    EXPECT_EQ(b.programDir, "/x");
    EXPECT_TRUE(b.noSplash);
    EXPECT_EQ(b.fileName, "");
    // A station file opened from a file manager names the program folder, not a display to open.
    const CommandLine c = ParseCommandLine({"/srv/site/stratavue.WSF"});
    EXPECT_EQ(c.programDir, "/srv/site");
    EXPECT_EQ(c.fileName, "");
}

TEST(AboutBoxTest, VersionSplitsAtTheLastHyphen) {
    const AboutTexts a = MakeAboutTexts("(c)", "Stratavue", "SV-100-3B", "beta");
    EXPECT_EQ(a.partNumber, "Part number: SV-100");
    EXPECT_EQ(a.issue, "Issue: 3B [beta]");
    const AboutTexts b = MakeAboutTexts("(c)", "Stratavue", "0.1.0", "");
    EXPECT_EQ(b.partNumber, "Part number: 0.1.0");
    EXPECT_EQ(b.issue, "Issue: ");
}

TEST(HyperLinkTest, ColoursFollowVisitAndFocus) {
    AboutBox box(nullptr);
    CHyperLink& link = *box.WebLink();
    EXPECT_EQ(link.text(), QString::fromUtf8(AboutBox::kWebAddress));
    EXPECT_EQ(link.TextColour(), QColor(CHyperLink::kUnvisitedColour));
    QUrl opened;
    bool succeed = false;
    link.SetOpener([&](const QUrl& url) {
        opened = url;
        return succeed;
    });
    EXPECT_FALSE(link.Open());  // a failed open leaves it unvisited
    EXPECT_FALSE(link.Visited());
    succeed = true;
    EXPECT_TRUE(link.Open());
    EXPECT_EQ(opened, QUrl(QString::fromUtf8(AboutBox::kWebAddress)));
    EXPECT_EQ(link.TextColour(), QColor(CHyperLink::kVisitedColour));
}

TEST(StartupOption, WritesBothSettingsOnOk) {
    test::TempDir dir;
    Settings settings(dir.Path().string());
    {
        StartupOptionDialog dialog(nullptr, settings);
        EXPECT_FALSE(dialog.EnableBox()->isChecked());
        dialog.EnableBox()->setChecked(true);
        dialog.SetPath("/data/pages.svu");
        dialog.reject();  // cancel writes nothing
    }
    EXPECT_EQ(settings.GetSettingInt("Settings", "EnableDefault", -1), -1);
    StartupOptionDialog dialog(nullptr, settings);
    dialog.EnableBox()->setChecked(true);
    dialog.SetPath("/data/pages.svu");
    dialog.accept();
    EXPECT_EQ(settings.GetSettingInt("Settings", "EnableDefault", 0), 1);
    EXPECT_EQ(settings.GetSettingString("Settings", "DefaultFilename", ""), "/data/pages.svu");
}

}  // namespace
}  // namespace svu
