#include "stations/LocalTimeCache.h"

#include <ctime>

namespace svu {

namespace {

constexpr TimeT kBlock = 3600;

TimeT FloorDiv(TimeT a, TimeT b) {
    const TimeT q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

bool Offset(TimeT time, long& offset) {
    const std::time_t t = static_cast<std::time_t>(time);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return false;
    }
    offset = tm.tm_gmtoff;
    return true;
}

// Civil date of a day count since 1970-01-01 (proleptic Gregorian).
void CivilFromDays(TimeT z, int& year, int& month, int& day) {
    z += 719468;
    const TimeT era = FloorDiv(z, 146097);
    const TimeT doe = z - era * 146097;
    const TimeT yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const TimeT doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const TimeT mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

const LocalTm& LocalTimeCache::Get(TimeT time) {
    if (haveLast_ && time == lastTime_) {
        return last_;
    }
    if (time < blockStart_ || time >= blockEnd_) {
        const TimeT start = FloorDiv(time, kBlock) * kBlock;
        long atStart = 0;
        long atEnd = 0;
        if (Offset(start, atStart) && Offset(start + kBlock - 1, atEnd) && atStart == atEnd) {
            blockStart_ = start;
            blockEnd_ = start + kBlock;
            offset_ = atStart;
        } else {
            // The offset changes within this hour (or is unknown): ask the C library every time.
            blockStart_ = blockEnd_ = 0;
            last_ = ToLocal(time);
            lastTime_ = time;
            haveLast_ = true;
            return last_;
        }
    }
    const TimeT local = time + offset_;
    const TimeT days = FloorDiv(local, 86400);
    const TimeT secs = local - days * 86400;
    CivilFromDays(days, last_.year, last_.month, last_.day);
    last_.hour = static_cast<int>(secs / 3600);
    last_.minute = static_cast<int>(secs / 60 % 60);
    last_.second = static_cast<int>(secs % 60);
    lastTime_ = time;
    haveLast_ = true;
    return last_;
}

}  // namespace svu
