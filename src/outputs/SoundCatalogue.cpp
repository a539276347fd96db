#include "outputs/SoundCatalogue.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "framework/AtomicFile.h"

namespace svu {

namespace {

constexpr std::size_t kTimeBytes = 16;
constexpr std::size_t kLengthBytes = 4;
// A catalogue grows by one short record per recording; anything far beyond is not ours.
constexpr std::size_t kMaxCatalogueBytes = 64u << 20;

uint16_t U16(std::string_view b, std::size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8);
}

void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>(v >> 8);
}

}  // namespace

SystemTime SystemTime::FromTime(TimeT time) {
    const LocalTm tm = ToLocal(time);
    SystemTime st;
    st.year = static_cast<uint16_t>(tm.year);
    st.month = static_cast<uint16_t>(tm.month);
    st.dayOfWeek = static_cast<uint16_t>(tm.dayOfWeek);
    st.day = static_cast<uint16_t>(tm.day);
    st.hour = static_cast<uint16_t>(tm.hour);
    st.minute = static_cast<uint16_t>(tm.minute);
    st.second = static_cast<uint16_t>(tm.second);
    return st;
}

TimeT SystemTime::ToTime() const {
    return FromLocal(year, month, day, hour, minute, second);
}

std::string EncodeCatalogueEntry(const CatalogueEntry& entry) {
    std::string out;
    for (uint16_t v : {entry.start.year, entry.start.month, entry.start.dayOfWeek, entry.start.day, entry.start.hour,
                       entry.start.minute, entry.start.second, entry.start.milliseconds}) {
        Put16(out, v);
    }
    const auto length = static_cast<uint32_t>(entry.path.size());
    Put16(out, static_cast<uint16_t>(length & 0xffff));
    Put16(out, static_cast<uint16_t>(length >> 16));
    out += entry.path;
    return out;
}

CatalogueReadResult ParseSoundCatalogue(std::string_view bytes) {
    CatalogueReadResult result;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t recordNumber = result.entries.size() + 1;
        if (bytes.size() - at < kTimeBytes + kLengthBytes) {
            result.error = "record " + std::to_string(recordNumber) + " is cut short";
            break;
        }
        CatalogueEntry entry;
        uint16_t* fields[] = {&entry.start.year,   &entry.start.month,       &entry.start.dayOfWeek,
                              &entry.start.day,    &entry.start.hour,        &entry.start.minute,
                              &entry.start.second, &entry.start.milliseconds};
        for (std::size_t i = 0; i < 8; ++i) {
            *fields[i] = U16(bytes, at + 2 * i);
        }
        const uint32_t length = U16(bytes, at + kTimeBytes) | static_cast<uint32_t>(U16(bytes, at + kTimeBytes + 2))
                                                                  << 16;
        at += kTimeBytes + kLengthBytes;
        if (length > kMaxCataloguePath) {
            result.error = "record " + std::to_string(recordNumber) + " claims a path of " + std::to_string(length) +
                           " bytes (at most " + std::to_string(kMaxCataloguePath) + ")";
            break;
        }
        if (bytes.size() - at < length) {
            result.error = "record " + std::to_string(recordNumber) + " is cut short";
            break;
        }
        entry.path.assign(bytes.substr(at, length));
        at += length;
        result.entries.push_back(std::move(entry));
    }
    if (!result.error.empty()) {
        result.error = "The recordings catalogue is damaged: " + result.error + "; the rest of it is ignored";
    }
    return result;
}

CatalogueReadResult ReadSoundCatalogue(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    std::string bytes;
    char chunk[8192];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kMaxCatalogueBytes) {
            bytes.resize(kMaxCatalogueBytes);
            CatalogueReadResult result = ParseSoundCatalogue(bytes);
            result.error = "The recordings catalogue is larger than " + std::to_string(kMaxCatalogueBytes >> 20) +
                           " MB; only its start is read";
            return result;
        }
    }
    return ParseSoundCatalogue(bytes);
}

bool AppendCatalogueEntry(const std::string& path, const CatalogueEntry& entry, std::string* error) {
    const std::string record = EncodeCatalogueEntry(entry);
    // One write of the whole record to a file opened for appending: a reader never sees half of it
    // unless the disk fills, and then the reader refuses the cut record.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (error != nullptr) {
            *error = std::strerror(errno);
        }
        return false;
    }
    const ssize_t written = ::write(fd, record.data(), record.size());
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (written != static_cast<ssize_t>(record.size()) || !closed) {
        if (error != nullptr) {
            *error = written < 0 ? std::strerror(writeErrno) : "the record was not written whole";
        }
        return false;
    }
    return true;
}

bool RewriteSoundCatalogue(const std::string& path, const std::vector<CatalogueEntry>& entries, std::string* error) {
    std::string bytes;
    for (const CatalogueEntry& entry : entries) {
        bytes += EncodeCatalogueEntry(entry);
    }
    return WriteFileAtomically(path, bytes, error);
}

bool DeleteRecording(const std::string& cataloguePath, std::vector<CatalogueEntry>& entries, std::size_t index,
                     std::string* error) {
    if (index >= entries.size()) {
        return false;
    }
    std::error_code ec;
    std::filesystem::remove(entries[index].path, ec);
    if (ec) {
        if (error != nullptr) {
            *error = entries[index].path + ": " + ec.message();
        }
        return false;
    }
    std::vector<CatalogueEntry> kept = entries;
    kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(index));
    if (!RewriteSoundCatalogue(cataloguePath, kept, error)) {
        return false;
    }
    entries = std::move(kept);
    return true;
}

int RemoveMissingRecordings(const std::string& cataloguePath, std::vector<CatalogueEntry>& entries,
                            std::string* error) {
    std::vector<CatalogueEntry> kept;
    for (const CatalogueEntry& entry : entries) {
        std::error_code ec;
        if (std::filesystem::exists(entry.path, ec) || ec) {
            kept.push_back(entry);  // a file that cannot be checked is kept, not forgotten
        }
    }
    const int removed = static_cast<int>(entries.size() - kept.size());
    if (!RewriteSoundCatalogue(cataloguePath, kept, error)) {
        return -1;
    }
    entries = std::move(kept);
    return removed;
}

}  // namespace svu
