#pragma once

// The base of every display item: what all kinds share (page, rectangle, fonts, colours, corner
// captions, border, data sources, bitmap), its record, and the painting helpers. A gadget is a
// model object: it loads, saves and copies without any widget or application object; the view
// gives it a GadgetWindow to live in on screen.

#include <QColor>
#include <QFont>
#include <QRect>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/Serializable.h"
#include "gadgets/Dib.h"

class QPainter;

namespace svu {

class Archive;
class Clock;
class FieldVisitor;
class WeatherStation;

/// The clock display items take "now" from: the runtime's, set by the main window (the system
/// clock until then; nullptr restores it). Read on the user-interface thread only.
void SetGadgetClock(Clock* clock);
Clock& GadgetClock();

/// A logical font as the display file stores it (a Windows LOGFONT's essentials).
struct GadgetFont {
    int32_t height = -48;  // negative: character height in pixels; positive: cell height
    int32_t weight = 400;  // 100 to 900, 400 normal, 700 bold
    uint8_t italic = 0;
    uint8_t charSet = 0;
    uint8_t underline = 0;
    uint8_t strikeOut = 0;
    std::string faceName = "Times New Roman";

    /// The font for painting (needs a GUI application).
    QFont ToQFont() const;
    /// The stored form of a font chosen in a font dialog.
    static GadgetFont FromQFont(const QFont& font);

    bool operator==(const GadgetFont&) const = default;
};

/// The six frame styles of the "Style:" list, in value order.
enum class BorderStyle : int32_t { None = 0, Normal = 1, Plain = 2, Raised = 3, Recessed = 4, Embossed = 5 };

/// Names of the frame styles in value order ("None", "Normal", ...).
const std::array<const char*, 6>& BorderStyleNames();

/// A list of floats stored as a double-word array of their bit patterns (switching points).
void VisitFloatList(FieldVisitor& v, const char* name, std::vector<float>& list);

/// Width of the sizing frame around a gadget's client area, in pixels.
inline constexpr int kGadgetFrameWidth = 3;

/// COLORREF (0x00BBGGRR) to and from Qt colours.
QColor ColourFromRef(uint32_t colourRef);
uint32_t RefFromColour(const QColor& colour);

/// How the view's refresh timer treats a kind.
enum class RefreshPolicy { Never, EveryTick, WhileRunning };

/// The names a source read from a file keeps while no station of the list matches them.
struct UnlinkedSource {
    std::string stationName;
    std::string channelName;
    bool byNumber = false;  // schema-1 record: the channel is a number
    int32_t number = -1;
};

/// One data source: a station (not owned) and a 1-based channel number (-1 or 0: none).
struct GadgetSource {
    WeatherStation* station = nullptr;
    int32_t channel = -1;

    /// A station is set and 1 <= channel <= its channel count.
    bool IsValid() const;
};

class Gadget : public Serializable {
public:
    static constexpr uint16_t kSchema = 6;
    static constexpr uint32_t kDefaultBackground = 0xC0C0C0;

    ~Gadget() override = default;
    Gadget& operator=(const Gadget&) = delete;

    uint16_t Schema() const override { return kSchema; }
    /// The base record; every kind calls it first and then stores or loads its own fields.
    void Serialize(Archive& ar) override;

    // ---- What each kind supplies ----

    /// A new item of the same kind carrying what the kind's "&Copy" copies (same page and
    /// rectangle; the caller moves it).
    virtual std::unique_ptr<Gadget> Clone() const = 0;
    /// Periodic refresh from the view's timer: reads the sources; true when the item must repaint.
    virtual bool UpdateFromChannels() { return false; }
    /// Acquisition started or stopped.
    virtual void SetRunning(bool on) { running = on ? 1 : 0; }
    /// Discards accumulated history (a replayed input started again).
    virtual void ResetHistory() {}
    /// Paints the client area (`client` in the painter's coordinates). The base fills it with
    /// the background colour and draws the captions.
    virtual void Paint(QPainter& painter, const QRect& client);
    /// The kind's own record fields after the base record, in record order, without the sources;
    /// for the JSON form of a display file. Fields that older record layouts lack are visited too.
    virtual void VisitKindFields(FieldVisitor& v) {}
    /// Whether the main font applies to the kind ("Main font..." is disabled otherwise).
    virtual bool UsesMainFont() const { return true; }

    // ---- Shared behaviour ----

    /// Fills the client area, draws both corner captions with the auxiliary font and `text`
    /// centred with the main font.
    void DrawCaptionedText(QPainter& painter, const QRect& client, const QString& text) const;
    /// Draws the two corner captions with the auxiliary font (no fill).
    void DrawCaptions(QPainter& painter, const QRect& client) const;
    /// Paints the frame of `window` (the whole window rectangle) in this item's border style.
    /// Style Normal draws a standard raised sizing frame; None draws nothing.
    void PaintBorder(QPainter& painter, const QRect& window) const;

    /// The channel at `index` (0-based) of `station` was deleted: a source on it is cleared,
    /// one on a later channel moves down. True when any source changed.
    bool OnChannelDeleted(const WeatherStation& station, int index);
    /// A channel was inserted at `index`: sources at or after it move up. True when any changed.
    bool OnChannelInserted(const WeatherStation& station, int index);
    /// A station is about to be removed from the list: sources on it are cleared. True if any were.
    bool OnStationRemoved(const WeatherStation& station);

    /// After loading: links the sources to the stations of `stations` by the names the record
    /// held (the first station of that name; then the channel of that name). A source that does
    /// not resolve stays unlinked, and the names read are written back unchanged until the
    /// source is set again, so opening a file with a different station list loses nothing.
    void ResolveSources(const std::vector<std::unique_ptr<WeatherStation>>& stations);
    /// Sets source 0 or 1 (clears the names remembered from the file).
    void SetSource(int which, WeatherStation* station, int32_t channel);
    /// The names source 0 or 1 keeps from the file because they did not resolve; nothing when
    /// the source is linked or was set since.
    std::optional<UnlinkedSource> Unlinked(int which) const;
    /// Makes source 0 or 1 keep these names unlinked, as reading them from a file without that
    /// station does (they are written back as they are).
    void SetUnlinked(int which, const UnlinkedSource& names);
    GadgetSource& Source(int which) { return which == 0 ? source1 : source2; }
    const GadgetSource& Source(int which) const { return which == 0 ? source1 : source2; }
    /// True when this record was read in an older layout (the document then suggests re-saving).
    bool ReadInOldFormat() const { return oldFormat_; }

    /// The window rectangle's client area (inside the sizing frame), in page coordinates.
    QRect ClientRect() const;
    QRect Rect() const { return QRect(QPoint(rect[0], rect[1]), QPoint(rect[2] - 1, rect[3] - 1)); }
    void SetRect(const QRect& r);
    /// Moves `rect` by (dx, dy).
    void OffsetRect(int dx, int dy);

    // ---- Fields (record order differs; see Serialize) ----

    int32_t page = 1;  // 1 to 8
    Dib bitmap;
    std::string bitmapFile;
    GadgetSource source1;
    GadgetSource source2;
    std::string bottomRightText;
    int32_t typeCode = 0;
    std::array<int32_t, 4> rect{0, 0, 0, 0};  // left, top, right, bottom (page coordinates)
    std::string topLeftText;
    uint32_t backgroundColour = kDefaultBackground;
    GadgetFont mainFont;
    uint32_t mainColour = 0;
    GadgetFont auxFont{-16, 400, 0, 0, 0, 0, "Times New Roman"};
    uint32_t auxColour = 0;
    int32_t transparent = 0;
    int32_t borderStyle = static_cast<int32_t>(BorderStyle::Normal);
    int32_t running = 0;
    int32_t schema = -1;  // schema the record was read with

protected:
    explicit Gadget(int32_t kindCode) : typeCode(kindCode) {}
    /// The copy of "&Copy": page, rectangle, colours, fonts, captions and border; not the
    /// sources, bitmap, transparency, running flag or history (each kind copies what it copies).
    Gadget(const Gadget& other);

    /// A source in a kind's record: the channel (a number in schema-1 records, else the
    /// channel's name, empty when it has none) and then the station's name. Reading keeps the
    /// names until ResolveSources.
    void SerializeSource(Archive& ar, int which);
    /// Copies both sources, with any names still unresolved (for kinds whose copy keeps them).
    void CopySourcesFrom(const Gadget& other);
    /// Marks the record as read in an older layout.
    void MarkOldFormat() { oldFormat_ = true; }

private:
    // Names read from the file for each source, until the source is set again.
    struct StoredSource {
        bool pending = false;
        bool byNumber = false;  // schema-1 record: the channel is a number
        int32_t number = -1;
        std::string channelName;
        std::string stationName;
    };
    std::array<StoredSource, 2> stored_;
    bool oldFormat_ = false;
};

}  // namespace svu
