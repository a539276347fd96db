#include "gadgets/TimeGadget.h"

#include "framework/Archive.h"

namespace svu {

TimeGadget::TimeGadget(Clock& clock) : Gadget(kTypeCode), shownTime(clock.Now()), clock_(&clock) {}

std::unique_ptr<Gadget> TimeGadget::Clone() const {
    return std::unique_ptr<Gadget>(new TimeGadget(*this));
}

void TimeGadget::Serialize(Archive& ar) {
    Gadget::Serialize(ar);
}

bool TimeGadget::UpdateFromChannels() {
    const TimeT now = clock_->Now();
    const LocalTm current = ToLocal(now);
    const LocalTm shown = ToLocal(shownTime);
    if (current.hour == shown.hour && current.minute == shown.minute && current.second == shown.second) {
        return false;
    }
    shownTime = now;
    return true;
}

std::string TimeGadget::Text() const {
    return FormatUserTime(shownTime);
}

void TimeGadget::Paint(QPainter& painter, const QRect& client) {
    DrawCaptionedText(painter, client, QString::fromStdString(Text()));
}

}  // namespace svu
