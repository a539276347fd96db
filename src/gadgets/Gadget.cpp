#include "gadgets/Gadget.h"

#include <QPainter>
#include <algorithm>
#include <bit>

#include "framework/Archive.h"
#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

Clock* gadgetClock = nullptr;

constexpr int32_t kFirstPage = 1;
constexpr int32_t kLastPage = 8;

void SerializeFont(Archive& ar, GadgetFont& font) {
    ar.Field(font.height);
    ar.Field(font.weight);
    ar.Field(font.italic);
    ar.Field(font.charSet);
    ar.Field(font.underline);
    ar.Field(font.strikeOut);
}

// One colour channel of a bevel line; integer arithmetic per channel, as the frame styles ask.
using ChannelFn = int (*)(int);

QColor Shade(uint32_t c, ChannelFn fn) {
    return QColor(fn(static_cast<int>(c & 0xFF)), fn(static_cast<int>((c >> 8) & 0xFF)),
                  fn(static_cast<int>((c >> 16) & 0xFF)));
}

int Lighter2(int c) {
    return c + 2 * (255 - c) / 3;
}
int Lighter1(int c) {
    return c + (255 - c) / 3;
}
int Darker2(int c) {
    return c - 2 * c / 3;
}
int Darker1(int c) {
    return c - c / 3;
}
int Half(int c) {
    return c - c / 2;
}

// One 1-pixel ring `inset` pixels inside `r`: top and left in one colour, bottom and right in another.
void Ring(QPainter& p, const QRect& r, int inset, const QColor& topLeft, const QColor& bottomRight) {
    const QRect q = r.adjusted(inset, inset, -inset, -inset);
    if (q.width() <= 0 || q.height() <= 0) {
        return;
    }
    p.fillRect(QRect(q.left(), q.top(), q.width(), 1), topLeft);
    p.fillRect(QRect(q.left(), q.top(), 1, q.height()), topLeft);
    p.fillRect(QRect(q.left(), q.bottom(), q.width(), 1), bottomRight);
    p.fillRect(QRect(q.right(), q.top(), 1, q.height()), bottomRight);
}

}  // namespace

void SetGadgetClock(Clock* clock) {
    gadgetClock = clock;
}

Clock& GadgetClock() {
    return gadgetClock != nullptr ? *gadgetClock : SystemClock();
}

QFont GadgetFont::ToQFont() const {
    QFont font(QString::fromStdString(faceName));
    if (height < 0) {
        font.setPixelSize(-height);
    } else if (height > 0) {
        // A positive height is the cell height, internal leading included.
        font.setPixelSize(std::max(1, height * 4 / 5));
    }
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight == 0 ? 400 : weight, 1, 1000)));
    font.setItalic(italic != 0);
    font.setUnderline(underline != 0);
    font.setStrikeOut(strikeOut != 0);
    return font;
}

GadgetFont GadgetFont::FromQFont(const QFont& font) {
    GadgetFont f;
    const int pixels =
        font.pixelSize() > 0 ? font.pixelSize() : static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5);
    f.height = -pixels;
    f.weight = static_cast<int32_t>(font.weight());
    f.italic = font.italic() ? 1 : 0;
    f.underline = font.underline() ? 1 : 0;
    f.strikeOut = font.strikeOut() ? 1 : 0;
    f.faceName = font.family().toStdString();
    return f;
}

void VisitFloatList(FieldVisitor& v, const char* name, std::vector<float>& list) {
    std::vector<uint32_t> words;
    for (const float value : list) {
        words.push_back(std::bit_cast<uint32_t>(value));
    }
    v.FloatBitsArray(name, words);
    if (v.IsLoading()) {
        list.clear();
        for (const uint32_t word : words) {
            list.push_back(std::bit_cast<float>(word));
        }
    }
}

const std::array<const char*, 6>& BorderStyleNames() {
    static const std::array<const char*, 6> names = {"None", "Normal", "Plain", "Raised", "Recessed", "Embossed"};
    return names;
}

QColor ColourFromRef(uint32_t colourRef) {
    return QColor(static_cast<int>(colourRef & 0xFF), static_cast<int>((colourRef >> 8) & 0xFF),
                  static_cast<int>((colourRef >> 16) & 0xFF));
}

uint32_t RefFromColour(const QColor& colour) {
    return static_cast<uint32_t>(colour.red()) | (static_cast<uint32_t>(colour.green()) << 8) |
           (static_cast<uint32_t>(colour.blue()) << 16);
}

bool GadgetSource::IsValid() const {
    return station != nullptr && channel >= 1 && channel <= station->channelCount;
}

Gadget::Gadget(const Gadget& other)
    : Serializable(other),
      page(other.page),
      bottomRightText(other.bottomRightText),
      typeCode(other.typeCode),
      rect(other.rect),
      topLeftText(other.topLeftText),
      backgroundColour(other.backgroundColour),
      mainFont(other.mainFont),
      mainColour(other.mainColour),
      auxFont(other.auxFont),
      auxColour(other.auxColour),
      borderStyle(other.borderStyle) {}

void Gadget::Serialize(Archive& ar) {
    if (ar.IsLoading()) {
        schema = ar.ObjectSchema();
        if (schema < 1 || schema > kSchema) {
            throw ArchiveError("archive: display item record of schema " + std::to_string(schema) +
                               " is not supported (1 to 6)");
        }
    }
    ar.Field(topLeftText);
    ar.Field(bottomRightText);
    for (int32_t& edge : rect) {
        ar.Field(edge);
    }
    ar.Field(backgroundColour);
    SerializeFont(ar, mainFont);
    ar.Field(mainFont.faceName);
    ar.Field(mainColour);
    SerializeFont(ar, auxFont);
    ar.Field(auxFont.faceName);
    ar.Field(auxColour);
    ar.Field(page);
    ar.Field(borderStyle);
    if (ar.IsStoring() || schema >= 4) {
        ar.Field(transparent);
    } else {
        transparent = 0;
    }
    if (ar.IsLoading() && (page < kFirstPage || page > kLastPage)) {
        // Our own dialogs never produce such a page; a file holding one is damaged.
        throw ArchiveError("archive: display item on page " + std::to_string(page) + " (pages are 1 to 8)");
    }
}

void Gadget::SerializeSource(Archive& ar, int which) {
    GadgetSource& source = Source(which);
    StoredSource& stored = stored_[static_cast<size_t>(which)];
    if (ar.IsStoring()) {
        if (stored.pending) {
            ar.WriteString(stored.byNumber ? std::string() : stored.channelName);
            ar.WriteString(stored.stationName);
            return;
        }
        std::string channelName;
        if (source.IsValid() && static_cast<size_t>(source.channel) <= source.station->channelNames.size()) {
            channelName = source.station->channelNames[static_cast<size_t>(source.channel) - 1];
        }
        ar.WriteString(channelName);
        ar.WriteString(source.station != nullptr ? source.station->name : std::string());
        return;
    }
    stored = StoredSource{};
    stored.pending = true;
    if (schema == 1) {
        stored.byNumber = true;
        stored.number = ar.ReadI32();
        MarkOldFormat();
    } else {
        stored.channelName = ar.ReadString();
    }
    stored.stationName = ar.ReadString();
    source = GadgetSource{};
}

void Gadget::CopySourcesFrom(const Gadget& other) {
    source1 = other.source1;
    source2 = other.source2;
    stored_ = other.stored_;
}

void Gadget::ResolveSources(const std::vector<std::unique_ptr<WeatherStation>>& stations) {
    for (int which = 0; which < 2; ++which) {
        StoredSource& stored = stored_[static_cast<size_t>(which)];
        if (!stored.pending) {
            continue;
        }
        GadgetSource& source = Source(which);
        source = GadgetSource{};
        auto found = std::find_if(stations.begin(), stations.end(),
                                  [&](const auto& s) { return s && s->name == stored.stationName; });
        if (stored.stationName.empty() || found == stations.end()) {
            continue;  // unlinked; the names are written back as read
        }
        source.station = found->get();
        if (stored.byNumber) {
            source.channel = stored.number;
            stored.pending = false;
            continue;
        }
        const auto& names = source.station->channelNames;
        auto channel = std::find(names.begin(), names.end(), stored.channelName);
        if (channel != names.end() && !stored.channelName.empty()) {
            source.channel = static_cast<int32_t>(channel - names.begin()) + 1;
            stored.pending = false;
        }
    }
}

void Gadget::SetSource(int which, WeatherStation* station, int32_t channel) {
    Source(which) = GadgetSource{station, station != nullptr ? channel : -1};
    stored_[static_cast<size_t>(which)] = StoredSource{};
}

std::optional<UnlinkedSource> Gadget::Unlinked(int which) const {
    const StoredSource& stored = stored_[static_cast<size_t>(which)];
    if (!stored.pending) {
        return std::nullopt;
    }
    return UnlinkedSource{stored.stationName, stored.channelName, stored.byNumber, stored.number};
}

void Gadget::SetUnlinked(int which, const UnlinkedSource& names) {
    Source(which) = GadgetSource{};
    stored_[static_cast<size_t>(which)] =
        StoredSource{true, names.byNumber, names.number, names.channelName, names.stationName};
}

bool Gadget::OnChannelDeleted(const WeatherStation& station, int index) {
    bool changed = false;
    for (GadgetSource* source : {&source1, &source2}) {
        if (source->station != &station) {
            continue;
        }
        if (source->channel == index + 1) {
            *source = GadgetSource{};
            changed = true;
        } else if (source->channel > index + 1) {
            --source->channel;
            changed = true;
        }
    }
    return changed;
}

bool Gadget::OnChannelInserted(const WeatherStation& station, int index) {
    bool changed = false;
    for (GadgetSource* source : {&source1, &source2}) {
        if (source->station == &station && source->channel >= index + 1) {
            ++source->channel;
            changed = true;
        }
    }
    return changed;
}

bool Gadget::OnStationRemoved(const WeatherStation& station) {
    bool changed = false;
    for (int which = 0; which < 2; ++which) {
        if (Source(which).station == &station) {
            SetSource(which, nullptr, -1);
            changed = true;
        }
    }
    return changed;
}

QRect Gadget::ClientRect() const {
    return Rect().adjusted(kGadgetFrameWidth, kGadgetFrameWidth, -kGadgetFrameWidth, -kGadgetFrameWidth);
}

void Gadget::SetRect(const QRect& r) {
    rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void Gadget::OffsetRect(int dx, int dy) {
    rect[0] += dx;
    rect[1] += dy;
    rect[2] += dx;
    rect[3] += dy;
}

void Gadget::Paint(QPainter& painter, const QRect& client) {
    painter.fillRect(client, ColourFromRef(backgroundColour));
    DrawCaptions(painter, client);
}

void Gadget::DrawCaptions(QPainter& painter, const QRect& client) const {
    if (topLeftText.empty() && bottomRightText.empty()) {
        return;
    }
    painter.save();
    painter.setClipRect(client);
    painter.setFont(auxFont.ToQFont());
    painter.setPen(ColourFromRef(auxColour));
    if (!topLeftText.empty()) {
        painter.drawText(client, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QString::fromStdString(topLeftText));
    }
    if (!bottomRightText.empty()) {
        painter.drawText(client, Qt::AlignRight | Qt::AlignBottom | Qt::TextSingleLine,
                         QString::fromStdString(bottomRightText));
    }
    painter.restore();
}

void Gadget::DrawCaptionedText(QPainter& painter, const QRect& client, const QString& text) const {
    painter.fillRect(client, ColourFromRef(backgroundColour));
    DrawCaptions(painter, client);
    painter.save();
    painter.setClipRect(client);
    painter.setFont(mainFont.ToQFont());
    painter.setPen(ColourFromRef(mainColour));
    painter.drawText(client, Qt::AlignCenter | Qt::TextSingleLine, text);
    painter.restore();
}

void Gadget::PaintBorder(QPainter& painter, const QRect& window) const {
    const uint32_t c = backgroundColour;
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    switch (static_cast<BorderStyle>(borderStyle)) {
        case BorderStyle::None:
            return;
        case BorderStyle::Plain:
            for (int i = 0; i < kGadgetFrameWidth; ++i) {
                Ring(painter, window, i, ColourFromRef(c), ColourFromRef(c));
            }
            return;
        case BorderStyle::Raised:
            Ring(painter, window, 0, white, black);
            Ring(painter, window, 1, Shade(c, Lighter2), Shade(c, Darker2));
            Ring(painter, window, 2, Shade(c, Lighter1), Shade(c, Darker1));
            return;
        case BorderStyle::Recessed:
            Ring(painter, window, 0, black, white);
            Ring(painter, window, 1, Shade(c, Darker2), Shade(c, Lighter2));
            Ring(painter, window, 2, Shade(c, Darker1), Shade(c, Lighter1));
            return;
        case BorderStyle::Embossed:
            Ring(painter, window, 0, white, Shade(c, Half));
            Ring(painter, window, 1, Shade(c, Half), white);
            Ring(painter, window, 2, ColourFromRef(c), ColourFromRef(c));
            return;
        case BorderStyle::Normal:
        default: {
            // The classic raised sizing frame of a resizable window.
            const QColor face(0xD4, 0xD0, 0xC8);
            Ring(painter, window, 0, face, QColor(0x40, 0x40, 0x40));
            Ring(painter, window, 1, white, QColor(0x80, 0x80, 0x80));
            Ring(painter, window, 2, face, face);
            return;
        }
    }
}

}  // namespace svu
