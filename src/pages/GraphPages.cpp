#include "pages/GraphPages.h"

#include "gadgets/GraphGadget.h"
#include "pages/GadgetPages.h"
#include "pages/PropertySheet.h"

namespace svu {

namespace {

constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;

// One part (hours, minutes or seconds) of the time base; storing a part keeps the other two.
Accessor<long long> TimePart(int32_t& timeBase, int unitSeconds, int partsPerNext) {
    return {[&timeBase, unitSeconds, partsPerNext] {
                const long long parts = timeBase / unitSeconds;
                return partsPerNext > 0 ? parts % partsPerNext : parts;
            },
            [&timeBase, unitSeconds, partsPerNext](const long long& v) {
                const long long parts = timeBase / unitSeconds;
                const long long current = partsPerNext > 0 ? parts % partsPerNext : parts;
                timeBase = static_cast<int32_t>(timeBase + (v - current) * unitSeconds);
            }};
}

}  // namespace

std::unique_ptr<PropertyPage> MakeTracePage(GraphGadget& gadget, int which) {
    GraphTrace& trace = gadget.traces[which == 0 ? 0 : 1];
    auto page = std::make_unique<GadgetPage>(QStringLiteral("Trace %1").arg(which == 0 ? 1 : 2));
    page->BeginGroup(QStringLiteral("Axis"));
    page->Text(QStringLiteral("title"), QStringLiteral("Y axis title:"), Bind<std::string>(trace.title));
    page->Check(QStringLiteral("windDirection"), QStringLiteral("Wind direction"), BindFlag(trace.windDirection));
    page->BeginGroup(QStringLiteral("Y range"));
    RadioField& range =
        page->Radio(QStringLiteral("range"), {QStringLiteral("Auto Y range"), QStringLiteral("Manual Y range")},
                    Bind<long long>(trace.autoRange), {1, 0});
    DecimalField& minimum =
        page->Decimal(QStringLiteral("minimum"), QStringLiteral("Minimum:"), Bind<double>(trace.minimum));
    DecimalField& maximum =
        page->Decimal(QStringLiteral("maximum"), QStringLiteral("Maximum:"), Bind<double>(trace.maximum));
    page->EnableWhen({&minimum, &maximum}, [&range] { return range.Current() == 1; });
    page->BeginGroup(QStringLiteral("Line"));
    page->BeginRow();
    page->ColourChooser(QStringLiteral("colour"), {}, trace.colour);
    page->EndRow();
    page->Check(QStringLiteral("peakHold"), QStringLiteral("Peak hold"), BindFlag(trace.peakHold));
    page->Check(QStringLiteral("grid"), QStringLiteral("Show grid"), BindFlag(trace.grid));
    return page;
}

std::unique_ptr<PropertyPage> MakeTimebasePage(GraphGadget& gadget) {
    auto page = std::make_unique<GadgetPage>(QStringLiteral("Timebase"));
    page->BeginGroup(QStringLiteral("Display the last"));
    page->BeginRow();
    page->Spin(QStringLiteral("hours"), {}, TimePart(gadget.timeBase, kSecondsPerHour, 0), 0, 23);
    page->AddText(QStringLiteral("hours"));
    page->Spin(QStringLiteral("minutes"), {}, TimePart(gadget.timeBase, kSecondsPerMinute, 60), 0, 59);
    page->AddText(QStringLiteral("minutes"));
    page->Spin(QStringLiteral("seconds"), {}, TimePart(gadget.timeBase, 1, 60), 0, 59);
    page->AddText(QStringLiteral("seconds"));
    page->EndRow();
    page->Check(QStringLiteral("timeGrid"), QStringLiteral("Show grid"), BindFlag(gadget.timeGrid));
    return page;
}

std::unique_ptr<PropertySheet> MakeGraphSheet(QWidget* parent, GraphGadget& gadget, const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Graph"), context);
    sheet->AddPage(MakeDataSourcePage(gadget, 0, QStringLiteral("Data Source 1"), context));
    sheet->AddPage(MakeDataSourcePage(gadget, 1, QStringLiteral("Data Source 2"), context));
    sheet->AddPage(MakeTracePage(gadget, 0));
    sheet->AddPage(MakeTracePage(gadget, 1));
    sheet->AddPage(MakeTimebasePage(gadget));
    const GraphGadget::HistoryKey before = gadget.CurrentHistoryKey();
    sheet->AfterApply([&gadget, before] { gadget.PropertiesApplied(before); });
    return sheet;
}

}  // namespace svu
