#pragma once

#include <memory>
#include <string>

#include "framework/Clock.h"
#include "gadgets/Gadget.h"

namespace svu {

/// Today's date in the user's short date format ("Date").
class DateGadget : public Gadget {
public:
    static constexpr const char* kClassName = "DateGadget";
    static constexpr int32_t kTypeCode = 1;

    /// `clock` gives the date (it must outlive the item).
    explicit DateGadget(Clock& clock = SystemClock());

    const char* ClassName() const override { return kClassName; }
    /// The base record only.
    void Serialize(Archive& ar) override;
    std::unique_ptr<Gadget> Clone() const override;
    /// True once the local day changed since the date shown.
    bool UpdateFromChannels() override;
    void Paint(QPainter& painter, const QRect& client) override;

    /// The text drawn for the date shown.
    std::string Text() const;

    TimeT shownDate;

protected:
    DateGadget(const DateGadget& other);

private:
    Clock* clock_;
};

}  // namespace svu
