#include "app/RecordedSoundsWindow.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <cstdlib>

#include "framework/UserInterface.h"
#include "platform/AudioDevice.h"

namespace svu {

namespace {

constexpr const char* kCaption = "Recorded Sounds";

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

RecordedSoundsWindow::RecordedSoundsWindow(QWidget* parent, std::string cataloguePath, AudioOutput* output,
                                           UserInterface& ui)
    : QDialog(parent), cataloguePath_(std::move(cataloguePath)), output_(output), ui_(ui) {
    setWindowTitle(tr(kCaption));
    setObjectName(QStringLiteral("recordedSounds"));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("recordings"));
    list_->setHeaderLabels({tr("Date"), tr("Time"), tr("File")});
    list_->setRootIsDecorated(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setAllColumnsShowFocus(true);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, kDateWidth);
    list_->setColumnWidth(1, kTimeWidth);
    list_->setColumnWidth(2, kFileWidth);
    // The widths above are the original's; dates in a longer locale format still show whole.
    list_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    list_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);

    play_ = new QPushButton(tr("Play"), this);
    delete_ = new QPushButton(tr("Delete"), this);
    auto* removeNoWav = new QPushButton(tr("Remove no wav"), this);
    auto* close = new QPushButton(tr("Close"), this);
    play_->setObjectName(QStringLiteral("play"));
    delete_->setObjectName(QStringLiteral("delete"));
    removeNoWav->setObjectName(QStringLiteral("removeNoWav"));
    close->setObjectName(QStringLiteral("close"));
    connect(play_, &QPushButton::clicked, this, &RecordedSoundsWindow::Play);
    connect(delete_, &QPushButton::clicked, this, &RecordedSoundsWindow::Delete);
    connect(removeNoWav, &QPushButton::clicked, this, &RecordedSoundsWindow::RemoveNoWav);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &RecordedSoundsWindow::UpdateButtons);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &RecordedSoundsWindow::Play);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {play_, delete_, removeNoWav}) {
        buttons->addWidget(b);
    }
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(620, 320);

    if (output_ != nullptr) {
        QPointer<RecordedSoundsWindow> self(this);
        output_->SetErrorHandler([self](const std::string& error) {
            // From the player's thread: shown on ours, if the window is still there.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, error] {
                    if (self) {
                        self->ShowProblem(error);
                    }
                },
                Qt::QueuedConnection);
        });
    }
    Reload();
}

RecordedSoundsWindow::~RecordedSoundsWindow() {
    if (output_ != nullptr) {
        output_->SetErrorHandler({});
    }
}

void RecordedSoundsWindow::ShowProblem(const std::string& text) {
    ui_.MessageBox(text, kCaption, MsgButtons::Ok, MsgIcon::Warning);
}

void RecordedSoundsWindow::Reload() {
    CatalogueReadResult read = ReadSoundCatalogue(cataloguePath_);
    entries_ = std::move(read.entries);
    Fill();
    if (!read.error.empty()) {
        ShowProblem(read.error + " (" + cataloguePath_ + ")");
    }
}

void RecordedSoundsWindow::AddEntry(const CatalogueEntry& entry) {
    entries_.push_back(entry);
    Fill();
}

void RecordedSoundsWindow::Fill() {
    list_->clear();
    for (const CatalogueEntry& entry : entries_) {
        const TimeT start = entry.start.ToTime();
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, Q(FormatUserDate(start)));
        item->setText(1, Q(FormatUserTime(start)));
        item->setText(2, Q(entry.path));
    }
    list_->clearSelection();
    UpdateButtons();
}

void RecordedSoundsWindow::UpdateButtons() {
    const bool selected = !list_->selectedItems().isEmpty();
    play_->setEnabled(selected);
    delete_->setEnabled(selected);
}

void RecordedSoundsWindow::SelectNearest(TimeT time) {
    int best = -1;
    TimeT bestDistance = 0;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const TimeT distance = std::llabs(entries_[i].start.ToTime() - time);
        if (best < 0 || distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    if (best >= 0) {
        QTreeWidgetItem* item = list_->topLevelItem(best);
        list_->setCurrentItem(item);
        list_->scrollToItem(item);
    }
}

void RecordedSoundsWindow::Play() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || list_->selectedItems().isEmpty() || output_ == nullptr) {
        return;
    }
    output_->Play(entries_[static_cast<std::size_t>(row)].path);
}

void RecordedSoundsWindow::Delete() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || list_->selectedItems().isEmpty()) {
        return;
    }
    if (output_ != nullptr) {
        output_->StopPlaying();  // the file may be the one playing
    }
    std::string error;
    if (!DeleteRecording(cataloguePath_, entries_, static_cast<std::size_t>(row), &error)) {
        ShowProblem("The recording cannot be deleted: " + error);
    }
    Fill();
}

void RecordedSoundsWindow::RemoveNoWav() {
    std::string error;
    if (RemoveMissingRecordings(cataloguePath_, entries_, &error) < 0) {
        ShowProblem("The catalogue " + cataloguePath_ + " cannot be written: " + error);
    }
    Fill();
}

}  // namespace svu
