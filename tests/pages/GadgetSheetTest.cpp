#include <QListWidget>
#include <QPushButton>
#include <filesystem>

#include "framework/RecordingUserInterface.h"
#include "framework/TempDir.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/Dib.h"
#include "gadgets/MultiStateGadget.h"
#include "gadgets/MultiTextGadget.h"
#include "gadgets/ValueGadget.h"
#include "pages/GadgetPages.h"
#include "pages/PagesTestSupport.h"
#include "pages/StatePages.h"
#include "pages/ValuePages.h"

namespace svu {
namespace {

// Answers "&Browse...", "Colour..." and the font buttons without dialogs.
class Prompter : public PathPrompter, public GadgetPrompter {
public:
    QString AskFile(QWidget*, const QString&, const QString&, const QString&, bool) override { return file; }
    QString AskFolder(QWidget*, const QString&, const QString&) override { return {}; }
    bool AskColour(QWidget*, QColor& colour) override {
        colour = this->colour;
        return true;
    }
    bool AskFont(QWidget*, QFont& font, QColor& colour) override {
        font = QFont(QStringLiteral("Courier"));
        font.setPixelSize(30);
        font.setBold(true);
        colour = this->colour;
        return true;
    }

    QString file;
    QColor colour = Qt::blue;
};

class GadgetSheetTest : public ::testing::Test {
protected:
    void SetUp() override {
        stations.push_back(test::MakeStation({"Temp", "Wind", "Rain"}));
        context.stations = &stations;
        context.ui = &ui;
        context.documentModified = [this] { ++modified; };
        previousPath = SetPathPrompter(&prompter);
        previousGadget = SetGadgetPrompter(&prompter);
        SetGadgetBitmapFolder(program.Path().string());
    }
    void TearDown() override {
        SetPathPrompter(previousPath);
        SetGadgetPrompter(previousGadget);
        SetGadgetBitmapFolder({});
    }

    std::vector<std::unique_ptr<WeatherStation>> stations;
    GadgetSheetContext context;
    test::RecordingUserInterface ui;
    Prompter prompter;
    PathPrompter* previousPath = nullptr;
    GadgetPrompter* previousGadget = nullptr;
    test::TempDir program;
    test::TempDir elsewhere;
    int modified = 0;
};

TEST_F(GadgetSheetTest, ValueSheetEditsLookSourceAndFormat) {
    ValueGadget g;
    auto sheet = MakeValueSheet(nullptr, g, context);
    sheet->show();
    EXPECT_EQ(sheet->windowTitle(), "Properties - Value");
    EXPECT_EQ(test::TabNames(*sheet), (QStringList{"Basic", "Data source", "Format"}));

    QWidget* basic = test::Page(*sheet, "Basic");
    test::Type(basic, "topLeftText", "Outside");
    test::Choose(basic, "displayPage", "Page 3");
    test::Choose(basic, "borderStyle", "Embossed");
    test::Click(basic, "backgroundColour");
    test::Click(basic, "mainFont");
    QWidget* source = test::Page(*sheet, "Data source");
    EXPECT_FALSE(test::Find<QWidget>(source, "dataChannel")->isEnabled());
    test::Choose(source, "aws", "Hilltop");
    test::Choose(source, "dataChannel", "Wind");
    QWidget* format = test::Page(*sheet, "Format");
    EXPECT_FALSE(test::Find<QWidget>(format, "width")->isEnabled());  // raw data is not formatted
    test::Find<QAbstractButton>(format, "raw")->setChecked(false);
    test::Type(format, "width", "21");
    test::ClickOk(sheet.get());
    EXPECT_EQ(ui.Messages().back().text, "Please enter an integer between 1 and 20.");
    EXPECT_EQ(g.width, 8);  // nothing written while a page refuses

    test::Type(format, "width", "1");
    test::Type(format, "precision", "0");
    test::Find<QAbstractButton>(format, "signed")->setChecked(true);
    test::ClickOk(sheet.get());
    EXPECT_EQ(g.raw, 0);
    EXPECT_EQ(g.width, 1);
    EXPECT_EQ(g.precision, 0);
    EXPECT_EQ(g.showSign, 1);
    EXPECT_EQ(g.source1.station, stations[0].get());
    EXPECT_EQ(g.source1.channel, 2);
    EXPECT_EQ(g.topLeftText, "Outside");
    EXPECT_EQ(g.page, 3);
    EXPECT_EQ(g.borderStyle, 5);
    EXPECT_EQ(g.backgroundColour, 0xFF0000u);  // blue as a COLORREF
    EXPECT_EQ(g.mainFont.faceName, "Courier");
    EXPECT_EQ(g.mainFont.height, -30);
    EXPECT_EQ(g.mainFont.weight, 700);
    EXPECT_EQ(g.mainColour, 0xFF0000u);

    // Opened again the sheet shows the source; no station chosen clears it.
    auto again = MakeValueSheet(nullptr, g, context);
    EXPECT_EQ(test::Find<QComboBox>(again.get(), "dataChannel")->currentText(), "Wind");
    test::Find<QComboBox>(again.get(), "aws")->setCurrentIndex(-1);
    test::ClickOk(again.get());
    EXPECT_EQ(g.source1.station, nullptr);
    EXPECT_EQ(g.source1.channel, -1);
}

TEST_F(GadgetSheetTest, MultiStateSheetCopiesItsPictureAndSizesToOneImage) {
    const std::string strip = elsewhere.File("lamp.bmp");
    QImage image(30, 12, QImage::Format_RGB32);
    image.fill(Qt::green);
    Dib dib;
    ASSERT_TRUE(dib.SetImage(image) && dib.Save(strip));
    prompter.file = QString::fromStdString(strip);

    MultiStateGadget g;
    g.rect = {100, 50, 300, 150};
    auto sheet = MakeMultiStateSheet(nullptr, g, context);
    sheet->show();
    EXPECT_EQ(sheet->windowTitle(), "Properties - Multistate bitmap");
    EXPECT_EQ(test::TabNames(*sheet), (QStringList{"Basic", "Bitmap", "Data source", "States"}));
    EXPECT_FALSE(test::Find<QWidget>(test::Page(*sheet, "Basic"), "mainFont")->isEnabled());
    QWidget* bitmap = test::Page(*sheet, "Bitmap");
    test::Click(bitmap, "browse");
    test::Find<QAbstractButton>(bitmap, "resizeToBitmap")->setChecked(true);
    QWidget* states = test::Page(*sheet, "States");
    test::ClickOk(sheet.get());  // the number of images has never been set
    EXPECT_EQ(ui.Messages().back().text, "Please enter an integer between 2 and 99.");
    test::Type(states, "imageCount", "3");
    test::Type(states, "switchingPoints", "1,2,,3");
    test::ClickOk(sheet.get());

    EXPECT_EQ(g.imageCount, 3);
    EXPECT_EQ(g.switchingPoints, (std::vector<float>{1, 2, 0, 3}));
    EXPECT_EQ(g.bitmapFile, "lamp.bmp");
    EXPECT_TRUE(std::filesystem::exists(program.File("lamp.bmp")));
    EXPECT_EQ(g.bitmap.Width(), 30u);
    EXPECT_EQ(modified, 1);
    EXPECT_EQ(g.rect, (std::array<int32_t, 4>{100, 50, 100 + 10 + 6, 50 + 12 + 6}));

    // "Clear" forgets the picture.
    auto again = MakeMultiStateSheet(nullptr, g, context);
    EXPECT_EQ(test::TextOf(test::Page(*again, "States"), "switchingPoints"), "1,2,0,3");
    test::Click(test::Page(*again, "Bitmap"), "clear");
    test::ClickOk(again.get());
    EXPECT_EQ(g.bitmapFile, "");
    EXPECT_TRUE(g.bitmap.IsEmpty());
    EXPECT_EQ(modified, 2);
}

TEST_F(GadgetSheetTest, MultiTextPageKeepsItsPairsAscending) {
    MultiTextGadget g;
    auto sheet = MakeMultiTextSheet(nullptr, g, context);
    sheet->show();
    EXPECT_EQ(sheet->windowTitle(), "Properties - Multistate text");
    QWidget* page = test::Page(*sheet, "Text");
    auto add = [&](const char* value, const char* text) {
        test::Type(page, "value", QString::fromLatin1(value));
        test::Type(page, "text", QString::fromLatin1(text));
        test::Click(page, "add");
    };
    add("20", "Mid");
    add("10", "Low");
    add("20", "Mid too");
    add("30", "");  // both halves are needed
    auto* list = test::Find<QListWidget>(page, "pairs");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), "10\tLow");
    EXPECT_EQ(list->item(2)->text(), "20\tMid too");
    list->clearSelection();
    list->setCurrentRow(-1);
    EXPECT_FALSE(test::Find<QWidget>(page, "delete")->isEnabled());
    list->setCurrentRow(1);
    test::Click(page, "delete");
    test::ClickOk(sheet.get());
    EXPECT_EQ(g.switchingPoints, (std::vector<float>{10, 20}));
    EXPECT_EQ(g.texts, (std::vector<std::string>{"Low", "Mid too"}));
}

}  // namespace
}  // namespace svu
