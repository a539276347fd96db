#include "gadgets/DateGadget.h"

#include "framework/Archive.h"

namespace svu {

DateGadget::DateGadget(Clock& clock) : Gadget(kTypeCode), shownDate(clock.Now()), clock_(&clock) {}

// The copy shows the date of its own making.
DateGadget::DateGadget(const DateGadget& other) : Gadget(other), shownDate(other.clock_->Now()), clock_(other.clock_) {}

std::unique_ptr<Gadget> DateGadget::Clone() const {
    return std::unique_ptr<Gadget>(new DateGadget(*this));
}

void DateGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
}

bool DateGadget::UpdateFromChannels() {
    const TimeT now = clock_->Now();
    const LocalTm today = ToLocal(now);
    const LocalTm shown = ToLocal(shownDate);
    if (today.day == shown.day && today.month == shown.month && today.year == shown.year) {
        return false;
    }
    shownDate = now;
    return true;
}

std::string DateGadget::Text() const {
    return FormatUserDate(shownDate);
}

void DateGadget::Paint(QPainter& painter, const QRect& client) {
    DrawCaptionedText(painter, client, QString::fromStdString(Text()));
}

}  // namespace svu
