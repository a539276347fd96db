#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include "app/PasswordDialog.h"
#include "app/StationsDialog.h"
#include "framework/ClassRegistry.h"
#include "framework/RecordingUserInterface.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "runtime/ClassTables.h"
#include "runtime/StationKinds.h"
#include "stations/Alarm.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

constexpr int kFileKind = 12;

class StationsDialogTest : public ::testing::Test {
protected:
    StationsDialogTest() {
        RegisterAllClasses(classes);
        for (const char* name : {"WS1", "Hilltop", "WS3"}) {
            stations.push_back(CreateStation(kFileKind, name));
        }
        stations[1]->alarms.push_back(std::make_unique<Alarm>());
        hooks.chooseType = [this](QWidget*) { return chosenType; };
        hooks.editProperties = [this](QWidget*, WeatherStation& s, bool withDerived) {
            edited.push_back(s.name + (withDerived ? "+derived" : ""));
            return sheetResult;
        };
        hooks.beforeDelete = [this](WeatherStation& s) { deleted.push_back(s.name); };
    }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& s : stations) {
            names.push_back(s->name);
        }
        return names;
    }
    static std::vector<std::string> Rows(const StationsDialog& d) {
        std::vector<std::string> rows;
        for (int i = 0; i < d.List()->count(); ++i) {
            rows.push_back(d.List()->item(i)->text().toStdString());
        }
        return rows;
    }

    ClassRegistry classes;
    StationList stations;
    test::RecordingUserInterface ui;
    StationsDialog::Hooks hooks;
    int chosenType = kFileKind;
    int sheetResult = 1;
    int selection = -1;
    std::vector<std::string> edited;
    std::vector<std::string> deleted;
};

TEST_F(StationsDialogTest, AddTakesTheFirstFreeNameAndGoesToTheHead) {
    StationsDialog dialog(nullptr, stations, classes, ui, selection, hooks);
    sheetResult = 2;
    dialog.AddButton()->click();  // the sheet is cancelled: nothing added
    EXPECT_EQ(stations.size(), 3u);
    sheetResult = 1;
    dialog.AddButton()->click();
    EXPECT_EQ(edited, (std::vector<std::string>{"WS2", "WS2"}));  // never with the derived page
    EXPECT_EQ(Names(), (std::vector<std::string>{"WS2", "WS1", "Hilltop", "WS3"}));
    EXPECT_EQ(Rows(dialog), Names());  // the rows name the stations they stand for
    EXPECT_EQ(dialog.List()->currentRow(), 0);
    EXPECT_EQ(stations[0]->typeCode, kFileKind);

    chosenType = 9;  // the logger behind the radio: every kind can be added
    dialog.AddButton()->click();
    ASSERT_EQ(stations.size(), 5u);
    EXPECT_EQ(stations[0]->typeCode, 9);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(StationsDialogTest, CopyAppendsACopyOfTheSelectedStation) {
    StationsDialog dialog(nullptr, stations, classes, ui, selection, hooks);
    // Nothing selected: only Add and Import are available.
    EXPECT_FALSE(dialog.CopyButton()->isEnabled());
    EXPECT_FALSE(dialog.DeleteButton()->isEnabled());
    EXPECT_FALSE(dialog.PropertiesButton()->isEnabled());
    EXPECT_FALSE(dialog.ExportButton()->isEnabled());
    EXPECT_TRUE(dialog.ImportButton()->isEnabled());
    dialog.List()->setCurrentRow(1);
    EXPECT_TRUE(dialog.CopyButton()->isEnabled());
    dialog.CopyButton()->click();
    EXPECT_EQ(Names(), (std::vector<std::string>{"WS1", "Hilltop", "WS3", "Copy of Hilltop"}));
    EXPECT_EQ(stations[3]->alarms.size(), 1u);
    EXPECT_EQ(dialog.List()->currentRow(), 3);
    dialog.PropertiesButton()->click();
    EXPECT_EQ(edited, (std::vector<std::string>{"Copy of Hilltop+derived"}));
}

TEST_F(StationsDialogTest, DeleteAsksAndSelectionIsRemembered) {
    selection = 2;
    {
        StationsDialog dialog(nullptr, stations, classes, ui, selection, hooks);
        EXPECT_EQ(dialog.List()->currentRow(), 2);
        ui.Answer(MsgResult::No);
        dialog.DeleteButton()->click();
        EXPECT_EQ(stations.size(), 3u);
        EXPECT_EQ(ui.Messages().back().text, "Are you sure you want to delete this weather station definition?");
        EXPECT_EQ(ui.Messages().back().defaultButton, 2);  // No
        dialog.List()->setCurrentRow(1);
        ui.Answer(MsgResult::Yes);
        dialog.DeleteButton()->click();
        EXPECT_EQ(Names(), (std::vector<std::string>{"WS1", "WS3"}));
        EXPECT_EQ(deleted, (std::vector<std::string>{"Hilltop"}));
        dialog.accept();
    }
    EXPECT_EQ(selection, 1);
}

TEST_F(StationsDialogTest, ExportThenImportAppends) {
    test::TempDir dir;
    const QString path = QString::fromStdString(dir.File("one.wsf"));
    hooks.exportPath = [&](QWidget*) { return path; };
    hooks.importPath = [&](QWidget*) { return path; };
    StationsDialog dialog(nullptr, stations, classes, ui, selection, hooks);
    dialog.List()->setCurrentRow(1);
    dialog.ExportButton()->click();
    dialog.ImportButton()->click();
    EXPECT_EQ(Names(), (std::vector<std::string>{"WS1", "Hilltop", "WS3", "Hilltop"}));
    EXPECT_EQ(Rows(dialog), Names());
    EXPECT_TRUE(ui.Messages().empty());
}

// ---- Password protection ----

class Protection : public ::testing::Test {
protected:
    // Answers the prompts in order; nullopt stands for Cancel.
    PasswordPrompt Script(std::vector<std::optional<std::string>> answers) {
        return [this, answers = std::move(answers), next = size_t{0}](const std::string& prompt) mutable {
            prompts.push_back(prompt);
            return next < answers.size() ? answers[next++] : std::nullopt;
        };
    }

    test::TempDir dir;
    Settings settings{dir.Path().string()};
    test::RecordingUserInterface ui;
    std::vector<std::string> prompts;
};

TEST_F(Protection, SwitchOnNeedsTwoEqualEntries) {
    StationProtection p(settings, ui);
    EXPECT_TRUE(p.CheckAccess(Script({})));  // open to everyone: no prompt
    EXPECT_TRUE(prompts.empty());

    p.Toggle(Script({"secret", "Secret"}));
    EXPECT_FALSE(p.Protected());
    EXPECT_EQ(ui.Messages().back().text, "The two passwords are not the same, please try again.");
    p.Toggle(Script({"secret", std::nullopt}));
    EXPECT_FALSE(p.Protected());
    p.Toggle(Script({"secret", "secret"}));
    EXPECT_TRUE(p.Protected());
    EXPECT_EQ(settings.GetSettingString("Settings", "Password", ""), "secret");
    EXPECT_EQ(prompts, (std::vector<std::string>{"Enter the new password:", "Please re-enter the password:",
                                                 "Enter the new password:", "Please re-enter the password:",
                                                 "Enter the new password:", "Please re-enter the password:"}));
}

TEST_F(Protection, AccessAndSwitchOffNeedThePassword) {
    settings.WriteSettingString("Settings", "Password", "Secret");
    StationProtection p(settings, ui);
    ASSERT_TRUE(p.Protected());
    EXPECT_FALSE(p.CheckAccess(Script({std::nullopt})));
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_FALSE(p.CheckAccess(Script({"secret"})));  // case counts
    EXPECT_EQ(ui.Messages().back().text, "Invalid password");
    EXPECT_TRUE(p.CheckAccess(Script({"Secret"})));
    EXPECT_EQ(prompts.back(), "Enter the password:");

    p.Toggle(Script({"wrong"}));
    EXPECT_TRUE(p.Protected());
    EXPECT_EQ(prompts.back(), "Enter password to disable protection:");
    p.Toggle(Script({"Secret"}));
    EXPECT_FALSE(p.Protected());
    EXPECT_EQ(settings.GetSettingString("Settings", "Password", "x"), "");
}

TEST_F(Protection, DialogPromptIsMaskedAndTyped) {
    settings.WriteSettingString("Settings", "Password", "pw");
    StationProtection p(settings, ui);
    QString prompt;
    bool masked = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        prompt = dialog->findChild<QLabel*>()->text();
        masked = dialog->Edit()->echoMode() == QLineEdit::Password;
        dialog->Edit()->setText("pw");
        dialog->accept();
    });
    EXPECT_TRUE(p.CheckAccess(DialogPasswordPrompt(nullptr)));
    EXPECT_EQ(prompt, "Enter the password:");
    EXPECT_TRUE(masked);
}

}  // namespace
}  // namespace svu
