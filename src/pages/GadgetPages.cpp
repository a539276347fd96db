#include "pages/GadgetPages.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "framework/TextUtil.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/Gadget.h"
#include "pages/DerivedPages.h"
#include "pages/PropertySheet.h"
#include "pages/Sheets.h"
#include "pages/StationChannelPage.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

constexpr int kSwatchWidth = 40;
constexpr int kSwatchHeight = 20;
constexpr int kFileNameWidth = 260;
constexpr int kMaxCopyNumber = 100000;
const char* const kBitmapFilter = "Bitmap Files (*.bmp;*.dib)|*.bmp;*.dib|All Files (*.*)|*.*||";

GadgetSheetContext& SheetContext() {
    static GadgetSheetContext context;
    return context;
}

QLabel* MakeSwatch(const QString& objectName) {
    auto* swatch = new QLabel;
    swatch->setObjectName(objectName);
    swatch->setFixedSize(kSwatchWidth, kSwatchHeight);
    swatch->setFrameShape(QFrame::Box);
    swatch->setAutoFillBackground(true);
    return swatch;
}

void PaintSwatch(QLabel* swatch, uint32_t colour) {
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, ColourFromRef(colour));
    swatch->setPalette(palette);
}

// The font dialog with effects: the font, and the colour the text is drawn in.
class FontAndColourDialog : public QDialog {
public:
    FontAndColourDialog(QWidget* parent, const QFont& font, const QColor& colour)
        : QDialog(parent), fonts_(new QFontDialog(font, this)), colour_(colour), swatch_(MakeSwatch({})) {
        setWindowTitle(QStringLiteral("Font"));
        fonts_->setWindowFlags(Qt::Widget);
        fonts_->setOptions(QFontDialog::NoButtons);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(fonts_);
        auto* row = new QHBoxLayout;
        auto* choose = new QPushButton(QStringLiteral("Colour..."));
        row->addWidget(new QLabel(QStringLiteral("Colour:")));
        row->addWidget(swatch_);
        row->addWidget(choose);
        row->addStretch();
        layout->addLayout(row);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        layout->addWidget(buttons);
        PaintSwatch(swatch_, RefFromColour(colour_));
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        connect(choose, &QPushButton::clicked, this, [this] {
            const QColor chosen = QColorDialog::getColor(colour_, this);
            if (chosen.isValid()) {
                colour_ = chosen;
                PaintSwatch(swatch_, RefFromColour(colour_));
            }
        });
    }

    QFont Font() const { return fonts_->currentFont(); }
    QColor Colour() const { return colour_; }

private:
    QFontDialog* fonts_;
    QColor colour_;
    QLabel* swatch_;
};

class QtGadgetPrompter : public GadgetPrompter {
public:
    bool AskColour(QWidget* parent, QColor& colour) override {
        const QColor chosen = QColorDialog::getColor(colour, parent);
        if (!chosen.isValid()) {
            return false;
        }
        colour = chosen;
        return true;
    }
    bool AskFont(QWidget* parent, QFont& font, QColor& colour) override {
        FontAndColourDialog dialog(parent, font, colour);
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
        font = dialog.Font();
        colour = dialog.Colour();
        return true;
    }
};

GadgetPrompter*& PrompterSlot() {
    static GadgetPrompter* prompter = nullptr;
    return prompter;
}

QStringList PageNames(const GadgetSheetContext& context) {
    QStringList names;
    for (int page = 1; page <= 8; ++page) {
        names << (context.pageNames != nullptr ? ToQt((*context.pageNames)[static_cast<size_t>(page - 1)])
                                               : QStringLiteral("Page %1").arg(page));
    }
    return names;
}

// "Basic": what every kind shares.
class BasicPage : public GadgetPage {
public:
    BasicPage(Gadget& gadget, const GadgetSheetContext& context)
        : GadgetPage(QStringLiteral("Basic")), gadget_(gadget) {
        BeginGroup(QStringLiteral("Captions"));
        Text(QStringLiteral("topLeftText"), QStringLiteral("Top left text:"), Bind<std::string>(gadget.topLeftText));
        Text(QStringLiteral("bottomRightText"), QStringLiteral("Bottom right text:"),
             Bind<std::string>(gadget.bottomRightText));
        BeginGroup(QStringLiteral("Fonts"));
        BeginRow();
        QPushButton* main = AddButton(QStringLiteral("Main font..."), QStringLiteral("mainFont"),
                                      [this] { AskFont(mainFont_, mainColour_); });
        AddButton(QStringLiteral("Aux. font..."), QStringLiteral("auxFont"), [this] { AskFont(auxFont_, auxColour_); });
        EndRow();
        main->setEnabled(gadget.UsesMainFont());
        BeginGroup(QStringLiteral("Border"));
        QStringList styles;
        for (const char* name : BorderStyleNames()) {
            styles << QString::fromLatin1(name);
        }
        Choice(QStringLiteral("borderStyle"), QStringLiteral("Style:"), styles, Bind<long long>(gadget.borderStyle));
        BeginGroup(QStringLiteral("Background"));
        BeginRow();
        ColourChooser(QStringLiteral("backgroundColour"), {}, gadget.backgroundColour);
        EndRow();
        BeginGroup(QStringLiteral("Display page"));
        Choice(QStringLiteral("displayPage"), {}, PageNames(context),
               {[&gadget] { return static_cast<long long>(gadget.page - 1); },
                [&gadget](const long long& v) { gadget.page = static_cast<int32_t>(v + 1); }});
    }

    void Load() override {
        mainFont_ = gadget_.mainFont;
        mainColour_ = gadget_.mainColour;
        auxFont_ = gadget_.auxFont;
        auxColour_ = gadget_.auxColour;
        GadgetPage::Load();
    }

    void Store() override {
        GadgetPage::Store();
        gadget_.mainFont = mainFont_;
        gadget_.mainColour = mainColour_;
        gadget_.auxFont = auxFont_;
        gadget_.auxColour = auxColour_;
    }

private:
    void AskFont(GadgetFont& font, uint32_t& colour) {
        QFont qfont = font.ToQFont();
        QColor qcolour = ColourFromRef(colour);
        if (!CurrentGadgetPrompter().AskFont(this, qfont, qcolour)) {
            return;
        }
        const uint8_t charSet = font.charSet;  // Qt has no character sets; keep what the file held
        font = GadgetFont::FromQFont(qfont);
        font.charSet = charSet;
        colour = RefFromColour(qcolour);
    }

    Gadget& gadget_;
    GadgetFont mainFont_;
    uint32_t mainColour_ = 0;
    GadgetFont auxFont_;
    uint32_t auxColour_ = 0;
};

// `DataProperties`: a station of the program and one of its channels.
class DataSourcePage : public StationChannelPage {
public:
    DataSourcePage(Gadget& gadget, int which, const QString& caption, const GadgetSheetContext& context)
        : StationChannelPage(caption.isEmpty() ? QStringLiteral("Data source") : caption, QStringLiteral("dataChannel"),
                             context.stations),
          gadget_(gadget),
          which_(which) {
        setObjectName(QStringLiteral("dataSource%1").arg(which + 1));
    }

    void Load() override {
        const GadgetSource& source = gadget_.Source(which_);
        Select(source.station, source.channel - 1);
        PropertyPage::Load();
    }

    void Store() override {
        PropertyPage::Store();
        const GadgetSource& source = gadget_.Source(which_);
        WeatherStation* station = ChosenStation();
        if (station == nullptr) {
            if (source.station != nullptr) {
                gadget_.SetSource(which_, nullptr, -1);
            }
            return;
        }
        const int c = ChosenChannel();
        const int32_t channel = c >= 0 ? c + 1 : -1;
        if (station != source.station || channel != source.channel) {
            gadget_.SetSource(which_, station, channel);
        }
    }

private:
    Gadget& gadget_;
    int which_;
};

// Splits a path at its last separator (either kind, as names typed on Windows may come along).
void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    const size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) {
        folder.clear();
        name = path;
        return;
    }
    folder = path.substr(0, cut);
    name = path.substr(cut + 1);
}

std::string ComparableFolder(const std::string& folder) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec);
    std::string text = p.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

}  // namespace

// ---- Context and prompter ----

void SetGadgetSheetContext(GadgetSheetContext context) {
    SheetContext() = std::move(context);
}

const GadgetSheetContext& CurrentGadgetSheetContext() {
    return SheetContext();
}

GadgetPrompter* SetGadgetPrompter(GadgetPrompter* prompter) {
    GadgetPrompter* previous = PrompterSlot();
    PrompterSlot() = prompter;
    return previous;
}

GadgetPrompter& CurrentGadgetPrompter() {
    static QtGadgetPrompter qtPrompter;
    return PrompterSlot() != nullptr ? *PrompterSlot() : qtPrompter;
}

// ---- GadgetPage ----

struct GadgetPage::Chooser {
    QString name;
    uint32_t* target = nullptr;
    uint32_t pending = 0;
    QLabel* swatch = nullptr;
};

GadgetPage::GadgetPage(const QString& tabName) : PropertyPage(tabName) {}

GadgetPage::~GadgetPage() = default;

QPushButton* GadgetPage::ColourChooser(const QString& objectName, const QString& label, uint32_t& colour) {
    auto chooser = std::make_unique<Chooser>();
    Chooser* c = chooser.get();
    c->name = objectName;
    c->target = &colour;
    c->pending = colour;
    c->swatch = MakeSwatch(objectName + QStringLiteral("Swatch"));
    PaintSwatch(c->swatch, c->pending);
    choosers_.push_back(std::move(chooser));
    if (!label.isEmpty()) {
        AddText(label);
    }
    AddWidget(c->swatch);
    return AddButton(QStringLiteral("Colour..."), objectName, [this, c] {
        QColor colour = ColourFromRef(c->pending);
        if (CurrentGadgetPrompter().AskColour(this, colour)) {
            c->pending = RefFromColour(colour);
            PaintSwatch(c->swatch, c->pending);
        }
    });
}

uint32_t GadgetPage::PendingColour(const QString& objectName) const {
    for (const auto& c : choosers_) {
        if (c->name == objectName) {
            return c->pending;
        }
    }
    return 0;
}

void GadgetPage::Load() {
    for (const auto& c : choosers_) {
        c->pending = *c->target;
        PaintSwatch(c->swatch, c->pending);
    }
    PropertyPage::Load();
}

void GadgetPage::Store() {
    for (const auto& c : choosers_) {
        *c->target = c->pending;
    }
    PropertyPage::Store();
}

// ---- Shared pages ----

std::unique_ptr<PropertyPage> MakeBasicPage(Gadget& gadget, const GadgetSheetContext& context) {
    return std::make_unique<BasicPage>(gadget, context);
}

std::unique_ptr<PropertyPage> MakeDataSourcePage(Gadget& gadget, int which, const QString& caption,
                                                 const GadgetSheetContext& context) {
    return std::make_unique<DataSourcePage>(gadget, which == 0 ? 0 : 1, caption, context);
}

// ---- BitmapProperties ----

BitmapProperties::BitmapProperties(Gadget& gadget, const GadgetSheetContext& context, bool resizesItself)
    : GadgetPage(QStringLiteral("Bitmap")),
      gadget_(gadget),
      context_(context),
      resizesItself_(resizesItself),
      fileName_(new QLabel),
      resize_(new QCheckBox(QStringLiteral("Re-size to bitmap"))) {
    fileName_->setObjectName(QStringLiteral("fileName"));
    fileName_->setMinimumWidth(kFileNameWidth);
    fileName_->setFrameShape(QFrame::StyledPanel);
    resize_->setObjectName(QStringLiteral("resizeToBitmap"));
    BeginGroup(QStringLiteral("Bitmap"));
    AddWidget(fileName_, QStringLiteral("File name:"));
    BeginRow();
    AddButton(QStringLiteral("&Browse..."), QStringLiteral("browse"), [this] {
        const QString chosen =
            CurrentPathPrompter().AskFile(this, QStringLiteral("Open"), QtFileFilter(kBitmapFilter), path_, false);
        if (!chosen.isEmpty() && QFileInfo::exists(chosen)) {
            Choose(chosen);
        }
    });
    AddButton(QStringLiteral("Clear"), QStringLiteral("clear"), [this] { Choose(QString()); });
    EndRow();
    AddWidget(resize_);
}

void BitmapProperties::Choose(const QString& path) {
    if (path != path_) {
        path_ = path;
        changed_ = true;
    }
    ShowPath();
}

void BitmapProperties::ShowPath() {
    fileName_->setToolTip(path_);
    fileName_->setText(QFontMetrics(fileName_->font()).elidedText(path_, Qt::ElideMiddle, kFileNameWidth - 8));
}

void BitmapProperties::Load() {
    path_ = ToQt(gadget_.bitmapFile);
    changed_ = false;
    resize_->setChecked(false);
    ShowPath();
    GadgetPage::Load();
}

void BitmapProperties::Store() {
    GadgetPage::Store();
    resizeRequested_ = resize_->isChecked();
    bool modified = false;
    if (changed_ && !path_.isEmpty()) {
        const std::string name = CopyBitmapIntoFolder(FromQt(path_), GadgetBitmapFolder());
        if (name != gadget_.bitmapFile) {
            gadget_.bitmapFile = name;
            LoadGadgetBitmap(gadget_);
            modified = true;
        }
    } else if (changed_ && !gadget_.bitmapFile.empty()) {
        gadget_.bitmapFile.clear();
        gadget_.bitmap.Free();
        modified = true;
    }
    changed_ = false;
    if (modified && context_.documentModified) {
        context_.documentModified();
    }
    // Without a picture there is nothing to size to; the item keeps its size.
    if (resizeRequested_ && !resizesItself_ && !gadget_.bitmap.IsEmpty()) {
        gadget_.rect[2] = gadget_.rect[0] + static_cast<int32_t>(gadget_.bitmap.Width()) + 2 * kGadgetFrameWidth;
        gadget_.rect[3] = gadget_.rect[1] + static_cast<int32_t>(gadget_.bitmap.Height()) + 2 * kGadgetFrameWidth;
    }
}

std::string CopyBitmapIntoFolder(const std::string& path, const std::string& folder) {
    std::string from;
    std::string name;
    SplitPath(path, from, name);
    if (from.empty() && path.find_first_of("/\\") == std::string::npos) {
        return name;  // a plain name already stands for a file of the program folder
    }
    const std::string target = folder.empty() ? QDir::currentPath().toStdString() : folder;
    if (EqualsNoCase(ComparableFolder(from.empty() ? "/" : from), ComparableFolder(target))) {
        return name;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string chosen = name;
    if (fs::exists(fs::path(target) / chosen, ec)) {
        const size_t dot = name.find_last_of('.');
        const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
        const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
        for (int i = 1; i <= kMaxCopyNumber; ++i) {
            chosen = FormatC("%s(%i)%s", stem.c_str(), i, extension.c_str());
            if (!fs::exists(fs::path(target) / chosen, ec)) {
                break;
            }
        }
    }
    // A failed copy still names the file; the load that follows fails and the item shows its colour.
    fs::copy_file(path, fs::path(target) / chosen, fs::copy_options::none, ec);
    return chosen;
}

// ---- Sheets ----

std::unique_ptr<PropertySheet> MakeGadgetSheet(QWidget* parent, Gadget& gadget, const QString& caption,
                                               const GadgetSheetContext& context) {
    auto sheet = std::make_unique<PropertySheet>(parent, caption, context.ui);
    sheet->AddPage(MakeBasicPage(gadget, context));
    return sheet;
}

std::unique_ptr<PropertySheet> MakeBasicSheet(QWidget* parent, Gadget& gadget, const GadgetSheetContext& context) {
    return MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Basic"), context);
}

std::unique_ptr<PropertySheet> MakeTextSheet(QWidget* parent, Gadget& textGadget, std::string& text,
                                             const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, textGadget, QStringLiteral("Properties - Text"), context);
    auto page = std::make_unique<PropertyPage>(QStringLiteral("Extended"));
    page->BeginGroup(QStringLiteral("Text"));
    page->Text(QStringLiteral("text"), QStringLiteral("Text:"), Bind<std::string>(text));
    sheet->AddPage(std::move(page));
    return sheet;
}

std::unique_ptr<PropertySheet> MakeBitmapSheet(QWidget* parent, Gadget& gadget, const GadgetSheetContext& context) {
    auto sheet = MakeGadgetSheet(parent, gadget, QStringLiteral("Properties - Bitmap"), context);
    sheet->AddPage(std::make_unique<BitmapProperties>(gadget, context));
    return sheet;
}

bool RunGadgetSheet(PropertySheet& sheet) {
    return sheet.Run() == kSheetOk;
}

}  // namespace svu
