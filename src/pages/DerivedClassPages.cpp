#include "pages/DerivedClassPages.h"

#include <array>

#include "derived/ProcessedAbsolute.h"
#include "derived/ProcessedAngleAverage.h"
#include "derived/ProcessedBeaufort.h"
#include "derived/ProcessedChannelRatio.h"
#include "derived/ProcessedCompareFixed.h"
#include "derived/ProcessedCrossWind.h"
#include "derived/ProcessedDew.h"
#include "derived/ProcessedExtreme.h"
#include "derived/ProcessedHeadWind.h"
#include "derived/ProcessedIntegrationDay.h"
#include "derived/ProcessedQFE.h"
#include "derived/ProcessedQNH.h"
#include "derived/ProcessedRollingAverage.h"
#include "derived/ProcessedRollingMaximum.h"
#include "derived/ProcessedScale.h"
#include "derived/ProcessedSectorSpeed.h"
#include "derived/ProcessedSum.h"
#include "derived/ProcessedSunshineHours.h"
#include "derived/ProcessedTimeInSector.h"
#include "derived/ProcessedVapour.h"
#include "derived/ProcessedWetBulb.h"
#include "derived/ProcessedWindTo.h"
#include "pages/DerivedPages.h"
#include "pages/PropertyPage.h"
#include "pages/Sheets.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

using Pages = std::vector<std::unique_ptr<PropertyPage>>;

// ---- The class pages shared by several kinds ----

std::unique_ptr<PropertyPage> TimeSpanPage(int32_t& windowSeconds) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Time span"));
    page->BeginGroup(QStringLiteral("Time span"));
    page->BeginRow();
    page->Integer(QStringLiteral("windowSeconds"), {}, Bind<long long>(windowSeconds), 2, 999999);
    page->AddText(QStringLiteral("Seconds"));
    page->EndRow();
    return page;
}

// The sector page, and with `speedThreshold` the sector and speed page.
std::unique_ptr<PropertyPage> SectorPage(float& from, float& to, float* speedThreshold = nullptr) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Reference"));
    page->BeginGroup(QStringLiteral("Sector"));
    page->BeginRow(QStringLiteral("Clockwise from:"));
    page->Decimal(QStringLiteral("sectorFrom"), {}, Bind<double>(from), 0, 360);
    page->Decimal(QStringLiteral("sectorTo"), QStringLiteral("to"), Bind<double>(to), 0, 360);
    page->AddText(QStringLiteral("degrees"));
    page->EndRow();
    if (speedThreshold != nullptr) {
        page->Decimal(QStringLiteral("speedThreshold"), QStringLiteral("Speeds over:"), Bind<double>(*speedThreshold));
    }
    return page;
}

std::unique_ptr<PropertyPage> HeightPage(const QString& caption, float& height) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Height"));
    page->BeginGroup(caption);
    page->BeginRow();
    page->Decimal(QStringLiteral("height"), {}, Bind<double>(height), -10000, 10000);
    page->AddText(QStringLiteral("m"));
    page->EndRow();
    return page;
}

std::unique_ptr<PropertyPage> ReferenceAnglePage(float& angle) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Reference"));
    page->BeginGroup(QStringLiteral("Reference angle"));
    page->BeginRow();
    page->Decimal(QStringLiteral("referenceAngle"), {}, Bind<double>(angle), 0, 360);
    page->AddText(QStringLiteral("degrees"));
    page->EndRow();
    return page;
}

std::unique_ptr<PropertyPage> CalculationPage(ProcessedScale& scale) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Calculation"));
    page->BeginGroup(QStringLiteral("Formula"));
    page->BeginRow();
    page->AddText(QStringLiteral("output  =  input  \u00d7"));
    page->Decimal(QStringLiteral("gain"), {}, Bind<double>(scale.gain));
    page->Decimal(QStringLiteral("offset"), QStringLiteral("+"), Bind<double>(scale.offset));
    page->EndRow();
    return page;
}

std::unique_ptr<PropertyPage> BeaufortPage(ProcessedBeaufort& beaufort) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Beaufort"));
    page->BeginGroup(QStringLiteral("Display"));
    page->Check(QStringLiteral("textDescription"), QStringLiteral("Text description"),
                BindFlag(beaufort.textDescription));
    return page;
}

std::unique_ptr<PropertyPage> ComparisonPage(ProcessedCompareFixed& compare) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Comparison"));
    page->BeginGroup(QStringLiteral("Comparision"));
    page->Choice(QStringLiteral("operatorIndex"), QStringLiteral("Operator:"),
                 {QStringLiteral("<"), QStringLiteral("<="), QStringLiteral("="), QStringLiteral("<>"),
                  QStringLiteral(">="), QStringLiteral(">")},
                 Bind<long long>(compare.operatorIndex));
    page->Decimal(QStringLiteral("fixedValue"), QStringLiteral("Value:"), Bind<double>(compare.fixedValue));
    return page;
}

std::unique_ptr<PropertyPage> ExtremePage(ProcessedExtreme& extreme) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Extreme"));
    page->BeginGroup(QStringLiteral("Minimum or Maximum"));
    page->Radio(QStringLiteral("maximum"), {QStringLiteral("Minimum"), QStringLiteral("Maximum")},
                {[&extreme] { return extreme.maximum == 1 ? 1LL : 0LL; },
                 [&extreme](const long long& v) { extreme.maximum = static_cast<uint32_t>(v); }});
    return page;
}

std::unique_ptr<PropertyPage> IntegrationReferencePage(ProcessedIntegrationDay& integration) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Reference"));
    page->BeginGroup(QStringLiteral("Reference"));
    page->Radio(QStringLiteral("above"), {QStringLiteral("Above"), QStringLiteral("Below")},
                Bind<long long>(integration.above), {1, 0});
    page->Decimal(QStringLiteral("referenceValue"), QStringLiteral("Value:"), Bind<double>(integration.referenceValue));
    return page;
}

std::unique_ptr<PropertyPage> ThresholdPage(ProcessedSunshineHours& sunshine) {
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Threshold"));
    page->BeginGroup(QStringLiteral("Threshold"));
    page->BeginRow();
    page->Decimal(QStringLiteral("threshold"), {}, Bind<double>(sunshine.threshold), 0, 2000);
    page->AddText(QStringLiteral("W/m\u00b2"));
    page->EndRow();
    return page;
}

// ---- The table: type code to the kind's pages ----

struct Builder {
    const ProcessedData* data;
    const StationPagesContext* context;
    Pages pages;

    void Source(const char* tab, int32_t& reference) {
        pages.push_back(MakeSourcePage(QString::fromUtf8(tab), data->station, reference));
    }
    void Add(std::unique_ptr<PropertyPage> page) { pages.push_back(std::move(page)); }
};

template <class Kind>
using KindPages = void (*)(Kind&, Builder&);

// Each entry casts to its kind once, so the page lists below name fields directly.
template <class Kind, KindPages<Kind> Fill>
void Entry(ProcessedData& data, Builder& b) {
    if (auto* kind = dynamic_cast<Kind*>(&data)) {
        Fill(*kind, b);
    }
}

template <class Kind>
void WindowPages(Kind& k, Builder& b) {
    b.Source("Input", k.sourceChannel);
    b.Add(TimeSpanPage(k.windowSeconds));
}

template <class Kind>
void WindComponentPages(Kind& k, Builder& b) {
    b.Source("Wind direction", k.directionChannel);
    b.Source("Wind speed", k.speedChannel);
    b.Add(ReferenceAnglePage(k.referenceAngle));
}

using EntryFunction = void (*)(ProcessedData&, Builder&);

// In type-code order; the position is the type code.
const std::array<EntryFunction, ProcessedData::kTypeCount> kDerivedPages = {
    Entry<ProcessedScale,
          [](ProcessedScale& k, Builder& b) {
              b.Source("Input", k.sourceChannel);
              b.Add(CalculationPage(k));
          }>,
    Entry<ProcessedExtreme,
          [](ProcessedExtreme& k, Builder& b) {
              b.Source("Input", k.sourceChannel);
              b.Add(ExtremePage(k));
          }>,
    Entry<ProcessedVapour,
          [](ProcessedVapour& k, Builder& b) {
              b.Source("Temperature (\u00b0C)", k.temperatureChannel);
              b.Source("Relative humidity (%)", k.humidityChannel);
          }>,
    Entry<ProcessedDew, [](ProcessedDew& k, Builder& b) { b.Source("Vapour pressure (mb)", k.vapourChannel); }>,
    Entry<ProcessedIntegrationDay,
          [](ProcessedIntegrationDay& k, Builder& b) {
              b.Source("Input", k.sourceChannel);
              b.Add(IntegrationReferencePage(k));
          }>,
    Entry<ProcessedRollingAverage, WindowPages<ProcessedRollingAverage>>,
    Entry<ProcessedAngleAverage, WindowPages<ProcessedAngleAverage>>,
    Entry<ProcessedCrossWind, WindComponentPages<ProcessedCrossWind>>,
    Entry<ProcessedWindTo, [](ProcessedWindTo& k, Builder& b) { b.Source("Wind direction", k.sourceChannel); }>,
    Entry<ProcessedSum, [](ProcessedSum& k, Builder& b) { b.Add(MakeSumPage(k)); }>,
    Entry<ProcessedSectorSpeed,
          [](ProcessedSectorSpeed& k, Builder& b) {
              b.Source("Wind direction", k.directionChannel);
              b.Source("Wind speed", k.speedChannel);
              b.Add(SectorPage(k.sectorFrom, k.sectorTo, &k.speedThreshold));
          }>,
    Entry<ProcessedCompareFixed,
          [](ProcessedCompareFixed& k, Builder& b) {
              b.Source("Input", k.sourceChannel);
              b.Add(ComparisonPage(k));
          }>,
    Entry<ProcessedTimeInSector,
          [](ProcessedTimeInSector& k, Builder& b) {
              b.Source("Wind direction", k.directionChannel);
              b.Add(SectorPage(k.sectorFrom, k.sectorTo));
              b.Add(TimeSpanPage(k.windowSeconds));
          }>,
    Entry<ProcessedChannelRatio,
          [](ProcessedChannelRatio& k, Builder& b) {
              b.Source("Local channel", k.numeratorChannel);
              b.Add(MakeRemoteChannelPage(k, b.context->stations));
          }>,
    Entry<ProcessedRollingMaximum, WindowPages<ProcessedRollingMaximum>>,
    Entry<ProcessedSunshineHours,
          [](ProcessedSunshineHours& k, Builder& b) {
              b.Source("Input", k.sourceChannel);
              b.Add(ThresholdPage(k));
          }>,
    Entry<ProcessedWetBulb,
          [](ProcessedWetBulb& k, Builder& b) {
              b.Source("Air Temperature (\u00b0C)", k.temperatureChannel);
              b.Source("Relative Humidity", k.humidityChannel);
              b.Source("Air Pressure (mb)", k.pressureChannel);
          }>,
    Entry<ProcessedBeaufort,
          [](ProcessedBeaufort& k, Builder& b) {
              b.Source("Wind speed (m/s)", k.sourceChannel);
              b.Add(BeaufortPage(k));
          }>,
    Entry<ProcessedHeadWind, WindComponentPages<ProcessedHeadWind>>,
    Entry<ProcessedAbsolute, [](ProcessedAbsolute& k, Builder& b) { b.Source("Input channel", k.sourceChannel); }>,
    Entry<ProcessedQFE,
          [](ProcessedQFE& k, Builder& b) {
              b.Source("Air pressure (mb)", k.pressureChannel);
              b.Source("Temperature (\u00b0C)", k.temperatureChannel);
              b.Add(HeightPage(QStringLiteral("Sensor height above runway"), k.sensorHeight));
          }>,
    Entry<ProcessedQNH,
          [](ProcessedQNH& k, Builder& b) {
              b.Source("QFE (mb)", k.sourceChannel);
              b.Add(HeightPage(QStringLiteral("Runway height"), k.runwayHeight));
          }>,
};

}  // namespace

std::vector<std::unique_ptr<PropertyPage>> MakeDerivedClassPages(ProcessedData& data,
                                                                 const StationPagesContext& context) {
    Builder builder{&data, &context, {}};
    if (data.typeCode < kDerivedPages.size()) {
        kDerivedPages[data.typeCode](data, builder);
    }
    return std::move(builder.pages);
}

}  // namespace svu
