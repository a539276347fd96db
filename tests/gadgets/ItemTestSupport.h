#pragma once

// Records, stations and pictures for the display-item tests: storing and reading an item through
// the archive, spelling out old records byte by byte, painting onto an offscreen image.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "derived/TestStation.h"
#include "framework/Archive.h"
#include "framework/ClassRegistry.h"
#include "gadgets/Dib.h"
#include "gadgets/GadgetKinds.h"

namespace svu::test {

using Stations = std::vector<std::unique_ptr<WeatherStation>>;

inline const ClassRegistry& ItemRegistry() {
    static const ClassRegistry reg = [] {
        ClassRegistry r;
        RegisterGadgetClasses(r);
        return r;
    }();
    return reg;
}

inline std::vector<uint8_t> StoreItem(const Gadget& g) {
    Archive ar = Archive::ForStoring(ItemRegistry());
    ar.WriteObject(&g);
    return ar.Bytes();
}

template <class Kind = Gadget>
std::unique_ptr<Kind> ReadItem(std::vector<uint8_t> bytes) {
    Archive ar = Archive::ForLoading(std::move(bytes), ItemRegistry());
    std::unique_ptr<Gadget> g = ar.ReadObjectAs<Gadget>();
    ar.FinishLoading();
    EXPECT_TRUE(ar.AtEnd());
    return std::unique_ptr<Kind>(dynamic_cast<Kind*>(g.release()));
}

/// Archive values spelt out, for records in older layouts.
struct RecordBytes {
    std::vector<uint8_t> b;
    RecordBytes& U16(uint16_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    RecordBytes& U8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    RecordBytes& I32(int64_t v) {
        for (int i = 0; i < 4; ++i) {
            b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        }
        return *this;
    }
    RecordBytes& Str(const std::string& s) {  // short ANSI form
        b.push_back(static_cast<uint8_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    RecordBytes& ClassTag(const std::string& name, uint16_t schema) {
        U16(0xFFFF).U16(schema).U16(static_cast<uint16_t>(name.size()));
        b.insert(b.end(), name.begin(), name.end());
        return *this;
    }
    /// A base record with the defaults on `page`; schemas before 4 have no transparency flag.
    RecordBytes& Base(uint16_t schema, int page = 1) {
        Str("").Str("").I32(0).I32(0).I32(200).I32(100).I32(0xC0C0C0);
        for (int font = 0; font < 2; ++font) {
            I32(font == 0 ? -48 : -16).I32(400).I32(0).Str("Times New Roman").I32(0);
        }
        I32(page).I32(1);
        if (schema >= 4) {
            I32(0);
        }
        return *this;
    }
};

/// A station "Hill" with raw channels Raw0 to Raw7.
inline Stations OneStation() {
    Stations stations;
    stations.push_back(std::make_unique<TestStation>(8, "Hill"));
    return stations;
}

inline void SetValue(WeatherStation& station, int channel, const std::string& text) {
    std::lock_guard guard(station.lock);
    station.values[static_cast<size_t>(channel) - 1] = text;
}

/// The item's client area painted on a magenta image of `size`.
inline QImage Render(Gadget& g, const QSize& size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    g.Paint(painter, image.rect());
    return image;
}

/// A strip of pictures `width` x `height` each, one plain colour per picture, saved as a bitmap.
inline bool SaveStrip(const std::string& path, const std::vector<QColor>& colours, int width, int height) {
    QImage image(width * static_cast<int>(colours.size()), height, QImage::Format_RGB32);
    for (size_t i = 0; i < colours.size(); ++i) {
        QPainter(&image).fillRect(static_cast<int>(i) * width, 0, width, height, colours[i]);
    }
    Dib dib;
    return dib.SetImage(image) && dib.Save(path);
}

}  // namespace svu::test
