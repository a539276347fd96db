#pragma once

// The simulated instrument's logger memory, in the layout the download decodes: a header with
// the channel set-up and calibration, and a circular area of records.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stations/DirectProtocol.h"

namespace svu::sim {

struct MemoryChannel {
    std::string name;
    uint32_t type = 0;
    double offset = 0;
    double multiplier = 1;
};

class DirectMemory {
public:
    /// Memory of size bytes (rounded up to whole 128-byte transfer blocks).
    explicit DirectMemory(std::size_t size = 16384);

    /// Writes the channel set-up; a change of the channel count or of the float channels
    /// changes the record layout and so clears the records.
    void Configure(const std::vector<MemoryChannel>& channels, int floatChannels);
    /// Erases every record (0xFF) and empties the circular area.
    void Clear();
    /// Makes the next record go into the given slot (wrapped to the capacity), memory empty.
    void StartAt(std::size_t slot);
    /// Stores a record: values of the short-float channels as they are, the others calibrated
    /// back to the instrument's fixed-point reading.
    void Append(const direct::RecordTime& time, const std::vector<double>& values);
    /// Overwrites the newest record with 0xFF bytes, as an interrupted write leaves it.
    void EraseNewest();

    std::size_t Capacity() const;
    std::size_t RecordCount() const { return count_; }
    int ChannelCount() const { return channelCount_; }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    void WriteWord(std::size_t offset, std::size_t value);
    void WritePointers();
    std::size_t SlotOffset(std::size_t slot) const;

    std::vector<uint8_t> bytes_;
    std::size_t areaEnd_;
    int channelCount_ = 0;
    int floatChannels_ = 0;
    std::vector<MemoryChannel> channels_;
    std::size_t next_ = 0;  // slot numbers
    std::size_t oldest_ = 0;
    std::size_t newest_ = 0;
    std::size_t count_ = 0;
};

}  // namespace svu::sim
