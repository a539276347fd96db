#include "historic/LogRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "framework/RegularFile.h"
#include "framework/TextUtil.h"

namespace svu {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

ssize_t ReadSome(int fd, char* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd, data, size);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

ssize_t ReadAt(int fd, char* data, std::size_t size, off_t offset) {
    for (;;) {
        const ssize_t n = ::pread(fd, data, size, offset);
        if (n >= 0 || errno != EINTR) {
            return n;
        }
    }
}

std::string_view WithoutCr(std::string_view line) {
    if (line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

}  // namespace

std::string_view LogRecordField(std::string_view record, int channel) {
    if (channel < 0) {
        return {};
    }
    std::size_t pos = 0;
    for (int commas = 0; commas < channel + 2; ++commas) {
        const std::size_t comma = record.find(',', pos);
        if (comma == std::string_view::npos) {
            return {};
        }
        pos = comma + 1;
    }
    const std::size_t next = record.find(',', pos);
    return record.substr(pos, next == std::string_view::npos ? std::string_view::npos : next - pos);
}

double LogRecordValue(std::string_view record, int channel) {
    return AtoF(LogRecordField(record, channel));
}

void SplitLogRecord(std::string_view record, std::vector<std::string_view>& fields) {
    fields.clear();
    for (;;) {
        const std::size_t comma = record.find(',');
        fields.push_back(record.substr(0, comma));
        if (comma == std::string_view::npos) {
            return;
        }
        record.remove_prefix(comma + 1);
    }
}

int ParseLogChannelCount(std::string_view line) {
    const long n = AtoL(line);
    return n < 0 || n > kMaxLogChannels ? 0 : static_cast<int>(n);
}

LogLineReader::~LogLineReader() {
    Close();
}

bool LogLineReader::Open(const std::string& path) {
    Close();
    fd_ = OpenRegularFile(path);  // a FIFO or device named as a log would block or never end
    if (fd_ < 0) {
        return false;
    }
    buffer_.resize(kReadChunk);
    return Rewind();
}

bool LogLineReader::Rewind() {
    if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
        return false;
    }
    begin_ = end_ = 0;
    eof_ = false;
    terminated_ = true;
    return true;
}

void LogLineReader::Close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    begin_ = end_ = 0;
    eof_ = false;
}

bool LogLineReader::Fill() {
    if (eof_) {
        return false;
    }
    // Keep the unread part at the front, growing the buffer when one line fills all of it.
    if (begin_ > 0) {
        std::copy(buffer_.begin() + static_cast<std::ptrdiff_t>(begin_),
                  buffer_.begin() + static_cast<std::ptrdiff_t>(end_), buffer_.begin());
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        buffer_.resize(buffer_.size() * 2);
    }
    const ssize_t n = ReadSome(fd_, buffer_.data() + end_, buffer_.size() - end_);
    if (n <= 0) {
        eof_ = true;
        return false;
    }
    end_ += static_cast<std::size_t>(n);
    return true;
}

bool LogLineReader::Next(std::string_view& line) {
    if (fd_ < 0) {
        return false;
    }
    std::size_t scanned = begin_;
    for (;;) {
        const char* start = buffer_.data() + scanned;
        const char* lf = static_cast<const char*>(std::memchr(start, '\n', end_ - scanned));
        if (lf != nullptr) {
            const std::size_t at = static_cast<std::size_t>(lf - buffer_.data());
            line = WithoutCr(std::string_view(buffer_.data() + begin_, at - begin_));
            begin_ = at + 1;
            terminated_ = true;
            return true;
        }
        const std::size_t scannedFromBegin = end_ - begin_;
        if (!Fill()) {
            if (begin_ == end_) {
                return false;
            }
            line = WithoutCr(std::string_view(buffer_.data() + begin_, end_ - begin_));
            begin_ = end_;
            terminated_ = false;
            return true;
        }
        scanned = begin_ + scannedFromBegin;  // Fill moved the unread part to the front
    }
}

bool ReadLastCompleteLine(const std::string& path, std::string& line) {
    line.clear();
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return false;
    }
    // Read backwards from the size the file has now; records appended meanwhile are not wanted.
    std::string tail;  // the bytes from `offset` to the size seen
    off_t offset = st.st_size;
    std::size_t lastEnd = std::string::npos;  // index in `tail` of the last line feed
    for (;;) {
        if (lastEnd != std::string::npos) {
            const std::size_t previous = lastEnd == 0 ? std::string::npos : tail.rfind('\n', lastEnd - 1);
            if (previous != std::string::npos || offset == 0) {
                const std::size_t start = previous == std::string::npos ? 0 : previous + 1;
                line = WithoutCr(std::string_view(tail).substr(start, lastEnd - start));
                break;
            }
        }
        if (offset == 0) {
            // No line feed at all: the whole file is one unfinished line.
            line = WithoutCr(tail);
            break;
        }
        const std::size_t chunk = static_cast<std::size_t>(std::min<off_t>(offset, 4096));
        std::string block(chunk, '\0');
        const ssize_t n = ReadAt(fd, block.data(), chunk, offset - static_cast<off_t>(chunk));
        if (n != static_cast<ssize_t>(chunk)) {
            break;  // the file was cut short under us: keep what was found
        }
        offset -= static_cast<off_t>(chunk);
        tail.insert(0, block);
        if (lastEnd != std::string::npos) {
            lastEnd += chunk;
        } else {
            const std::size_t lf = tail.rfind('\n');
            lastEnd = lf;
        }
    }
    ::close(fd);
    return true;
}

}  // namespace svu
