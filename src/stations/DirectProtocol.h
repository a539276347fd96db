#pragma once

// The formats of the Direct station's instrument, as pure functions on text and bytes: menu
// commands and replies, the real-time line and its checksum, and the memory image that the
// instrument dumps for download (also decoded for the modem station). No I/O here. The
// instrument simulator writes its real-time lines and logger records with its own code.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace svu::direct {

inline constexpr char kEtx = '\x03';
inline constexpr char kCan = '\x18';
inline constexpr char kCr = '\r';

/// The menu's last line: a reply ending in it followed by ETX is the menu.
inline constexpr std::string_view kPrompt = "Enter Option:";
/// Seen in the reply that starts the real-time stream.
inline constexpr std::string_view kSensorMonitor = "Sensor monitor";
/// Seen in the first and second replies of the memory-clearing dialogue.
inline constexpr std::string_view kDeleteHeading = "12 Delete";
inline constexpr std::string_view kAreYouSure = "Are You Sure";

/// Menu options, sent as "%i\r".
enum MenuOption : int {
    kOptionGustPeriod = 2,
    kOptionSetClock = 3,
    kOptionCalibration = 4,
    kOptionLoggerInterval = 6,
    kOptionSensorMonitor = 10,
    kOptionClearMemory = 12,
    kOptionChannelSetup = 14,
    kOptionDumpMemory = 20,
};

// ---- commands and replies ------------------------------------------------------------------

/// "%i\r": a menu option, channel number or setting.
std::string NumberCommand(int value);
/// "%.8f\r": a calibration offset or multiplier.
std::string CalibrationCommand(double value);

/// Takes the first complete reply (text up to and including the first ETX) off the front of
/// buffer; false, leaving buffer as it is, while no ETX has arrived.
bool TakeReply(std::string& buffer, std::string& reply);
/// True when the reply's last 14 characters are the prompt followed by ETX.
bool IsMenuPrompt(std::string_view reply);
/// The integer in the 6 characters before word ("Channels", "Counters"), which must start at
/// position 6 or later.
bool ParseCountBefore(std::string_view reply, std::string_view word, int& count);
/// The number after the first line feed at or after character 5 (interval, gust period, offset).
bool ParseNumberAfterLineFeed(std::string_view reply, double& value);
/// The integer starting 5 characters after "type".
bool ParseTypeCode(std::string_view reply, int& type);
/// The number at the start of the reply (leading white space, CR and LF skipped).
double ParseLeadingNumber(std::string_view reply);
/// A reply that is only a channel name: CR, LF and ETX removed.
std::string ParseChannelName(std::string_view reply);

// ---- real-time lines -------------------------------------------------------------------------

/// Shortest acceptable line for R raw channels: 8R + 18.
std::size_t MinimumLineLength(int rawChannels);
/// Two lower-case hexadecimal digits of the byte sum of the text, modulo 256.
std::string LineChecksum(std::string_view body);
/// True when the last two characters are the checksum of the rest (any case).
bool ChecksumMatches(std::string_view line);
/// Drops stray characters before the date: when the last "/" is at position 6 or later and the
/// character three before it is also "/", the line starts 5 before that last "/".
std::string_view Resynchronise(std::string_view line);

enum class LineStatus { TooShort, Corrupt, Ok };

struct RealtimeReading {
    std::string date;                 ///< "dd/mm/yy"
    std::string time;                 ///< "hh:mm:ss"
    std::vector<std::string> values;  ///< R texts of 7 characters, spaces kept
};

/// Checks and splits one received line (control characters already removed): TooShort below
/// 8R + 18 characters, Corrupt when the checksum does not match or the resynchronised line is
/// too short to hold every value.
LineStatus ParseRealtimeLine(std::string_view line, int rawChannels, RealtimeReading& reading);

/// Cuts a received byte stream into lines at CR, LF and ETX, so a line that arrives in pieces is
/// never taken for a short one, whichever of them the instrument ends its lines with.
class RealtimeLineAssembler {
public:
    void Append(std::string_view bytes);
    /// The next complete non-empty line; false when none is complete yet.
    bool NextLine(std::string& line);
    void Clear() { buffer_.clear(); }

private:
    std::string buffer_;
};

// ---- logger records and the memory image -----------------------------------------------------

/// Where the instrument keeps things in its memory image.
namespace image {
inline constexpr std::size_t kAreaEndPointer = 0x1C;  ///< big-endian word: end of the record area
inline constexpr std::size_t kCalibration = 0xB0;     ///< 16 x (offset, multiplier), 7 bytes each
inline constexpr std::size_t kChannelTypes = 0x200;   ///< one type-code byte per channel (16)
inline constexpr std::size_t kChannelCount = 0x210;   ///< C
inline constexpr std::size_t kFloatChannels = 0x211;  ///< W: channels 0..W-1 are short floats
inline constexpr std::size_t kOldestPointer = 0x214;  ///< big-endian word: oldest record
inline constexpr std::size_t kNextPointer = 0x216;    ///< big-endian word: where the next record goes
inline constexpr std::size_t kNewestPointer = 0x21A;  ///< big-endian word: newest record, 0 when none
inline constexpr std::size_t kChannelNames = 0x220;   ///< 16 bytes per channel, NUL padded
inline constexpr std::size_t kRecords = 0x658;        ///< first record slot
inline constexpr std::size_t kNameSize = 16;
inline constexpr std::size_t kCalibrationEntrySize = 7;
inline constexpr int kMaxChannels = 16;
}  // namespace image

/// A record's time stamp (seconds are always 0).
struct RecordTime {
    int year = 1997;  ///< four digits
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
};

/// Bytes per record for C channels.
constexpr std::size_t RecordSize(int channels) {
    return 3 + 2 * static_cast<std::size_t>(channels);
}

/// Reads the 3-byte time stamp; false for an empty record (hour above 23). The year nibble holds
/// the year modulo 16; with referenceYear 0 it is read as 1997..2012, otherwise as the year
/// from referenceYear - 14 to referenceYear + 1 that has that remainder.
bool DecodeRecordTime(const uint8_t* bytes, int referenceYear, RecordTime& time);
/// Sign, 3-digit mantissa and exponent -3..4: value = +-0.ddd x 10^e.
double DecodeShortFloat(uint8_t b0, uint8_t b1);
/// The uncalibrated fixed-point number: "d.xxyy", negative when bit 0 of b1 is set.
double DecodeFixedPoint(uint8_t b0, uint8_t b1);
/// A calibration entry: signed exponent byte, then packed decimal digits 0.ddd... ended by a
/// nibble above 9 (0xB or 0xD marks a negative number).
double DecodeCalibration(const uint8_t* entry);

/// Turns records into log lines "dd/mm/yy,hh:mm:00,v1,v2,...", keeping the daily totals of the
/// accumulating channels (types 10 and 13) from one record to the next.
class RecordDecoder {
public:
    struct Channel {
        uint32_t type = 0;
        double offset = 0.0;
        double multiplier = 1.0;
    };
    RecordDecoder(std::vector<Channel> channels, int floatChannels, int referenceYear);
    /// The line for one record (no line end); false for an empty record.
    bool Decode(const uint8_t* record, std::string& line);

private:
    std::vector<Channel> channels_;
    int floatChannels_;
    int referenceYear_;
    std::vector<double> totals_;
    std::vector<int> totalDays_;  // year * 10000 + month * 100 + day of each total, -1 none
};

/// What the conversion reads from an image's header.
struct MemoryImageInfo {
    int channelCount = 0;
    int floatChannels = 0;
    std::vector<std::string> names;
    std::vector<RecordDecoder::Channel> channels;
    std::size_t areaEnd = 0;
    std::size_t oldest = 0;
    std::size_t next = 0;
    std::size_t newest = 0;  ///< 0 when the memory holds no record
    std::size_t Capacity() const;
};

/// Reads and checks the header; false with a reason when the image is unusable.
bool ReadMemoryImageInfo(const std::vector<uint8_t>& image, MemoryImageInfo& info, std::string* error);
/// Offsets of the record slots from the oldest to the newest, wrapping at the end of the area.
std::vector<std::size_t> RecordOffsets(const MemoryImageInfo& info);

/// The whole download as log-file text with CR LF line ends: channel count, names, then one line
/// per non-empty, non-erased record. typeOverride (one per channel) replaces the image's type
/// codes when given. False with a reason when the image is unusable.
bool ConvertMemoryImage(const std::vector<uint8_t>& image, int referenceYear, std::string& logText, std::string* error,
                        const std::vector<uint32_t>* typeOverride = nullptr);

}  // namespace svu::direct
