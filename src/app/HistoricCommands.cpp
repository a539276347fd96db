#include "app/HistoricCommands.h"

#include <QMenu>

#include "app/HistoricGraphWindow.h"
#include "app/HistoricRangeDialog.h"
#include "app/HistoricSupport.h"
#include "app/HistoricTableWindow.h"
#include "app/HistoricWindroseWindow.h"

namespace svu {

namespace {

std::function<void(QWidget*, TimeT)>& RecordedSoundsOpener() {
    static std::function<void(QWidget*, TimeT)> opener;
    return opener;
}

template <class Window>
bool Raise(const QPointer<Window>& window) {
    if (window.isNull()) {
        return false;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

}  // namespace

HistoricCommands::HistoricCommands(QWidget* frame, const StationList& stations, UserInterface& ui)
    : QObject(frame), frame_(frame), stations_(stations), ui_(ui) {}

HistoricCommands* HistoricCommands::Install(QWidget* frame, const StationList& stations, UserInterface& ui,
                                            QMenu* historic, QMenu* tools, const CommandAdder& add) {
    auto* commands = new HistoricCommands(frame, stations, ui);
    historic->addSeparator();
    add(historic, kCmdHistoricTable, tr("&Table..."), [commands] { commands->OpenTable(); });
    add(historic, kCmdHistoricGraph, tr("&Graph..."), [commands] { commands->OpenGraph(); });
    add(historic, kCmdHistoricWindrose, tr("&Windrose..."), [commands] { commands->OpenWindrose(); });
    add(tools, kCmdConvertCompactFlash, tr("Compact &Flash..."), [commands] { commands->ConvertCompactFlash(); });
    return commands;
}

HistoricTableWindow* HistoricCommands::Table() const {
    return table_;
}

HistoricGraphWindow* HistoricCommands::Graph() const {
    return graph_;
}

HistoricWindroseWindow* HistoricCommands::Windrose() const {
    return windrose_;
}

void HistoricCommands::SetRecordedSoundsOpener(std::function<void(QWidget*, TimeT)> opener) {
    RecordedSoundsOpener() = std::move(opener);
}

void HistoricCommands::OpenTable() {
    if (Raise(table_)) {
        return;
    }
    auto* window = new HistoricTableWindow(frame_, ui_, [this] { return ChooseLogFile(table_, ui_); });
    window->setWindowFlag(Qt::Window);
    table_ = window;
    window->show();
    if (!window->Open()) {
        window->close();
    }
}

void HistoricCommands::OpenGraph() {
    if (Raise(graph_)) {
        return;
    }
    auto* window = new HistoricGraphWindow(frame_, ui_, [this](HistoricRangeChoice& choice) {
        return HistoricRangeDialog::Ask(graph_, stations_, ui_, choice);
    });
    window->setWindowFlag(Qt::Window);
    if (RecordedSoundsOpener()) {
        window->SetTimeLookup([window](TimeT time) { RecordedSoundsOpener()(window, time); });
    }
    graph_ = window;
    window->show();
    if (!window->Open()) {
        window->close();
    }
}

void HistoricCommands::OpenWindrose() {
    if (Raise(windrose_)) {
        return;
    }
    auto* window = new HistoricWindroseWindow(frame_, ui_, [this](HistoricRangeChoice& choice) {
        return HistoricRangeDialog::Ask(windrose_, stations_, ui_, choice);
    });
    window->setWindowFlag(Qt::Window);
    windrose_ = window;
    window->show();
    if (!window->Open()) {
        window->close();
    }
}

void HistoricCommands::ConvertCompactFlash() {
    RunConvertCompactFlashCommand(frame_, ui_);
}

}  // namespace svu
