#pragma once

#include <memory>
#include <string>

#include "framework/Clock.h"
#include "gadgets/Gadget.h"

namespace svu {

/// The time of day in the user's time format ("Time").
class TimeGadget : public Gadget {
public:
    static constexpr const char* kClassName = "TimeGadget";
    static constexpr int32_t kTypeCode = 2;

    /// `clock` gives the time (it must outlive the item).
    explicit TimeGadget(Clock& clock = SystemClock());

    const char* ClassName() const override { return kClassName; }
    /// The base record only.
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// True once the local second changed since the time shown.
    bool UpdateFromChannels() override;
    void Paint(QPainter& painter, const QRect& client) override;

    /// The text drawn for the time shown.
    std::string Text() const;

    TimeT shownTime;

protected:
    TimeGadget(const TimeGadget& other) = default;

private:
    Clock* clock_;
};

}  // namespace svu
