#include "pages/RosePages.h"

#include <QComboBox>
#include <QSpinBox>
#include <algorithm>

#include "gadgets/RTDustRoseGadget.h"
#include "gadgets/RTWindRoseGadget.h"
#include "gadgets/WindRoseGadget.h"
#include "pages/GadgetPages.h"
#include "pages/PropertySheet.h"

namespace svu {

namespace {

constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;
constexpr int kMaxHours = 24;
constexpr int kMaxMinutesOrSeconds = 59;

enum DurationUnit { kSeconds = 0, kMinutes = 1, kHours = 2 };

// The window length as a count of seconds, minutes or hours. The count's range follows the unit;
// QSpinBox keeps the value inside it, so switching to hours with more than 24 shows 24.
class DurationChooser {
public:
    explicit DurationChooser(int32_t& window) : window_(window), count_(new QSpinBox), unit_(new QComboBox) {
        count_->setObjectName(QStringLiteral("duration"));
        unit_->setObjectName(QStringLiteral("durationUnit"));
        unit_->addItems({QStringLiteral("Seconds"), QStringLiteral("Minutes"), QStringLiteral("Hours")});
        QObject::connect(unit_, &QComboBox::currentIndexChanged, count_, [this](int unit) { SetRange(unit); });
    }

    void AddTo(PropertyPage& page, const QString& label) {
        page.BeginRow(label);
        page.AddWidget(count_);
        page.AddWidget(unit_);
        page.EndRow();
    }

    void Load() {
        int unit = kMinutes;
        int count = window_ / kSecondsPerMinute;
        if (window_ >= kSecondsPerHour) {
            unit = kHours;
            count = window_ / kSecondsPerHour;
        } else if (window_ < kSecondsPerMinute) {
            unit = kSeconds;
            count = window_;
        }
        unit_->setCurrentIndex(unit);
        SetRange(unit);
        count_->setValue(count);
    }

    void Store() {
        static constexpr int kUnitSeconds[] = {1, kSecondsPerMinute, kSecondsPerHour};
        window_ = count_->value() * kUnitSeconds[std::clamp(unit_->currentIndex(), 0, 2)];
    }

private:
    void SetRange(int unit) { count_->setRange(1, unit == kHours ? kMaxHours : kMaxMinutesOrSeconds); }

    int32_t& window_;
    QSpinBox* count_;
    QComboBox* unit_;
};

// A rose page with an optional duration, which the page framework has no field for.
class RosePage : public GadgetPage {
public:
    using GadgetPage::GadgetPage;

    void AddDuration(int32_t& window, const QString& label) {
        duration_ = std::make_unique<DurationChooser>(window);
        duration_->AddTo(*this, label);
    }

    void Load() override {
        GadgetPage::Load();
        if (duration_) {
            duration_->Load();
        }
    }
    void Store() override {
        GadgetPage::Store();
        if (duration_) {
            duration_->Store();
        }
    }

private:
    std::unique_ptr<DurationChooser> duration_;
};

// The settings both real-time roses share: origin, radius, step and the two colours.
void AddRoseShape(RosePage& page, RealtimeRoseGadget& gadget) {
    using Rose = RealtimeRoseGadget;
    page.BeginGroup(QStringLiteral("Size"));
    page.Spin(QStringLiteral("originX"), QStringLiteral("Origin X:"), Bind<long long>(gadget.originX), Rose::kMinOrigin,
              Rose::kMaxOrigin);
    page.Spin(QStringLiteral("originY"), QStringLiteral("Origin Y:"), Bind<long long>(gadget.originY), Rose::kMinOrigin,
              Rose::kMaxOrigin);
    page.Spin(QStringLiteral("radius"), QStringLiteral("Radius:"), Bind<long long>(gadget.radius), Rose::kMinRadius,
              Rose::kMaxRadius);
    page.Spin(QStringLiteral("step"), QStringLiteral("Step:"), Bind<long long>(gadget.step), Rose::kMinStep,
              Rose::kMaxStep);
    page.BeginGroup(QStringLiteral("Colours"));
    page.BeginRow();
    page.ColourChooser(QStringLiteral("roseColour"), QStringLiteral("Rose"), gadget.roseColour);
    page.EndRow();
    page.BeginRow();
    page.ColourChooser(QStringLiteral("fillColour"), QStringLiteral("Fill"), gadget.fillColour);
    page.EndRow();
}

void AddTransparent(PropertyPage& page, Gadget& gadget) {
    page.BeginGroup(QStringLiteral("Background"));
    page.Check(QStringLiteral("transparent"), QStringLiteral("Transparent"), BindFlag(gadget.transparent));
}

std::unique_ptr<PropertyPage> MakeWindRosePage(WindRoseGadget& gadget) {
    auto page = std::make_unique<RosePage>(QStringLiteral("WindRose"));
    page->BeginGroup(QStringLiteral("Rose"));
    page->BeginRow();
    page->ColourChooser(QStringLiteral("roseColour"), {}, gadget.roseColour);
    page->EndRow();
    page->BeginGroup(QStringLiteral("Pointer"));
    page->BeginRow();
    page->ColourChooser(QStringLiteral("pointerColour"), {}, gadget.pointerColour);
    page->EndRow();
    AddTransparent(*page, gadget);
    return page;
}

std::unique_ptr<PropertyPage> MakeRTWindRosePage(RTWindRoseGadget& gadget) {
    auto page = std::make_unique<RosePage>(QStringLiteral("Windrose"));
    AddRoseShape(*page, gadget);
    AddTransparent(*page, gadget);
    return page;
}

std::unique_ptr<PropertyPage> MakeUnitsPage(RTWindRoseGadget& gadget) {
    auto page = std::make_unique<RosePage>(QStringLiteral("Units"));
    page->BeginGroup(QStringLiteral("Wind speed"));
    page->Choice(QStringLiteral("speedUnit"), QStringLiteral("Read as:"),
                 {QStringLiteral("MPS"), QStringLiteral("KPH"), QStringLiteral("MPH"), QStringLiteral("KNOTS")},
                 Bind<long long>(gadget.speedUnit));
    page->BeginGroup(QStringLiteral("Wind run"));
    page->Choice(
        QStringLiteral("distanceUnit"), QStringLiteral("Display as:"),
        {QStringLiteral("Meters"), QStringLiteral("KM"), QStringLiteral("Miles"), QStringLiteral("Nautical Miles")},
        Bind<long long>(gadget.distanceUnit));
    page->BeginGroup(QStringLiteral("Duration"));
    page->AddDuration(gadget.window, {});
    return page;
}

std::unique_ptr<PropertyPage> MakeDustRosePage(RTDustRoseGadget& gadget) {
    auto page = std::make_unique<RosePage>(QStringLiteral("DustRose"));
    AddRoseShape(*page, gadget);
    page->BeginGroup(QStringLiteral("Duration"));
    page->AddDuration(gadget.window, QStringLiteral("Data for the last:"));
    AddTransparent(*page, gadget);
    return page;
}

// After OK: what the history depended on is compared with what it was when the sheet opened.
void WatchHistory(PropertySheet& sheet, RealtimeRoseGadget& gadget) {
    const RealtimeRoseGadget::HistoryKey before = gadget.CurrentHistoryKey();
    sheet.AfterApply([&gadget, before] { gadget.PropertiesApplied(before); });
}

}  // namespace

std::unique_ptr<PropertySheet> MakeWindRoseSheet(QWidget* parent, WindRoseGadget& gadget,
                                                 const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Windrose"), context);
    sheet->AddPage(MakeDataSourcePage(gadget, 0, QStringLiteral("Wind direction"), context));
    sheet->AddPage(MakeWindRosePage(gadget));
    sheet->AfterApply([&gadget] { gadget.ForgetReadingTime(); });
    return sheet;
}

std::unique_ptr<PropertySheet> MakeRTWindRoseSheet(QWidget* parent, RTWindRoseGadget& gadget,
                                                   const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Realtime windrose"), context);
    sheet->AddPage(std::make_unique<BitmapProperties>(gadget, context));
    sheet->AddPage(MakeRTWindRosePage(gadget));
    sheet->AddPage(MakeDataSourcePage(gadget, 0, QStringLiteral("Wind speed"), context));
    sheet->AddPage(MakeDataSourcePage(gadget, 1, QStringLiteral("Wind direction"), context));
    sheet->AddPage(MakeUnitsPage(gadget));
    WatchHistory(*sheet, gadget);
    return sheet;
}

std::unique_ptr<PropertySheet> MakeRTDustRoseSheet(QWidget* parent, RTDustRoseGadget& gadget,
                                                   const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Realtime dustrose"), context);
    sheet->AddPage(std::make_unique<BitmapProperties>(gadget, context));
    sheet->AddPage(MakeDustRosePage(gadget));
    sheet->AddPage(MakeDataSourcePage(gadget, 0, QStringLiteral("Dust concentration"), context));
    sheet->AddPage(MakeDataSourcePage(gadget, 1, QStringLiteral("Wind direction"), context));
    WatchHistory(*sheet, gadget);
    return sheet;
}

}  // namespace svu
