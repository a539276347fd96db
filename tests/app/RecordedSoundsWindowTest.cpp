// "Recorded Sounds" as a user meets it: the list from the catalogue, the buttons' enabling, Play,
// Delete and "Remove no wav", a recording added while it is open, the frame's command and the
// historic graph's time lookup.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <tuple>

#include "app/CMainFrame.h"
#include "app/CStratavueApp.h"
#include "app/RecordedSoundsWindow.h"
#include "framework/Clock.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "platform/AudioDevice.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

using test::TempDir;
using test::WriteFileBytes;

class FakeOutput : public AudioOutput {
public:
    void Play(const std::string& path) override { played.push_back(path); }
    void StopPlaying() override { ++stops; }
    void SetErrorHandler(ErrorHandler handler) override { onError = std::move(handler); }
    std::vector<std::string> played;
    int stops = 0;
    ErrorHandler onError;
};

struct SoundsFolder {
    TempDir dir;
    std::string catalogue = dir.File("sounds.bin");

    CatalogueEntry Add(int hour, const std::string& name, bool withFile = true) {
        CatalogueEntry entry{SystemTime::FromTime(FromLocal(2026, 3, 9, hour, 15, 0)), dir.File(name)};
        if (withFile) {
            WriteFileBytes(entry.path, "RIFF");
        }
        EXPECT_TRUE(AppendCatalogueEntry(catalogue, entry));
        return entry;
    }
};

TEST(RecordedSoundsWindow, ListsPlaysDeletesAndTidiesTheCatalogue) {
    SoundsFolder folder;
    folder.Add(8, "a.wav");
    folder.Add(12, "b.wav");
    folder.Add(16, "c.wav", false);  // its file has gone
    FakeOutput output;
    test::RecordingUserInterface ui;
    RecordedSoundsWindow window(nullptr, folder.catalogue, &output, ui);

    QTreeWidget* list = window.List();
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->headerItem()->text(0), "Date");
    EXPECT_EQ(list->headerItem()->text(1), "Time");
    EXPECT_EQ(list->headerItem()->text(2), "File");
    EXPECT_EQ(list->topLevelItem(1)->text(2).toStdString(), folder.dir.File("b.wav"));
    EXPECT_EQ(list->topLevelItem(1)->text(1).toStdString(), FormatUserTime(FromLocal(2026, 3, 9, 12, 15, 0)));
    EXPECT_FALSE(window.PlayButton()->isEnabled());
    EXPECT_FALSE(window.DeleteButton()->isEnabled());

    // The historic graph's lookup selects the nearest recording; Play hands its file over.
    window.SelectNearest(FromLocal(2026, 3, 9, 11, 0, 0));
    EXPECT_TRUE(window.PlayButton()->isEnabled());
    window.PlayButton()->click();
    EXPECT_EQ(output.played, std::vector<std::string>{folder.dir.File("b.wav")});

    window.DeleteButton()->click();
    EXPECT_FALSE(std::filesystem::exists(folder.dir.File("b.wav")));
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(ReadSoundCatalogue(folder.catalogue).entries.size(), 2u);
    EXPECT_FALSE(window.PlayButton()->isEnabled());  // nothing selected after a change

    window.findChild<QPushButton*>(QStringLiteral("removeNoWav"))->click();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(ReadSoundCatalogue(folder.catalogue).entries.at(0).path, folder.dir.File("a.wav"));

    // A recording that ends while the window is open joins the list.
    window.AddEntry({SystemTime::FromTime(FromLocal(2026, 3, 10, 9, 0, 0)), folder.dir.File("d.wav")});
    EXPECT_EQ(list->topLevelItemCount(), 2);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST(RecordedSoundsWindow, ADamagedCatalogueIsReportedAndListedUpToTheDamage) {
    SoundsFolder folder;
    folder.Add(8, "a.wav");
    std::string bytes = test::ReadFileBytes(folder.catalogue);
    bytes += bytes.substr(0, 16) + std::string("\x88\x13\0\0", 4) + "xx";  // a path of 5000 bytes
    WriteFileBytes(folder.catalogue, bytes);
    test::RecordingUserInterface ui;
    RecordedSoundsWindow window(nullptr, folder.catalogue, nullptr, ui);
    EXPECT_EQ(window.List()->topLevelItemCount(), 1);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find("damaged"), std::string::npos) << ui.Messages()[0].text;
}

TEST(RecordedSoundsWindow, TheFrameOpensOneWindowFromItsMenu) {
    TempDir dir;
    Settings settings(dir.Path().string());
    StationList stations;
    stations.push_back(std::make_unique<WSFile>("Hill"));
    SaveStationFile(settings.StationFilePath(), stations);
    for (const auto& [hour, minute, second] : {std::tuple{8, 0, 0}, {13, 42, 10}, {17, 5, 33}}) {
        char name[64];
        std::snprintf(name, sizeof name, "recordings/Stratavue(2026-03-09) [%02d;%02d;%02d].wav", hour, minute, second);
        AppendCatalogueEntry(settings.FilePath("sounds.bin"),
                             {SystemTime::FromTime(FromLocal(2026, 3, 9, hour, minute, second)), dir.File(name)});
    }
    RecentFileList recent;
    CMainFrame frame(settings, recent, SystemClock());
    QAction* action = frame.Action(cmd::kRecordedSounds);
    ASSERT_NE(action, nullptr);
    EXPECT_FALSE(action->statusTip().isEmpty());
    action->trigger();
    RecordedSoundsWindow* first = frame.findChild<RecordedSoundsWindow*>();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->List()->topLevelItemCount(), 3);
    EXPECT_EQ(frame.OpenRecordedSounds(FromLocal(2026, 3, 9, 9, 0, 0)), first);
    EXPECT_EQ(frame.findChildren<RecordedSoundsWindow*>().size(), 1);
    EXPECT_EQ(first->List()->currentItem(), first->List()->topLevelItem(0));

    // The documentation's picture, when asked for (SVU_SCREENSHOT_DIR).
    if (const char* shots = std::getenv("SVU_SCREENSHOT_DIR")) {
        const std::string picture = std::string(shots) + "/recorded-sounds.png";
        first->resize(780, 260);
        EXPECT_TRUE(first->grab().save(QString::fromStdString(picture)));
    }
}

}  // namespace
}  // namespace svu
