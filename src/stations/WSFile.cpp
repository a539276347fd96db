// The file station replays a daily log: each record becomes a reading stamped with its logged time
// and goes through the same processing as a live one (derived channels, alarms, network file, log).
// Replaying a year of one-minute records is a normal use, so a record costs no allocation: lines
// are views into one read buffer, fields are views into the line, value texts reuse their storage
// and record times come from a per-day cache.

#include "stations/WSFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "framework/Clock.h"
#include "framework/FieldVisitor.h"
#include "framework/RegularFile.h"
#include "framework/StringTable.h"
#include "framework/TextUtil.h"
#include "stations/ProcessedData.h"
#include "stations/RawChannels.h"
#include "stations/StationHost.h"
#include "stations/StationReports.h"

namespace svu {

namespace {

constexpr int kDateName = 179;
constexpr int kTimeName = 180;
constexpr int kDataCorrupt = 551;
constexpr auto kPollWait = std::chrono::milliseconds(100);
constexpr std::size_t kReadChunk = 256 * 1024;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// atoi of `len` characters at `pos`, 0 when the text is shorter (as ParseDateTime reads fields).
int Field(std::string_view text, std::size_t pos, std::size_t len) {
    return pos < text.size() ? AtoI(text.substr(pos, len)) : 0;
}

// Two digits at `pos` as a number, or -1.
int TwoDigits(std::string_view text, std::size_t pos) {
    if (pos + 2 > text.size() || !IsDigit(text[pos]) || !IsDigit(text[pos + 1])) {
        return -1;
    }
    return (text[pos] - '0') * 10 + (text[pos + 1] - '0');
}

}  // namespace

// ---- LogTimeParser ------------------------------------------------------------------------------

TimeT LogTimeParser::Parse(std::string_view date, std::string_view time) {
    if (date != date_) {
        date_.assign(date);
        const int day = Field(date, 0, 2);
        const int month = Field(date, 3, 2);
        int year = date.size() > 6 ? AtoI(date.substr(6)) : 0;
        if (year < 1000) {
            year += year < 70 ? 2000 : 1900;
        }
        plainDay_ = false;
        if (month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month)) {
            midnight_ = FromLocal(year, month, day, 0, 0, 0);
            // A day with a daylight-saving change is not 86400 s long: leave it to the C library.
            plainDay_ = FromLocal(year, month, day + 1, 0, 0, 0) - midnight_ == 86400 && ToLocal(midnight_).hour == 0;
        }
    }
    if (plainDay_) {
        const int hour = Field(time, 0, 2);
        const int minute = Field(time, 3, 2);
        const int second = Field(time, 6, 2);
        if (hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60) {
            return midnight_ + hour * 3600 + minute * 60 + second;
        }
    }
    return ParseDateTime(date, time);
}

// ---- FileRecord ---------------------------------------------------------------------------------

bool FileRecord::Parse(std::string_view line, std::size_t raw) {
    fields_.clear();
    // Fields are a few characters long: a plain scan beats a library search per field.
    const std::size_t limit = std::max<std::size_t>(raw, 2);
    const char* p = line.data();
    const char* const end = p + line.size();
    for (const char* start = p;; start = ++p) {
        while (p != end && *p != ',') {
            ++p;
        }
        fields_.emplace_back(start, static_cast<std::size_t>(p - start));
        if (p == end || fields_.size() >= limit) {
            break;
        }
    }
    // A short record is sound: a log whose station gained channels during the day names only the
    // first record's channels in its header. Only the date and time are required.
    if (fields_.size() < 2) {
        return false;
    }
    while (!fields_[1].empty() && fields_[1].front() == ' ') {
        fields_[1].remove_prefix(1);
    }
    // A date "dd/mm/yy" (or with a four-digit year) and a time that starts "hh:mm"; an old log
    // converted from another format may carry no seconds.
    const std::string_view date = fields_[0];
    const std::string_view time = fields_[1];
    if (TwoDigits(date, 6) < 0 || date[2] != '/' || date[5] != '/' || TwoDigits(time, 3) < 0 || time[2] != ':' ||
        TwoDigits(time, 0) < 0) {
        return false;
    }
    const int day = TwoDigits(date, 0);
    const int month = TwoDigits(date, 3);
    return day >= 1 && day <= 31 && month >= 1 && month <= 12;
}

void FileRecord::CopyTo(std::vector<std::string>& values, std::size_t raw) const {
    const std::size_t n = std::min(raw, values.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (i < fields_.size()) {
            AssignText(values[i], fields_[i]);
        } else {
            values[i].clear();  // the record has no field for it: no value for this reading
        }
    }
}

// ---- Reader -------------------------------------------------------------------------------------

// The replayed file, read through one buffer; lines are handed out as views into it.
class WSFile::Reader {
public:
    ~Reader() { Close(); }

    bool Open(const std::string& path) {
        Close();
        // Only a regular file: a FIFO would hold the thread in open() or read(), past any stop request.
        fd_ = OpenRegularFile(path);
        if (fd_ < 0) {
            return false;
        }
        buffer_.resize(kReadChunk);
        return Rewind();
    }

    bool Rewind() {
        begin_ = end_ = 0;
        lineNumber_ = 0;
        return fd_ >= 0 && ::lseek(fd_, 0, SEEK_SET) == 0;
    }

    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = -1;
    }

    // The next line without its line end; false at the end of the file. A last line without a
    // line end is still a line: the file may be complete without one.
    bool Next(std::string_view& line) {
        if (fd_ < 0) {
            return false;
        }
        std::size_t scanned = begin_;
        for (;;) {
            const void* lf = std::memchr(buffer_.data() + scanned, '\n', end_ - scanned);
            if (lf != nullptr) {
                const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(lf) - buffer_.data());
                line = std::string_view(buffer_.data() + begin_, at - begin_);
                begin_ = at + 1;
                break;
            }
            const std::size_t pending = end_ - begin_;
            if (!Fill()) {
                if (pending == 0) {
                    return false;
                }
                line = std::string_view(buffer_.data() + begin_, pending);
                begin_ = end_;
                break;
            }
            scanned = begin_ + pending;
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        ++lineNumber_;
        return true;
    }

    long LineNumber() const { return lineNumber_; }

private:
    // Moves the unread bytes to the front and reads more after them.
    bool Fill() {
        if (begin_ > 0) {
            std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        if (end_ == buffer_.size()) {
            buffer_.resize(buffer_.size() * 2);  // one line longer than the buffer
        }
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_.data() + end_, buffer_.size() - end_);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return false;
            }
            end_ += static_cast<std::size_t>(n);
            return true;
        }
    }

    int fd_ = -1;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    long lineNumber_ = 0;
};

// ---- WSFile -------------------------------------------------------------------------------------

WSFile::WSFile() {
    typeCode = kTypeCode;
}

WSFile::WSFile(std::string stationName) : WeatherStation(std::move(stationName)) {
    typeCode = kTypeCode;
}

WSFile::WSFile(const WSFile& other)
    : WeatherStation(other), inputFile(other.inputFile), loop(other.loop), speed(other.speed) {}

WSFile::~WSFile() = default;

std::unique_ptr<WeatherStation> WSFile::Duplicate() const {
    return std::unique_ptr<WeatherStation>(new WSFile(*this));
}

bool WSFile::InitComms(StationHost& host) {
    // A missing file is not refused here: the start is retried until it appears. A folder, FIFO or
    // device never becomes a log, so it is refused at once.
    if (inputFile.empty() || IsSpecialFile(inputFile)) {
        ReportError(this, "The input file is not a regular file [" + inputFile + "]");
        return false;
    }
    return true;
}

bool WSFile::ReadConfiguration() {
    Reader reader;
    if (!reader.Open(inputFile)) {
        return false;
    }
    std::vector<std::string> names{Str(kDateName), Str(kTimeName)};
    std::string_view line;
    if (reader.Next(line)) {
        // Only the names that are there: a damaged count must not make thousands of channels.
        long count = std::min<long>(AtoL(line), kMaxChannels - 2);
        while (count-- > 0 && reader.Next(line)) {
            names.emplace_back(line);
        }
    }
    ReplaceRawChannels(*this, names);
    return true;
}

bool WSFile::StartRealtime() {
    if (!replayFile_) {
        replayFile_ = std::make_unique<Reader>();
    }
    if (!replayFile_->Open(inputFile)) {
        return false;
    }
    return Restart();
}

bool WSFile::StopRealtime() {
    if (replayFile_) {
        replayFile_->Close();
    }
    havePending_ = false;
    return true;
}

bool WSFile::Restart() {
    if (!replayFile_ || !replayFile_->Rewind()) {
        return false;
    }
    std::string_view line;
    if (replayFile_->Next(line)) {
        long names = std::clamp<long>(AtoL(line), 0, kMaxChannels);
        while (names-- > 0 && replayFile_->Next(line)) {
        }
    }
    if (host != nullptr) {
        host->OnRewind(*this);
    }
    {
        std::lock_guard guard(lock);
        for (const auto& channel : derived) {
            channel->Reset();
        }
    }
    havePending_ = false;
    paced_ = false;
    lastReleaseSecond_ = -1;
    return true;
}

WSFile::Next WSFile::ReadRecord(bool allowLoop) {
    if (!replayFile_) {
        return Next::End;
    }
    std::string_view line;
    bool restarted = false;
    while (!replayFile_->Next(line)) {
        // An empty file, or one with a header only, would otherwise restart for ever.
        if (!allowLoop || !loop || restarted || !Restart()) {
            return Next::End;
        }
        restarted = true;
    }
    const std::size_t raw = static_cast<std::size_t>(std::max(rawChannelCount, 0));
    if (!record_.Parse(line, raw)) {
        ReportError(this, Str(kDataCorrupt) + " [" + inputFile + ":" + std::to_string(replayFile_->LineNumber()) + "]");
        return Next::Damaged;
    }
    recordTime_ = times_.Parse(record_.Date(), record_.Time());
    return Next::Record;
}

void WSFile::Store() {
    const std::size_t raw = static_cast<std::size_t>(std::max(rawChannelCount, 0));
    StoreReading(recordTime_, [&](std::vector<std::string>& v) { record_.CopyTo(v, raw); });
}

void WSFile::Poll(StationHost& host) {
    Clock& clock = host.GetClock();
    switch (speed) {
        case kOnePerSecond: {
            const TimeT second = clock.Now();
            if (second == lastReleaseSecond_) {
                clock.SleepFor(kPollWait);
                return;
            }
            const Next next = ReadRecord(true);
            if (next == Next::Record) {
                lastReleaseSecond_ = second;
                Store();
            } else {
                // A damaged line waits as a reading would: a looping file with no readable
                // record must not spin.
                clock.SleepFor(kPollWait);
            }
            return;
        }
        case kActualSpeed: {
            if (!havePending_) {
                const Next next = ReadRecord(true);
                if (next != Next::Record) {
                    clock.SleepFor(kPollWait);  // at the end, or a damaged line: no spinning
                    return;
                }
                havePending_ = true;
                // The first record, and one whose logged time goes backwards, is released at once
                // and the following ones are timed from it.
                if (!paced_ || recordTime_ < lastLogged_) {
                    paced_ = true;
                    paceTickMs_ = clock.TickMs();
                    paceLogged_ = recordTime_;
                }
                lastLogged_ = recordTime_;
                dueMs_ = paceTickMs_ + (recordTime_ - paceLogged_) * 1000;
            }
            const int64_t now = clock.TickMs();
            if (now < dueMs_) {
                clock.SleepFor(std::min(kPollWait, std::chrono::milliseconds(dueMs_ - now)));
                return;
            }
            havePending_ = false;
            Store();
            return;
        }
        default: {
            const Next next = ReadRecord(true);
            clock.SleepFor(kPollWait);
            if (next == Next::Record) {
                Store();
            }
            return;
        }
    }
}

void WSFile::ThreadFunction(StationHost& host) {
    RunAcquisition(host, [&] { Poll(host); });
}

WSFile::ReplayCounts WSFile::ReplayOnce(StationHost& replayHost) {
    ReplayCounts counts;
    host = &replayHost;
    // Records follow each other at once: the log is written in large pieces, not record by record.
    {
        std::lock_guard guard(lock);
        HoldLogWrites(true);
    }
    if (StartRealtime()) {
        for (;;) {
            const Next next = ReadRecord(false);
            if (next == Next::End) {
                break;
            }
            if (next == Next::Damaged) {
                ++counts.damaged;
                continue;
            }
            Store();
            ++counts.records;
        }
        StopRealtime();
    }
    {
        std::lock_guard guard(lock);
        HoldLogWrites(false);
        CloseLogFile();
    }
    host = nullptr;
    return counts;
}

void WSFile::VisitKindFields(FieldVisitor& v) {
    v.String("inputFile", inputFile);
    v.Bool32("loop", loop);
    v.Int32("speed", speed);
}

}  // namespace svu
