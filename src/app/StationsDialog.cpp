#include "app/StationsDialog.h"

#include "pages/AlarmPages.h"
#include "pages/Sheets.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Version.h"
#include "app/GuiUserInterface.h"
#include "framework/StringTable.h"
#include "framework/UserInterface.h"
#include "runtime/StationKinds.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kConfirmDelete = 144;
constexpr int kStationFileFilter = 240;
constexpr int kUnableToOpen = 234;

QString AskExportPath(QWidget* parent) {
    QFileDialog dialog(parent, QObject::tr("Export"), QString(), FileDialogFilter(kStationFileFilter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("wsf"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString AskImportPath(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QObject::tr("Import"), QString(), FileDialogFilter(kStationFileFilter));
}

}  // namespace

int EditStationName(QWidget* parent, WeatherStation& station, bool /*withDerivedPage*/) {
    QDialog sheet(parent);
    sheet.setWindowTitle(QObject::tr("%1 Properties").arg(QString::fromStdString(station.name)));
    auto* tabs = new QTabWidget(&sheet);
    auto* page = new QWidget(tabs);
    auto* name = new QLineEdit(QString::fromStdString(station.name), page);
    name->setObjectName(QStringLiteral("name"));
    auto* form = new QFormLayout(page);
    form->addRow(QObject::tr("Name:"), name);
    tabs->addTab(page, QObject::tr("Name"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &sheet);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &sheet, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &sheet, &QDialog::reject);
    auto* layout = new QVBoxLayout(&sheet);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    if (sheet.exec() != QDialog::Accepted) {
        return 2;
    }
    station.name = name->text().toStdString();
    return 1;
}

StationsDialog::StationsDialog(QWidget* parent, StationList& stations, const ClassRegistry& classes, UserInterface& ui,
                               int& selection, Hooks hooks)
    : QDialog(parent),
      stations_(stations),
      classes_(classes),
      ui_(ui),
      selection_(selection),
      hooks_(std::move(hooks)) {
    if (!hooks_.editProperties) {
        hooks_.editProperties = EditStationName;
    }
    if (!hooks_.chooseType) {
        hooks_.chooseType = [](QWidget* parent) { return ChooseStationType(parent); };
    }
    if (!hooks_.exportPath) {
        hooks_.exportPath = AskExportPath;
    }
    if (!hooks_.importPath) {
        hooks_.importPath = AskImportPath;
    }
    setWindowTitle(tr("Monitoring Systems"));
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    add_ = new QPushButton(tr("Add..."), this);
    delete_ = new QPushButton(tr("Delete..."), this);
    properties_ = new QPushButton(tr("Properties..."), this);
    copy_ = new QPushButton(tr("Copy"), this);
    export_ = new QPushButton(tr("Export..."), this);
    import_ = new QPushButton(tr("Import..."), this);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {add_, delete_, properties_, copy_, export_, import_}) {
        b->setAutoDefault(false);
        side->addWidget(b);
    }
    side->addStretch();
    side->addWidget(close);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(side);
    resize(460, 300);

    connect(add_, &QPushButton::clicked, this, &StationsDialog::Add);
    connect(delete_, &QPushButton::clicked, this, &StationsDialog::Delete);
    connect(properties_, &QPushButton::clicked, this, &StationsDialog::Properties);
    connect(copy_, &QPushButton::clicked, this, &StationsDialog::Copy);
    connect(export_, &QPushButton::clicked, this, &StationsDialog::Export);
    connect(import_, &QPushButton::clicked, this, &StationsDialog::Import);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::accept);
    connect(list_, &QListWidget::itemSelectionChanged, this, &StationsDialog::UpdateButtons);
    connect(list_, &QListWidget::itemDoubleClicked, this, &StationsDialog::Properties);
    Refill(selection_);
}

void StationsDialog::Refill(int row) {
    list_->clear();
    for (const auto& station : stations_) {
        list_->addItem(QString::fromStdString(station->name));
    }
    if (row >= 0 && row < list_->count()) {
        list_->setCurrentRow(row);
    } else {
        list_->clearSelection();
    }
    UpdateButtons();
}

int StationsDialog::Selected() const {
    // The row the user picked, not just the one with the focus frame: the list puts its focus on
    // the first row without selecting it.
    const QList<QListWidgetItem*> picked = list_->selectedItems();
    const int row = picked.isEmpty() ? -1 : list_->row(picked.front());
    return row >= 0 && static_cast<size_t>(row) < stations_.size() ? row : -1;
}

void StationsDialog::UpdateButtons() {
    const bool selected = Selected() >= 0;
    for (QPushButton* b : {delete_, properties_, copy_, export_}) {
        b->setEnabled(selected);
    }
}

void StationsDialog::Add() {
    const int type = hooks_.chooseType(this);
    if (type < 0) {
        return;
    }
    std::string error;
    std::unique_ptr<WeatherStation> station = CreateStation(type, NextStationName(stations_), &error);
    if (!station) {
        ui_.MessageBox(error, kProductName, MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    if (hooks_.editProperties(this, *station, false) != 1) {
        return;  // the new station goes with the cancelled sheet
    }
    // New stations go to the head of the list; the list box follows the list so that its rows
    // always name the stations they stand for.
    stations_.insert(stations_.begin(), std::move(station));
    Refill(0);
}

void StationsDialog::Delete() {
    const int row = Selected();
    if (row < 0) {
        return;
    }
    if (ui_.MessageBox(Str(kConfirmDelete), kProductName, MsgButtons::YesNo, MsgIcon::Question, 2) != MsgResult::Yes) {
        return;
    }
    if (hooks_.beforeDelete) {
        hooks_.beforeDelete(*stations_[static_cast<size_t>(row)]);
    }
    // A new station given this name later starts with none of its alarms spoken.
    ForgetSpokenAlarms(*stations_[static_cast<size_t>(row)], stations_);
    DeleteStation(stations_, static_cast<size_t>(row));
    Refill(std::min(row, static_cast<int>(stations_.size()) - 1));
}

void StationsDialog::Properties() {
    const int row = Selected();
    if (row < 0) {
        return;
    }
    hooks_.editProperties(this, *stations_[static_cast<size_t>(row)], true);
    Refill(row);  // the name may have changed
}

void StationsDialog::Copy() {
    const int row = Selected();
    if (row < 0) {
        return;
    }
    CopyStation(stations_, static_cast<size_t>(row));
    Refill(static_cast<int>(stations_.size()) - 1);
}

void StationsDialog::Export() {
    const int row = Selected();
    if (row < 0) {
        return;
    }
    const QString path = hooks_.exportPath(this);
    if (path.isEmpty()) {
        return;
    }
    std::string error;
    if (!ExportStation(path.toStdString(), *stations_[static_cast<size_t>(row)], &error)) {
        ui_.MessageBox(Str(kUnableToOpen) + "\n" + error, kProductName, MsgButtons::Ok, MsgIcon::Stop);
    }
}

void StationsDialog::Import() {
    const QString path = hooks_.importPath(this);
    if (path.isEmpty()) {
        return;
    }
    const int row = Selected();
    const StationFileResult result = ImportStations(path.toStdString(), classes_, stations_);
    if (!result.Ok()) {
        ui_.MessageBox(Str(kUnableToOpen) + "\n" + result.error, kProductName, MsgButtons::Ok, MsgIcon::Stop);
        return;
    }
    Refill(row);
}

void StationsDialog::done(int result) {
    selection_ = Selected();
    QDialog::done(result);
}

}  // namespace svu
