#pragma once

// "sounds.bin", the catalogue of alarm recordings in the program folder: a sequence of records,
// each the recording's start as a Windows SYSTEMTIME (eight little-endian 16-bit fields: year,
// month, day of week, day, hour, minute, second, milliseconds; local time), the path's length as a
// little-endian 32-bit count and the path's bytes without a terminating zero. New records are
// appended; a catalogue edited in the recordings window is rewritten whole.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/LocalTime.h"

namespace svu {

inline constexpr const char* kSoundCatalogueName = "sounds.bin";
/// The longest path a record may carry: the program never writes a longer one.
inline constexpr uint32_t kMaxCataloguePath = 259;

struct SystemTime {
    uint16_t year = 1970, month = 1, dayOfWeek = 4, day = 1, hour = 0, minute = 0, second = 0, milliseconds = 0;

    static SystemTime FromTime(TimeT time);
    /// The local time it names (the day of week is not consulted).
    TimeT ToTime() const;
    bool operator==(const SystemTime&) const = default;
};

struct CatalogueEntry {
    SystemTime start;
    std::string path;
    bool operator==(const CatalogueEntry&) const = default;
};

struct CatalogueReadResult {
    std::vector<CatalogueEntry> entries;  // the sound records before any damage
    /// Empty, or what is wrong with the rest of the file (which was not read).
    std::string error;
};

/// The records of a catalogue's bytes. A record whose path is longer than kMaxCataloguePath, or
/// one cut short, ends the reading: it and the rest are refused and reported in `error`.
CatalogueReadResult ParseSoundCatalogue(std::string_view bytes);

/// ParseSoundCatalogue of a file; a missing file is an empty catalogue without an error.
CatalogueReadResult ReadSoundCatalogue(const std::string& path);

/// The bytes of one record.
std::string EncodeCatalogueEntry(const CatalogueEntry& entry);

/// Appends one record (the file is created when missing, never truncated).
bool AppendCatalogueEntry(const std::string& path, const CatalogueEntry& entry, std::string* error = nullptr);

/// Replaces the catalogue with these records (temporary file, then rename).
bool RewriteSoundCatalogue(const std::string& path, const std::vector<CatalogueEntry>& entries,
                           std::string* error = nullptr);

/// "Delete": deletes the recording's file (a file already gone is no error), removes its entry
/// from `entries` and rewrites the catalogue. False (with `error`) when the file or the catalogue
/// could not be changed; `entries` is then left as it was (a record whose file went meanwhile is
/// cleared later by "Remove no wav").
bool DeleteRecording(const std::string& cataloguePath, std::vector<CatalogueEntry>& entries, std::size_t index,
                     std::string* error = nullptr);

/// "Remove no wav": removes the entries whose file no longer exists and rewrites the catalogue;
/// the number removed, or -1 when the catalogue could not be written.
int RemoveMissingRecordings(const std::string& cataloguePath, std::vector<CatalogueEntry>& entries,
                            std::string* error = nullptr);

}  // namespace svu
