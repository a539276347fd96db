#include "pages/StatePages.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "framework/TextUtil.h"
#include "gadgets/MultiStateGadget.h"
#include "gadgets/MultiTextGadget.h"
#include "pages/GadgetPages.h"
#include "pages/PropertyPage.h"
#include "pages/PropertySheet.h"

namespace svu {

namespace {

const char* const kMultiTextNote =
    "The first text will be shown when the channel value is below the first number, the second between the first "
    "two numbers etc. And the last text will be show above the one before last's value (e.g. the last value is not "
    "used).";

class MultiTextPage : public PropertyPage {
public:
    explicit MultiTextPage(MultiTextGadget& gadget)
        : PropertyPage(QStringLiteral("Text")),
          gadget_(gadget),
          list_(new QListWidget),
          value_(new QLineEdit),
          text_(new QLineEdit) {
        list_->setObjectName(QStringLiteral("pairs"));
        value_->setObjectName(QStringLiteral("value"));
        text_->setObjectName(QStringLiteral("text"));
        BeginGroup(QStringLiteral("Text"));
        AddWidget(list_);
        AddWidget(value_, QStringLiteral("Value:"));
        AddWidget(text_, QStringLiteral("Text:"));
        BeginRow();
        AddButton(QStringLiteral("Add"), QStringLiteral("add"), [this] { Add(); });
        delete_ = AddButton(QStringLiteral("Delete"), QStringLiteral("delete"), [this] { Delete(); });
        EndRow();
        QLabel* note = AddText(QString::fromLatin1(kMultiTextNote));
        note->setWordWrap(true);
        QObject::connect(list_, &QListWidget::currentRowChanged, this, [this] { UpdateDelete(); });
        QObject::connect(list_, &QListWidget::itemSelectionChanged, this, [this] { UpdateDelete(); });
    }

    void Load() override {
        points_ = gadget_.switchingPoints;
        texts_ = gadget_.texts;
        texts_.resize(points_.size());  // a pair needs both halves
        Fill(-1);
        PropertyPage::Load();
    }

    void Store() override {
        PropertyPage::Store();
        gadget_.switchingPoints = points_;
        gadget_.texts = texts_;
    }

private:
    void Fill(int select) {
        list_->clear();
        for (size_t i = 0; i < points_.size(); ++i) {
            list_->addItem(ToQt(FormatC("%G", static_cast<double>(points_[i]))) + QLatin1Char('\t') + ToQt(texts_[i]));
        }
        list_->setCurrentRow(select);
        UpdateDelete();
    }

    void UpdateDelete() { delete_->setEnabled(!list_->selectedItems().isEmpty()); }

    void Add() {
        if (value_->text().isEmpty() || text_->text().isEmpty()) {
            QApplication::beep();
            return;
        }
        const auto value = static_cast<float>(AtoF(FromQt(value_->text())));
        // After every point at or below the new one: the list stays ascending and equal values
        // keep the order they were entered in.
        size_t at = 0;
        while (at < points_.size() && !(points_[at] > value)) {
            ++at;
        }
        points_.insert(points_.begin() + static_cast<std::ptrdiff_t>(at), value);
        texts_.insert(texts_.begin() + static_cast<std::ptrdiff_t>(at), FromQt(text_->text()));
        Fill(static_cast<int>(at));
    }

    void Delete() {
        const int row = list_->currentRow();
        if (row < 0 || static_cast<size_t>(row) >= points_.size()) {
            return;
        }
        points_.erase(points_.begin() + row);
        texts_.erase(texts_.begin() + row);
        Fill(-1);
    }

    MultiTextGadget& gadget_;
    QListWidget* list_;
    QLineEdit* value_;
    QLineEdit* text_;
    QPushButton* delete_ = nullptr;
    std::vector<float> points_;
    std::vector<std::string> texts_;
};

}  // namespace

std::string FormatSwitchingPoints(const std::vector<float>& points) {
    std::string text;
    for (size_t i = 0; i < points.size(); ++i) {
        text += (i == 0 ? "" : ",") + FormatC("%G", static_cast<double>(points[i]));
    }
    return text;
}

std::vector<float> ParseSwitchingPoints(std::string_view text) {
    std::vector<float> points;
    size_t at = 0;
    for (;;) {
        points.push_back(static_cast<float>(AtoF(text.substr(at))));
        const size_t comma = text.find(',', at);
        if (comma == std::string_view::npos) {
            return points;
        }
        at = comma + 1;
    }
}

std::unique_ptr<PropertyPage> MakeStatesPage(MultiStateGadget& gadget) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("States"));
    page->BeginGroup(QStringLiteral("States"));
    page->Spin(QStringLiteral("imageCount"), QStringLiteral("Number of images:"), Bind<long long>(gadget.imageCount),
               MultiStateGadget::kMinImages, MultiStateGadget::kMaxImages);
    page->Text(QStringLiteral("switchingPoints"), QStringLiteral("Switching points:"),
               {[&gadget] { return FormatSwitchingPoints(gadget.switchingPoints); },
                [&gadget](const std::string& text) { gadget.switchingPoints = ParseSwitchingPoints(text); }});
    page->AddText(QStringLiteral("(A coma separated list of switching points)"));
    return page;
}

std::unique_ptr<PropertyPage> MakeMultiTextPage(MultiTextGadget& gadget) {
    return std::make_unique<MultiTextPage>(gadget);
}

std::unique_ptr<PropertySheet> MakeMultiStateSheet(QWidget* parent, MultiStateGadget& gadget,
                                                   const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Multistate bitmap"), context);
    auto bitmapPage = std::make_unique<BitmapProperties>(gadget, context, true);
    BitmapProperties* bitmap = bitmapPage.get();
    sheet->AddPage(std::move(bitmapPage));
    sheet->AddPage(MakeDataSourcePage(gadget, 0, {}, context));
    sheet->AddPage(MakeStatesPage(gadget));
    sheet->AfterApply([bitmap, &gadget] {
        if (!bitmap->ResizeRequested() || gadget.bitmap.IsEmpty()) {
            return;
        }
        // One picture of the strip; the whole strip while the number of pictures is not set.
        const auto width = static_cast<int32_t>(gadget.bitmap.Width());
        const int32_t picture = gadget.imageCount > 0 ? width / gadget.imageCount : width;
        gadget.rect[2] = gadget.rect[0] + picture + 2 * kGadgetFrameWidth;
        gadget.rect[3] = gadget.rect[1] + static_cast<int32_t>(gadget.bitmap.Height()) + 2 * kGadgetFrameWidth;
    });
    return sheet;
}

std::unique_ptr<PropertySheet> MakeMultiTextSheet(QWidget* parent, MultiTextGadget& gadget,
                                                  const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Multistate text"), context);
    sheet->AddPage(MakeDataSourcePage(gadget, 0, {}, context));
    sheet->AddPage(MakeMultiTextPage(gadget));
    return sheet;
}

}  // namespace svu
