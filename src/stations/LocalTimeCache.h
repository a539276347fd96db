#pragma once

#include "framework/LocalTime.h"

namespace svu {

/// Breaks reading times down into local time without asking the C library for every reading:
/// within an hour whose UTC offset is known to be constant, the local fields follow from simple
/// arithmetic. Daylight-saving changes are still decided by the C library (TZ).
class LocalTimeCache {
public:
    /// The local time of `time` (dayOfWeek and dayOfYear are not filled in).
    const LocalTm& Get(TimeT time);

private:
    TimeT blockStart_ = 0;
    TimeT blockEnd_ = 0;  // empty block: nothing cached yet
    long offset_ = 0;     // seconds east of UTC within the block
    TimeT lastTime_ = 0;
    bool haveLast_ = false;
    LocalTm last_;
};

}  // namespace svu
