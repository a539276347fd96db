#include "gadgets/MultiStateGadget.h"

#include <QPainter>
#include <bit>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"
#include "gadgets/BitmapGadget.h"
#include "gadgets/ValueGadget.h"

namespace svu {

int SwitchingIndex(const std::vector<float>& points, size_t consulted, float value) {
    const size_t limit = std::min(consulted, points.size());
    int index = 0;
    for (size_t i = 0; i < limit && points[i] < value; ++i) {
        ++index;
    }
    return index;
}

bool ReadSourceNumber(const GadgetSource& source, float& value) {
    std::string text;
    if (!ReadSourceText(source, text)) {
        return false;
    }
    const auto number = static_cast<float>(AtoF(text));
    if (number == value) {
        return false;
    }
    value = number;
    return true;
}

// The copy keeps the default background, main font and colour, as this kind's copy always did.
MultiStateGadget::MultiStateGadget(const MultiStateGadget& other)
    : Gadget(other), imageCount(other.imageCount), switchingPoints(other.switchingPoints) {
    backgroundColour = kDefaultBackground;
    mainFont = GadgetFont{};
    mainColour = 0;
    bitmapFile = other.bitmapFile;
    LoadGadgetBitmap(*this);
    CopySourcesFrom(other);
}

std::unique_ptr<Gadget> MultiStateGadget::Clone() const {
    return std::unique_ptr<Gadget>(new MultiStateGadget(*this));
}

void MultiStateGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
    std::vector<uint32_t> words;
    if (ar.IsStoring()) {
        for (float point : switchingPoints) {
            words.push_back(std::bit_cast<uint32_t>(point));
        }
    }
    ar.DWordArray(words);
    ar.Field(imageCount);
    ar.Field(bitmapFile);
    SerializeSource(ar, 0);
    if (ar.IsLoading()) {
        switchingPoints.clear();
        for (uint32_t word : words) {
            switchingPoints.push_back(std::bit_cast<float>(word));
        }
        LoadGadgetBitmap(*this);
    }
}

bool MultiStateGadget::UpdateFromChannels() {
    return ReadSourceNumber(source1, currentValue);
}

int MultiStateGadget::ImageIndex() const {
    if (imageCount <= 0) {
        return 0;
    }
    return SwitchingIndex(switchingPoints, static_cast<size_t>(imageCount - 1), currentValue);
}

QRect MultiStateGadget::ImageSource(int index) const {
    const int w = static_cast<int>(bitmap.Width());
    const int h = static_cast<int>(bitmap.Height());
    if (imageCount <= 0) {
        return QRect(0, 0, w, h);
    }
    const int part = w / imageCount;
    return QRect(part * index, 0, part, h);
}

void MultiStateGadget::Paint(QPainter& painter, const QRect& client) {
    const QRect source = bitmap.IsEmpty() ? QRect() : ImageSource(ImageIndex());
    if (!source.isEmpty()) {
        bitmap.Paint(painter, client, source);
    } else {  // no picture, or more pictures than the strip has pixels
        painter.fillRect(client, ColourFromRef(backgroundColour));
    }
    DrawCaptions(painter, client);
}

void MultiStateGadget::VisitKindFields(FieldVisitor& v) {
    VisitFloatList(v, "switchingPoints", switchingPoints);
    v.Int32("imageCount", imageCount);
    v.String("bitmapFile", bitmapFile);
}

}  // namespace svu
