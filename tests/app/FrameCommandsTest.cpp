// The main window's commands as a user meets them: prompts and icons, help, printing, the report
// folder, and where the alerts window opens.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextBlock>
#include <QTextBrowser>
#include <QThread>
#include <QToolBar>
#include <filesystem>

#include "app/AlertsWindow.h"
#include "app/AppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/CStratavueApp.h"
#include "app/CStratavueDoc.h"
#include "app/CStratavueView.h"
#include "app/HelpWindow.h"
#include "framework/Clock.h"
#include "framework/Settings.h"
#include "framework/TempDir.h"
#include "gadgets/TextGadget.h"
#include "runtime/Runtime.h"
#include "stations/StationReports.h"
#include "stations/WSFile.h"

namespace svu {
namespace {

using test::ServeUntil;
using test::WriteFileBytes;

class FrameCommands : public ::testing::Test {
protected:
    FrameCommands() {
        StationList list;
        list.push_back(std::make_unique<WSFile>("Hill"));
        SaveStationFile(settings.StationFilePath(), list);
        frame = test::MakeFrame(settings, recent);
    }

    test::TempDir dir;
    Settings settings{dir.Path().string()};
    RecentFileList recent;
    std::unique_ptr<CMainFrame> frame;
};

void CollectMenuActions(const QMenu* menu, std::vector<QAction*>& out) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            continue;
        }
        out.push_back(action);
        if (action->menu() != nullptr) {
            CollectMenuActions(action->menu(), out);
        }
    }
}

TEST_F(FrameCommands, EveryToolbarButtonHasAnIconAndEveryCommandAPromptAndATip) {
    ASSERT_TRUE(frame->GetDocument().Save(dir.File("one.svu"), nullptr));
    ASSERT_TRUE(frame->OpenDocumentFile(QString::fromStdString(dir.File("one.svu"))));  // a recent file
    const auto* bar = frame->findChild<QToolBar*>(QStringLiteral("toolbar"));
    ASSERT_NE(bar, nullptr);
    int buttons = 0;
    for (const QAction* action : bar->actions()) {
        if (!action->isSeparator()) {
            ++buttons;
            EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
            EXPECT_FALSE(action->icon().pixmap(24, 24).isNull()) << action->text().toStdString();
        }
    }
    EXPECT_GE(buttons, 9);
    std::vector<QAction*> actions;
    for (QAction* top : frame->menuBar()->actions()) {
        CollectMenuActions(top->menu(), actions);
    }
    EXPECT_GT(actions.size(), 40u);
    for (const QAction* action : actions) {
        EXPECT_FALSE(action->statusTip().isEmpty()) << action->text().toStdString();
        EXPECT_FALSE(action->toolTip().isEmpty()) << action->text().toStdString();
        EXPECT_FALSE(action->toolTip().contains(QLatin1Char('&'))) << action->text().toStdString();
    }
    EXPECT_EQ(frame->Action(cmd::kFileSaveAs)->toolTip(), "Save As");
}

TEST_F(FrameCommands, HelpTopicsOpensTheUserGuideAndFindsAWord) {
    QAction* help = frame->Action(cmd::kHelp);
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->shortcuts().contains(QKeySequence(Qt::Key_F1)));
    help->trigger();
    HelpWindow* window = frame->Help();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->CurrentDocument(), "user-guide.md");
    EXPECT_TRUE(window->Documents().contains("command-line.md"));
    EXPECT_TRUE(window->Browser()->toPlainText().contains("Stratavue user guide"));
    window->SearchEdit()->setText("ALARMS.TXT");
    emit window->SearchEdit()->returnPressed();
    EXPECT_EQ(window->Browser()->textCursor().selectedText().toLower(), "alarms.txt");
    EXPECT_FALSE(window->Find("no document holds this qqzx"));
}

TEST(HelpWindowTest, SearchMovesOnThroughTheDocumentsAndLinksFindHeadings) {
    test::TempDir docs;
    WriteFileBytes(docs.File("user-guide.md"), "# Guide\n\nSee [the other](other.md#far-away-part).\n\nA marker here.\n");
    WriteFileBytes(docs.File("other.md"), "# Other\n\n## Far away part\n\nThe second marker, and a **rare** word.\n");
    HelpWindow window(nullptr, QString::fromStdString(docs.Path().string()));
    window.ShowDocument("user-guide.md");
    EXPECT_EQ(window.Documents(), QStringList({"user-guide.md", "other.md"}));
    EXPECT_TRUE(window.Find("marker"));
    EXPECT_EQ(window.CurrentDocument(), "user-guide.md");
    EXPECT_TRUE(window.Find("marker"));  // the next one is in the next document
    EXPECT_EQ(window.CurrentDocument(), "other.md");
    EXPECT_TRUE(window.Find("marker"));  // and round again
    EXPECT_EQ(window.CurrentDocument(), "user-guide.md");
    EXPECT_TRUE(window.Find("rare"));  // found in the text, not in the Markdown's marks
    EXPECT_EQ(window.Browser()->textCursor().selectedText(), "rare");

    window.ShowDocument("user-guide.md");
    emit window.Browser()->anchorClicked(QUrl("other.md#far-away-part"));
    EXPECT_EQ(window.CurrentDocument(), "other.md");
    EXPECT_EQ(window.Browser()->textCursor().block().text(), "Far away part");
    EXPECT_EQ(HeadingAnchor("Vapour (2): vapour pressure"), "vapour-2-vapour-pressure");
}

TEST_F(FrameCommands, PrintSetupAndPrintDirect) {
    for (int command : {cmd::kFilePrintSetup, cmd::kFilePrintDirect}) {
        ASSERT_NE(frame->Action(command), nullptr);
        EXPECT_EQ(frame->Action(command)->parent(), frame.get());
    }
    bool setupShown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
        setupShown = dialog != nullptr;
        if (dialog != nullptr) {
            dialog->reject();
        }
    });
    frame->Action(cmd::kFilePrintSetup)->trigger();
    EXPECT_TRUE(setupShown);

    // Direct: straight to the printer chosen, no dialog.
    const std::string pdf = dir.File("page.pdf");
    frame->GetView().Printer().setOutputFormat(QPrinter::PdfFormat);
    frame->GetView().Printer().setOutputFileName(QString::fromStdString(pdf));
    frame->show();
    frame->Action(cmd::kFilePrintDirect)->trigger();
    ASSERT_TRUE(ServeUntil([&] { return std::filesystem::exists(pdf) && std::filesystem::file_size(pdf) > 0; }));
}

TEST_F(FrameCommands, ReportsGoToTheProgramFolderWhereverTheProgramStarted) {
    EXPECT_EQ(ReportFolder(), settings.ProgramDir());
    ReportError(nullptr, "checked");
    AppendAlarmsFile("alarm\r\n");
    EXPECT_TRUE(std::filesystem::exists(dir.File("error.txt")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("alarms.txt")));
}

TEST_F(FrameCommands, AlertsOpenBesideTheWindowOrOverTheFewestItemsAndLeaveTheFocus) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Room to the right of the main window: the alerts window stays off the page.
    frame->setGeometry(screen.left(), screen.top(), screen.width() / 3, screen.height() / 2);
    frame->show();
    frame->activateWindow();
    ASSERT_TRUE(ServeUntil([&] { return QApplication::activeWindow() == frame.get(); }));
    frame->GetView().setFocus();
    AlertsWindow& alerts = frame->Alerts();
    alerts.ShowAlerts("Hill:\r\nAlarm\r\n");
    for (int i = 0; i < 40; ++i) {  // let any activation arrive
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    const QRect page(frame->GetView().viewport()->mapToGlobal(QPoint(0, 0)), frame->GetView().viewport()->size());
    EXPECT_TRUE(alerts.isVisible());
    if (alerts.frameGeometry().width() + frame->frameGeometry().width() < screen.width()) {
        EXPECT_FALSE(alerts.frameGeometry().intersects(page));
    }
    EXPECT_EQ(QApplication::activeWindow(), frame.get());
    EXPECT_TRUE(frame->GetView().hasFocus());

    // Moved and closed, it opens again where it was left.
    alerts.move(screen.left() + 40, screen.top() + 50);
    const QPoint left = alerts.pos();
    alerts.hide();
    alerts.ShowAlerts("again");
    EXPECT_EQ(alerts.pos(), left);
}

TEST(AlertsPlaceTest, BesideTheFrameWhenThereIsRoomElseTheCornerWithFewestItems) {
    const QSize size(300, 200);
    const QRect screen(0, 0, 1280, 900);
    AlertsWindow::PageArea area{QRect(10, 60, 600, 500), {QRect(20, 70, 200, 100)}};
    const QRect beside = AlertsWindow::ChoosePlace(size, screen, QRect(0, 0, 640, 600), area);
    EXPECT_TRUE(screen.contains(beside));
    EXPECT_FALSE(beside.intersects(QRect(0, 0, 640, 600)));

    // A maximised window: inside the page, clear of the items.
    area = {QRect(0, 60, 1280, 800), {QRect(900, 600, 300, 200), QRect(10, 70, 400, 300)}};
    const QRect inside = AlertsWindow::ChoosePlace(size, screen, screen, area);
    EXPECT_TRUE(area.page.contains(inside));
    for (const QRect& item : area.items) {
        EXPECT_FALSE(inside.intersects(item));
    }
}

}  // namespace
}  // namespace svu
