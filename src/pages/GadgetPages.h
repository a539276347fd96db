#pragma once

// The pages that display items' property sheets share: "Basic" (captions, fonts, border style,
// background colour, display page), "Data source" (a station and one of its channels) and
// "Bitmap" (a picture file, copied into the program folder), the colour buttons with their
// swatches, and what the sheets need from the program around them.
//
// A kind's sheet is built as
//     auto sheet = MakeGadgetSheet(parent, gadget, "Properties - Value", context);   // + "Basic"
//     sheet->AddPage(MakeDataSourcePage(gadget, 0, {}, context));
//     sheet->AddPage(...the kind's own pages...);
//     return sheet;
// and GadgetSheetRegistry lists it under the kind's type code.

#include <QColor>
#include <QFont>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/PropertyPage.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QWidget;

namespace svu {

class Gadget;
class PropertySheet;
class UserInterface;
class WeatherStation;

/// What a display item's sheet needs from the program around it. Every member may be left
/// empty: no stations, pages named "Page 1" to "Page 8", Qt message boxes, nothing to tell.
struct GadgetSheetContext {
    /// Every station of the program (the "AWS:" lists).
    const std::vector<std::unique_ptr<WeatherStation>>* stations = nullptr;
    /// The document's eight page names ("Display page").
    const std::array<std::string, 8>* pageNames = nullptr;
    /// Message boxes of the sheets.
    UserInterface* ui = nullptr;
    /// Told when a page changed the document beyond the item itself (a bitmap chosen).
    std::function<void()> documentModified;
};

/// The context GadgetSheetRegistry::Edit hands to the sheets; the view sets it when it gets its
/// document and stations.
void SetGadgetSheetContext(GadgetSheetContext context);
const GadgetSheetContext& CurrentGadgetSheetContext();

/// What the "Colour..." and font buttons ask; the default shows the Qt dialogs. Tests replace it.
class GadgetPrompter {
public:
    virtual ~GadgetPrompter() = default;
    /// The colour dialog (opened fully, any colour) starting at `colour`; false when cancelled.
    virtual bool AskColour(QWidget* parent, QColor& colour) = 0;
    /// The font dialog (with effects) starting at `font` and `colour`; false when cancelled.
    virtual bool AskFont(QWidget* parent, QFont& font, QColor& colour) = 0;
};

/// The prompter the buttons use; null restores the Qt dialogs. Returns the previous one.
GadgetPrompter* SetGadgetPrompter(GadgetPrompter* prompter);
GadgetPrompter& CurrentGadgetPrompter();

/// A page of a display item's sheet: a PropertyPage that also holds colour buttons. A colour
/// chosen is shown in the button's swatch at once and written back only on OK.
class GadgetPage : public PropertyPage {
public:
    explicit GadgetPage(const QString& tabName);
    ~GadgetPage() override;

    /// A "Colour..." button (object name `objectName`) with a swatch, in the current row or
    /// container, headed by `label` when not empty; edits the COLORREF `colour`.
    QPushButton* ColourChooser(const QString& objectName, const QString& label, uint32_t& colour);
    /// The colour a chooser holds now (pending until OK); 0 for an unknown name.
    uint32_t PendingColour(const QString& objectName) const;

    void Load() override;
    void Store() override;

private:
    struct Chooser;
    std::vector<std::unique_ptr<Chooser>> choosers_;
};

/// "Basic" (`BasicProperties`): "Top left text:", "Bottom right text:", "Main font..." (disabled
/// when the kind has no main text), "Aux. font...", border "Style:", background "Colour..." with
/// its swatch, "Display page".
std::unique_ptr<PropertyPage> MakeBasicPage(Gadget& gadget, const GadgetSheetContext& context);

/// `DataProperties` for source `which` (0: the first, 1: the second), titled `caption` ("Data
/// source" when empty): "AWS:" lists the stations, "Data channel:" the chosen station's channels.
/// OK with no station clears the source; otherwise a changed station or channel is stored.
std::unique_ptr<PropertyPage> MakeDataSourcePage(Gadget& gadget, int which, const QString& caption,
                                                 const GadgetSheetContext& context);

/// "Bitmap" (`BitmapProperties`): "File name:", "&Browse...", "Clear", "Re-size to bitmap". On OK a
/// file from another folder is copied into the program folder (under a free name), the item takes
/// the name and loads the picture; "Re-size to bitmap" sizes the item to the picture (kinds that
/// size themselves another way pass `resizesItself`).
class BitmapProperties : public GadgetPage {
public:
    BitmapProperties(Gadget& gadget, const GadgetSheetContext& context, bool resizesItself = false);

    void Load() override;
    void Store() override;

    /// Whether "Re-size to bitmap" was ticked when the page was stored.
    bool ResizeRequested() const { return resizeRequested_; }
    /// The path chosen (full path, or the stored name), as "File name:" shows it in full.
    const QString& ChosenPath() const { return path_; }
    /// Sets the path as "&Browse..." does (for callers that pick the file their own way).
    void Choose(const QString& path);

private:
    void ShowPath();

    Gadget& gadget_;
    GadgetSheetContext context_;
    bool resizesItself_;
    QString path_;
    bool changed_ = false;
    bool resizeRequested_ = false;
    QLabel* fileName_;
    QCheckBox* resize_;
};

/// Copies `path` into `folder` unless it already lies there (folders compared without regard to
/// case): an existing file of the same name is never overwritten, the copy takes the first free
/// "name(i).ext". Returns the file name the item stores (also when the copy failed).
std::string CopyBitmapIntoFolder(const std::string& path, const std::string& folder);

/// A sheet captioned `caption` whose first page is "Basic".
std::unique_ptr<PropertySheet> MakeGadgetSheet(QWidget* parent, Gadget& gadget, const QString& caption,
                                               const GadgetSheetContext& context);
/// The base class's sheet ("Properties - Basic", "Basic" only), used by the date and time kinds.
std::unique_ptr<PropertySheet> MakeBasicSheet(QWidget* parent, Gadget& gadget, const GadgetSheetContext& context);
/// The text item's sheet: "Properties - Text", "Basic" and "Extended" ("Text:").
std::unique_ptr<PropertySheet> MakeTextSheet(QWidget* parent, Gadget& textGadget, std::string& text,
                                             const GadgetSheetContext& context);
/// The bitmap item's sheet: "Properties - Bitmap", "Basic" and "Bitmap".
std::unique_ptr<PropertySheet> MakeBitmapSheet(QWidget* parent, Gadget& gadget, const GadgetSheetContext& context);
/// Runs a display item's sheet modally; true when it was closed with OK.
bool RunGadgetSheet(PropertySheet& sheet);

}  // namespace svu
