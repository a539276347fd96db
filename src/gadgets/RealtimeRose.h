#pragma once

// What the real-time wind and dust roses share: a sliding window of readings summed per direction
// sector, filled from the daily logs when the history starts, drawn as a 16-petal rose about a
// chosen origin. The kinds differ only in what a reading adds (wind run or dust dose), in the
// units of the wind rose, and in the wind rose's caption.

#include <QImage>
#include <array>
#include <memory>
#include <string>

#include "framework/LocalTime.h"
#include "gadgets/Gadget.h"
#include "gadgets/RoseWindow.h"

namespace svu {

class RealtimeRoseGadget : public Gadget {
public:
    static constexpr int32_t kMinRadius = 10;
    static constexpr int32_t kMaxRadius = 32000;
    static constexpr int32_t kMinStep = 2;
    static constexpr int32_t kMaxStep = 32000;
    static constexpr int32_t kMinOrigin = -32000;
    static constexpr int32_t kMaxOrigin = 32000;

    /// What the history depends on: both sources and, for the wind rose, the speed unit.
    struct HistoryKey {
        const WeatherStation* station1 = nullptr;
        int32_t channel1 = -1;
        const WeatherStation* station2 = nullptr;
        int32_t channel2 = -1;
        int32_t speedUnit = 0;
        bool operator==(const HistoryKey&) const = default;
    };

    /// With both sources valid and a new reading time on the first source's station: takes the
    /// reading into the window (after filling it from the logs when it starts). True when the
    /// totals or the caption changed.
    bool UpdateFromChannels() override;
    /// Forgets every sample; the next reading fills the window from the logs again.
    void ResetHistory() override;
    /// Background (page, bitmap or colour), captions, rings and spokes, then the petals.
    void Paint(QPainter& painter, const QRect& client) override;
    bool UsesMainFont() const override { return false; }
    void VisitKindFields(FieldVisitor& v) override;

    /// The samples and totals of the window.
    const RoseWindow& History() const { return history_; }
    /// Sums the totals afresh and updates what is derived from them (the wind rose's caption).
    void Recompute();

    virtual HistoryKey CurrentHistoryKey() const;
    /// After the property sheet's OK: a changed source (or speed unit) discards the history,
    /// which the next reading reads again from the logs; the totals are summed afresh either way.
    void PropertiesApplied(const HistoryKey& before);

    int32_t needsBackFill = 1;
    TimeT lastReadingTime;
    int32_t radius = 150;   // pixels
    int32_t step = 15;      // pixels between the inner rings
    int32_t window = 3600;  // seconds of history
    int32_t originX = 175;  // centre in client pixels
    int32_t originY = 175;
    uint32_t fillColour = 0;
    uint32_t roseColour = 0;

protected:
    explicit RealtimeRoseGadget(int32_t kindCode);
    /// The copy carries the settings, sources, bitmap and the whole history (the main font and
    /// colour stay at their defaults).
    RealtimeRoseGadget(const RealtimeRoseGadget& other);

    /// The record after the base record: bitmap name, colours, `SerializeUnits`, origin, radius,
    /// step, window, source 1, source 2. Reading loads the bitmap and starts a fresh history.
    void SerializeRose(Archive& ar);
    /// The wind rose's speed and distance units (between the colours and the origin).
    virtual void SerializeUnits(Archive& ar) {}
    /// The same fields for the JSON form.
    virtual void VisitUnits(FieldVisitor& v) {}
    /// What a reading adds for the interval of `elapsed` seconds that ends at it.
    virtual double Amount(double value, TimeT elapsed) const = 0;
    /// The totals changed (the wind rose rewrites its caption).
    virtual void TotalsChanged() {}

private:
    // One reading into the window: the amount against the newest sample, then the old end dropped.
    void TakeReading(TimeT time, double value, double direction);
    // Reads the previous day's and the reading's day's logs of the station both sources share.
    void BackFill(TimeT now);
    int DrawnRadius() const;
    // The rings and spokes, drawn once for as long as the rose's size, place and colour stay.
    const QImage& Frame(const QSize& size, qreal pixelRatio);

    RoseWindow history_;
    using FrameKey = std::array<int64_t, 8>;  // size, pixel ratio, origin, radius, step, colour
    QImage frame_;
    FrameKey frameKey_{};
};

}  // namespace svu
