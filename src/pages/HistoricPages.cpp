#include "pages/HistoricPages.h"

#include "pages/GadgetPages.h"
#include "pages/PropertySheet.h"

namespace svu {

namespace {

constexpr long long kCoordinateLimit = 32000;

QStringList NameList(const std::vector<std::string>& names) {
    QStringList list;
    for (const std::string& name : names) {
        list << ToQt(name);
    }
    return list;
}

Accessor<long long> ChannelAccess(int& channel) {
    return {[&channel] { return static_cast<long long>(channel); },
            [&channel](const long long& v) { channel = static_cast<int>(v); }};
}

template <class Enum>
Accessor<long long> EnumAccess(Enum& value) {
    return {[&value] { return static_cast<long long>(value); },
            [&value](const long long& v) { value = static_cast<Enum>(v); }};
}

std::unique_ptr<PropertyPage> MakeHistoricTracePage(const std::vector<std::string>& names, HistoricTrace& trace,
                                                    int which) {
    auto page = std::make_unique<GadgetPage>(QStringLiteral("Trace %1").arg(which + 1));
    page->BeginGroup(QStringLiteral("Data channel"));
    page->NameList(QStringLiteral("channel"), QStringLiteral("Channel:"), NameList(names),
                   ChannelAccess(trace.channel));
    page->Check(QStringLiteral("windDirection"), QStringLiteral("Wind Direction"), Bind<bool>(trace.windDirection));
    CheckField& autoRange =
        page->Check(QStringLiteral("autoRange"), QStringLiteral("Auto Y range"), Bind<bool>(trace.autoRange));
    page->BeginGroup(QStringLiteral("Manual Y range"));
    DecimalField& minimum =
        page->Decimal(QStringLiteral("minimum"), QStringLiteral("Minimum:"), Bind<double>(trace.minimum));
    DecimalField& maximum =
        page->Decimal(QStringLiteral("maximum"), QStringLiteral("Maximum:"), Bind<double>(trace.maximum));
    page->EnableWhen({&minimum, &maximum}, [&autoRange] { return !autoRange.Checked(); });
    page->BeginGroup(QStringLiteral("Line"));
    page->BeginRow();
    page->ColourChooser(QStringLiteral("colour"), {}, trace.colour);
    page->EndRow();
    page->AddStretch();
    page->AfterStore([&trace, &names] {
        trace.channelName = trace.channel >= 0 && static_cast<std::size_t>(trace.channel) < names.size()
                                ? names[static_cast<std::size_t>(trace.channel)]
                                : std::string();
    });
    return page;
}

}  // namespace

std::unique_ptr<PropertySheet> MakeHistoricGraphSheet(QWidget* parent, const std::vector<std::string>& channelNames,
                                                      std::array<HistoricTrace, 2>& traces) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Properties - Historical graph"));
    sheet->AddPage(MakeHistoricTracePage(channelNames, traces[0], 0));
    sheet->AddPage(MakeHistoricTracePage(channelNames, traces[1], 1));
    return sheet;
}

bool EditHistoricTraces(QWidget* parent, const std::vector<std::string>& channelNames,
                        std::array<HistoricTrace, 2>& traces) {
    std::array<HistoricTrace, 2> edited = traces;
    auto sheet = MakeHistoricGraphSheet(parent, channelNames, edited);
    if (sheet->Run() != 1) {
        return false;
    }
    traces = edited;
    return true;
}

std::unique_ptr<PropertySheet> MakeHistoricWindroseSheet(QWidget* parent, const std::vector<std::string>& channelNames,
                                                         RoseSettings& settings, RoseDrawing& drawing) {
    auto sheet = std::make_unique<PropertySheet>(parent, QStringLiteral("Properties - Historical windrose"));
    const QStringList names = NameList(channelNames);

    auto data = std::make_unique<GadgetPage>(QStringLiteral("Data"));
    data->BeginGroup(QStringLiteral("Wind speed"));
    data->NameList(QStringLiteral("speedChannel"), {}, names, ChannelAccess(settings.speedChannel));
    data->BeginGroup(QStringLiteral("Wind direction"));
    data->NameList(QStringLiteral("directionChannel"), {}, names, ChannelAccess(settings.directionChannel));
    data->AddStretch();
    sheet->AddPage(std::move(data));

    auto rose = std::make_unique<GadgetPage>(QStringLiteral("Rose"));
    rose->BeginGroup(QStringLiteral("Rose"));
    rose->Integer(QStringLiteral("originX"), QStringLiteral("Origin X:"), Bind<long long>(drawing.originX),
                  -kCoordinateLimit, kCoordinateLimit);
    rose->Integer(QStringLiteral("originY"), QStringLiteral("Origin Y:"), Bind<long long>(drawing.originY),
                  -kCoordinateLimit, kCoordinateLimit);
    rose->Integer(QStringLiteral("radius"), QStringLiteral("Radius:"), Bind<long long>(drawing.radius), 1,
                  kCoordinateLimit);
    rose->Integer(QStringLiteral("step"), QStringLiteral("Step:"), Bind<long long>(drawing.step), 1, kCoordinateLimit);
    rose->BeginRow();
    rose->ColourChooser(QStringLiteral("roseColour"), {}, drawing.roseColour);
    rose->EndRow();
    rose->BeginGroup(QStringLiteral("Fill"));
    rose->BeginRow();
    rose->ColourChooser(QStringLiteral("fillColour"), {}, drawing.fillColour);
    rose->EndRow();
    rose->AddStretch();
    sheet->AddPage(std::move(rose));

    auto table = std::make_unique<GadgetPage>(QStringLiteral("Table"));
    table->BeginGroup(QStringLiteral("Display"));
    table->Check(QStringLiteral("displayTable"), QStringLiteral("Display table"), Bind<bool>(drawing.displayTable));
    table->BeginGroup(QStringLiteral("Speed"));
    QStringList readAs;
    QStringList displayAs;
    for (int u = 0; u < 4; ++u) {
        readAs << QString::fromLatin1(RoseSpeedUnitName(static_cast<RoseSpeedUnit>(u)));
        displayAs << QString::fromLatin1(RoseRunUnitChoice(static_cast<RoseRunUnit>(u)));
    }
    table->Choice(QStringLiteral("readAs"), QStringLiteral("Read as:"), readAs, EnumAccess(settings.readAs));
    table->Choice(QStringLiteral("displayAs"), QStringLiteral("Display as:"), displayAs,
                  EnumAccess(settings.displayAs));
    table->AddStretch();
    sheet->AddPage(std::move(table));

    auto bitmap = std::make_unique<GadgetPage>(QStringLiteral("Bitmap"));
    bitmap->BeginGroup(QStringLiteral("Bitmap details"));
    bitmap->Check(QStringLiteral("displayBitmap"), QStringLiteral("Display bitmap"), Bind<bool>(drawing.displayBitmap));
    bitmap->Path(QStringLiteral("bitmapFile"), QStringLiteral("File name:"), Bind<std::string>(drawing.bitmapFile),
                 PathField::Kind::OpenFile, QStringLiteral("Bitmap"),
                 "Bitmap Files (*.bmp;*.dib)|*.bmp;*.dib|All Files (*.*)|*.*||");
    bitmap->AddStretch();
    sheet->AddPage(std::move(bitmap));
    return sheet;
}

bool EditHistoricWindrose(QWidget* parent, const std::vector<std::string>& channelNames, RoseSettings& settings,
                          RoseDrawing& drawing) {
    RoseSettings editedSettings = settings;
    RoseDrawing editedDrawing = drawing;
    auto sheet = MakeHistoricWindroseSheet(parent, channelNames, editedSettings, editedDrawing);
    if (sheet->Run() != 1) {
        return false;
    }
    settings = editedSettings;
    drawing = editedDrawing;
    return true;
}

}  // namespace svu
