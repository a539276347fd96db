#include "historic/HistoricLog.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <numeric>

#include "framework/TextUtil.h"
#include "historic/DayFiles.h"
#include "historic/LogRecord.h"
#include "stations/WSFile.h"

namespace svu {

namespace {

// A file's bytes, read whole in as few calls as the system allows. Only the size seen at opening
// is read: records a station appends meanwhile belong to a later look.
struct FileBlock {
    LogBlock data;
    std::size_t size = 0;
};

bool ReadWholeFile(const std::string& path, FileBlock& block) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return false;
    }
    const auto wanted = static_cast<std::size_t>(st.st_size);
    const std::size_t mapped = wanted + 1;
    void* memory = ::mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (memory == MAP_FAILED) {
        ::close(fd);
        return false;
    }
    block.data = LogBlock(static_cast<char*>(memory), LogBlockRelease{mapped});
    block.size = 0;
    bool ok = true;
    while (block.size < wanted) {
        const ssize_t n = ::read(fd, block.data.get() + block.size, wanted - block.size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) {
            break;  // cut short under us: keep what is there
        }
        block.size += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return ok;
}

// Walks the lines of a block: LF or CR LF ends, the last line may lack its end.
class LineCursor {
public:
    LineCursor(const char* data, std::size_t size) : at_(data), end_(data + size) {}

    bool Next(std::string_view& line) {
        if (at_ >= end_) {
            return false;
        }
        const char* lf = static_cast<const char*>(std::memchr(at_, '\n', static_cast<std::size_t>(end_ - at_)));
        const char* stop = lf != nullptr ? lf : end_;
        std::size_t length = static_cast<std::size_t>(stop - at_);
        if (length > 0 && at_[length - 1] == '\r') {
            --length;
        }
        line = std::string_view(at_, length);
        at_ = lf != nullptr ? lf + 1 : end_;
        return true;
    }

private:
    const char* at_;
    const char* end_;
};

// Reads the count line and passes over the names it announces; `names` (when given) receives them.
void ReadHeader(LineCursor& cursor, std::vector<std::string>* names, int* count = nullptr) {
    std::string_view line;
    if (!cursor.Next(line)) {
        return;
    }
    const int n = ParseLogChannelCount(line);
    if (count != nullptr) {
        *count = n;
    }
    for (int k = 0; k < n && cursor.Next(line); ++k) {
        if (names != nullptr) {
            names->emplace_back(line);
        }
    }
}

// The text after the `commas`-th comma up to the next one (the whole rest when there is no other).
std::string_view AfterComma(std::string_view line, int commas) {
    std::size_t pos = 0;
    for (int c = 0; c < commas; ++c) {
        const std::size_t comma = line.find(',', pos);
        if (comma == std::string_view::npos) {
            return {};
        }
        pos = comma + 1;
    }
    const std::size_t next = line.find(',', pos);
    return line.substr(pos, next == std::string_view::npos ? std::string_view::npos : next - pos);
}

}  // namespace

void LogBlockRelease::operator()(char* data) const {
    if (data != nullptr) {
        ::munmap(data, size);
    }
}

TimeT ParseLogTime(std::string_view line) {
    static thread_local LogTimeParser parser;
    return parser.Parse(LogDateText(line), LogTimeText(line));
}

double ParseLogValue(std::string_view line, int channel) {
    return LogRecordValue(line, channel);
}

std::string_view LogFieldText(std::string_view line, int channel) {
    return Trim(LogRecordField(line, channel));
}

std::string_view LogDateText(std::string_view line) {
    return line.substr(0, 8);
}

std::string_view LogTimeText(std::string_view line) {
    return Trim(AfterComma(line, 1));
}

void HistoricLog::Clear() {
    channelNames.clear();
    blocks_.clear();
    lines_.clear();
    times_.clear();
    wholeMinutes_ = true;
    filesRead_ = 0;
}

// Gathers the kept lines of one file after another.
class HistoricLogBuilder {
public:
    HistoricLogBuilder(HistoricLog& log, TimeT from, TimeT to) : log_(log), from_(from), to_(to) {}

    /// Reads one file; false when it does not open. The first file read gives the channel names.
    bool AddFile(const std::string& path) {
        FileBlock block;
        if (!ReadWholeFile(path, block)) {
            return false;
        }
        ++log_.filesRead_;
        LineCursor cursor(block.data.get(), block.size);
        ReadHeader(cursor, log_.filesRead_ == 1 ? &log_.channelNames : nullptr);
        const std::size_t before = log_.lines_.size();
        std::string_view line;
        while (cursor.Next(line)) {
            if (line.empty()) {
                continue;
            }
            const std::string_view time = LogTimeText(line);
            const TimeT t = times_.Parse(LogDateText(line), time);
            if (t > to_) {
                break;  // a day file is in time order: the rest lies beyond the period
            }
            if (t < from_) {
                continue;
            }
            if (!log_.times_.empty() && t < log_.times_.back()) {
                unordered_ = true;
            }
            log_.lines_.push_back(line);
            log_.times_.push_back(t);
            // The seconds as logged decide, not local-time arithmetic.
            if (log_.wholeMinutes_ && time.size() > 6 && AtoI(time.substr(6, 2)) != 0) {
                log_.wholeMinutes_ = false;
            }
        }
        if (log_.lines_.size() > before) {
            log_.blocks_.push_back(std::move(block.data));
        }
        return true;
    }

    /// Puts the lines in time order when a clock went back (equal times keep their order).
    void Finish() {
        if (!unordered_) {
            return;
        }
        std::vector<std::size_t> order(log_.lines_.size());
        std::iota(order.begin(), order.end(), std::size_t{0});
        std::stable_sort(order.begin(), order.end(),
                         [this](std::size_t a, std::size_t b) { return log_.times_[a] < log_.times_[b]; });
        std::vector<std::string_view> lines(order.size());
        std::vector<TimeT> times(order.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            lines[i] = log_.lines_[order[i]];
            times[i] = log_.times_[order[i]];
        }
        log_.lines_ = std::move(lines);
        log_.times_ = std::move(times);
    }

private:
    HistoricLog& log_;
    TimeT from_;
    TimeT to_;
    LogTimeParser times_;
    bool unordered_ = false;
};

HistoricLoadStatus LoadHistoricRange(const HistoricSource& source, TimeT from, TimeT to, HistoricLog& log) {
    log.Clear();
    HistoricLogBuilder builder(log, from, to);
    if (source.downloaded) {
        if (!builder.AddFile(source.filePath)) {
            return HistoricLoadStatus::UnableToOpen;
        }
    } else if (from <= to) {
        // By calendar day, so a day of 23 or 25 hours is neither visited twice nor skipped.
        const CalendarDay last = DayOf(to);
        for (CalendarDay day = DayOf(from); day <= last && IsValidDay(day); day = NextDay(day)) {
            builder.AddFile(DayFilePath(source.logFolder, source.stationName, day));
        }
    }
    if (log.FilesRead() == 0) {
        return HistoricLoadStatus::UnableToOpen;
    }
    builder.Finish();
    return log.HaveData() ? HistoricLoadStatus::Ok : HistoricLoadStatus::NoData;
}

bool LogFileView::Open(const std::string& path) {
    FileBlock block;
    names_.clear();
    lines_.clear();
    headerCount_ = 0;
    if (!ReadWholeFile(path, block)) {
        return false;
    }
    LineCursor cursor(block.data.get(), block.size);
    ReadHeader(cursor, &names_, &headerCount_);
    std::string_view line;
    while (cursor.Next(line)) {
        lines_.push_back(line);
    }
    block_ = std::move(block.data);
    return true;
}

bool LogFileTimeSpan(const std::string& path, TimeT& first, TimeT& last) {
    LogFileView view;
    if (!view.Open(path)) {
        return false;
    }
    std::size_t a = 0;
    while (a < view.Count() && view.Line(a).empty()) {
        ++a;
    }
    std::size_t b = view.Count();
    while (b > a && view.Line(b - 1).empty()) {
        --b;
    }
    if (a >= b) {
        return false;
    }
    first = ParseLogTime(view.Line(a));
    last = ParseLogTime(view.Line(b - 1));
    return true;
}

}  // namespace svu
