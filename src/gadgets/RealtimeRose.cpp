#include "gadgets/RealtimeRose.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <mutex>
#include <string_view>

#include "framework/Archive.h"
#include "framework/FieldVisitor.h"
#include "framework/TextUtil.h"
#include "gadgets/BitmapGadget.h"
#include "historic/DayFiles.h"
#include "historic/LogRecord.h"
#include "stations/WSFile.h"
#include "stations/WeatherStation.h"

namespace svu {

namespace {

// The reading time of a history that has seen nothing: local midnight of 1 January 1970, which
// is also a station's reading time before its first reading.
TimeT NoReadingTime() {
    return FromLocal(1970, 1, 1, 0, 0, 0);
}

bool ChannelText(const GadgetSource& source, std::string& text) {
    const auto index = static_cast<size_t>(source.channel - 1);
    if (index >= source.station->values.size()) {
        return false;
    }
    text = source.station->values[index];
    return true;
}

// The wait cursor for as long as the logs are read (only where there is a screen to show it).
class WaitCursor {
public:
    WaitCursor() : shown_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (shown_) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        }
    }
    ~WaitCursor() {
        if (shown_) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool shown_;
};

}  // namespace

RealtimeRoseGadget::RealtimeRoseGadget(int32_t kindCode) : Gadget(kindCode), lastReadingTime(NoReadingTime()) {}

RealtimeRoseGadget::RealtimeRoseGadget(const RealtimeRoseGadget& other)
    : Gadget(other),
      needsBackFill(other.needsBackFill),
      lastReadingTime(other.lastReadingTime),
      radius(other.radius),
      step(other.step),
      window(other.window),
      originX(other.originX),
      originY(other.originY),
      fillColour(other.fillColour),
      roseColour(other.roseColour),
      history_(other.history_) {
    mainFont = GadgetFont{};
    mainColour = 0;
    bitmapFile = other.bitmapFile;
    LoadGadgetBitmap(*this);
    CopySourcesFrom(other);
}

void RealtimeRoseGadget::SerializeRose(Archive& ar) {
    Gadget::Serialize(ar);
    ar.Field(bitmapFile);
    ar.Field(roseColour);
    ar.Field(fillColour);
    SerializeUnits(ar);
    ar.Field(originX);
    ar.Field(originY);
    ar.Field(radius);
    ar.Field(step);
    ar.Field(window);
    SerializeSource(ar, 0);
    SerializeSource(ar, 1);
    if (ar.IsLoading()) {
        LoadGadgetBitmap(*this);
        ResetHistory();
    }
}

void RealtimeRoseGadget::ResetHistory() {
    needsBackFill = 1;
    lastReadingTime = NoReadingTime();
    history_.Clear();
}

RealtimeRoseGadget::HistoryKey RealtimeRoseGadget::CurrentHistoryKey() const {
    return HistoryKey{source1.station, source1.channel, source2.station, source2.channel, 0};
}

void RealtimeRoseGadget::PropertiesApplied(const HistoryKey& before) {
    if (CurrentHistoryKey() != before) {
        ResetHistory();
    }
    Recompute();
}

void RealtimeRoseGadget::Recompute() {
    history_.Recompute();
    TotalsChanged();
}

bool RealtimeRoseGadget::UpdateFromChannels() {
    if (!source1.IsValid() || !source2.IsValid()) {
        return false;
    }
    TimeT time = 0;
    std::string value;
    std::string direction;
    {
        std::lock_guard guard(source1.station->lock);
        time = source1.station->readingTime;
        if (time == lastReadingTime) {
            return false;
        }
        lastReadingTime = time;
        if (!ChannelText(source1, value)) {
            return false;
        }
    }
    {
        std::lock_guard guard(source2.station->lock);
        if (!ChannelText(source2, direction)) {
            return false;
        }
    }
    const RoseSums sumsBefore = history_.Sums();
    const std::string captionBefore = topLeftText;
    if (needsBackFill != 0) {
        BackFill(time);
        needsBackFill = 0;
    }
    TakeReading(time, AtoF(value), AtoF(direction));
    TotalsChanged();
    return history_.Sums() != sumsBefore || topLeftText != captionBefore;
}

void RealtimeRoseGadget::TakeReading(TimeT time, double value, double direction) {
    RoseSample sample;
    sample.direction = static_cast<float>(direction);
    sample.sector = static_cast<uint32_t>(WindSector(sample.direction));
    sample.time = time;
    if (!history_.Empty()) {
        // A clock set back adds nothing, and after a silence longer than the window only the part
        // of the silence inside the window counts.
        const TimeT elapsed = std::clamp<TimeT>(time - history_.Newest().time, 0, std::max<int32_t>(window, 0));
        sample.amount = static_cast<float>(Amount(value, elapsed));
    }
    history_.DropOlderThan(time, window);
    history_.Append(sample);
}

void RealtimeRoseGadget::BackFill(TimeT now) {
    if (source1.station != source2.station) {
        return;
    }
    const WeatherStation& station = *source1.station;
    const int speedChannel = source1.channel;
    const int directionChannel = source2.channel;
    WaitCursor wait;
    const CalendarDay today = DayOf(now);
    const CalendarDay yesterday = DayOf(NoonOf(today) - 86400);
    LogTimeParser times;
    for (const CalendarDay& day : {yesterday, today}) {
        LogLineReader reader;
        if (!reader.Open(DayFilePath(station.logFolder, station.name, day))) {
            continue;
        }
        std::string_view line;
        if (!reader.Next(line)) {
            continue;
        }
        const int count = ParseLogChannelCount(line);
        if (speedChannel > count || directionChannel > count) {
            continue;
        }
        bool complete = true;
        for (int i = 0; i < count && complete; ++i) {
            complete = reader.Next(line);
        }
        while (complete && reader.Next(line)) {
            const size_t comma = line.find(',');
            if (comma == std::string_view::npos) {
                continue;
            }
            const std::string_view rest = line.substr(comma + 1);
            const TimeT time = times.Parse(line.substr(0, comma), TrimLeft(rest.substr(0, rest.find(','))));
            if (time > now) {
                break;  // records after the reading that starts the history belong to later readings
            }
            TakeReading(time, LogRecordValue(line, speedChannel - 1), LogRecordValue(line, directionChannel - 1));
        }
    }
}

void RealtimeRoseGadget::Paint(QPainter& painter, const QRect& client) {
    // A transparent item paints no background: the page shows through it.
    if (transparent == 0) {
        if (!bitmap.IsEmpty()) {
            bitmap.Paint(painter, client,
                         QRect(0, 0, static_cast<int>(bitmap.Width()), static_cast<int>(bitmap.Height())));
        } else {
            painter.fillRect(client, ColourFromRef(backgroundColour));
        }
    }
    DrawCaptions(painter, client);
    painter.save();
    painter.setClipRect(client);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPoint origin = client.topLeft() + QPoint(originX, originY);
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    painter.drawImage(client.topLeft(), Frame(client.size(), ratio));
    PaintRosePetals(painter, origin, DrawnRadius(), history_.Sums(), ColourFromRef(fillColour));
    painter.restore();
}

int RealtimeRoseGadget::DrawnRadius() const {
    // The sheet keeps the radius in range; a damaged file must not make painting endless.
    return std::clamp(radius, 0, kMaxRadius);
}

const QImage& RealtimeRoseGadget::Frame(const QSize& size, qreal pixelRatio) {
    const FrameKey key = {size.width(), size.height(), std::llround(pixelRatio * 1000), originX, originY, radius,
                          step,         roseColour};
    if (key != frameKey_ && !size.isEmpty()) {
        frameKey_ = key;
        frame_ = QImage(size * pixelRatio, QImage::Format_ARGB32_Premultiplied);
        frame_.setDevicePixelRatio(pixelRatio);
        frame_.fill(Qt::transparent);
        QPainter painter(&frame_);
        PaintRoseFrame(painter, QPoint(originX, originY), DrawnRadius(), step, ColourFromRef(roseColour));
    }
    return frame_;
}

void RealtimeRoseGadget::VisitKindFields(FieldVisitor& v) {
    v.String("bitmapFile", bitmapFile);
    v.Colour("roseColour", roseColour);
    v.Colour("fillColour", fillColour);
    VisitUnits(v);
    v.Int32("originX", originX);
    v.Int32("originY", originY);
    v.Int32("radius", radius);
    v.Int32("step", step);
    v.Int32("window", window);
}

}  // namespace svu
