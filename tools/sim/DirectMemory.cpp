#include "sim/DirectMemory.h"

#include <algorithm>

#include "sim/DirectRecordEncoding.h"

namespace svu::sim {

namespace img = direct::image;

DirectMemory::DirectMemory(std::size_t size)
    : bytes_(((std::max<std::size_t>(size, img::kRecords + 128) + 127) / 128) * 128, 0),
      areaEnd_(std::min<std::size_t>(std::max<std::size_t>(size, img::kRecords + 128), 0xFFFF)) {
    // Bytes past the record area (transfer padding) read as erased memory.
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(img::kRecords), bytes_.end(), 0xFF);
    WriteWord(img::kAreaEndPointer, areaEnd_);
    Configure({}, 0);
    Clear();
}

void DirectMemory::WriteWord(std::size_t offset, std::size_t value) {
    bytes_[offset] = static_cast<uint8_t>((value >> 8) & 0xFF);
    bytes_[offset + 1] = static_cast<uint8_t>(value & 0xFF);
}

std::size_t DirectMemory::Capacity() const {
    return (areaEnd_ - img::kRecords) / direct::RecordSize(channelCount_);
}

std::size_t DirectMemory::SlotOffset(std::size_t slot) const {
    return img::kRecords + slot * direct::RecordSize(channelCount_);
}

void DirectMemory::WritePointers() {
    WriteWord(img::kOldestPointer, SlotOffset(oldest_));
    WriteWord(img::kNextPointer, SlotOffset(next_));
    WriteWord(img::kNewestPointer, count_ == 0 ? 0 : SlotOffset(newest_));
}

void DirectMemory::Configure(const std::vector<MemoryChannel>& channels, int floatChannels) {
    const int count = static_cast<int>(std::min<std::size_t>(channels.size(), img::kMaxChannels));
    const int floats = std::clamp(floatChannels, 0, count);
    const bool layoutChanged = count != channelCount_ || floats != floatChannels_;
    channels_.assign(channels.begin(), channels.begin() + count);
    channelCount_ = count;
    floatChannels_ = floats;
    bytes_[img::kChannelCount] = static_cast<uint8_t>(count);
    bytes_[img::kFloatChannels] = static_cast<uint8_t>(floats);
    for (int c = 0; c < img::kMaxChannels; ++c) {
        const auto index = static_cast<std::size_t>(c);
        const MemoryChannel channel = c < count ? channels_[index] : MemoryChannel{};
        bytes_[img::kChannelTypes + index] = static_cast<uint8_t>(channel.type);
        uint8_t* name = &bytes_[img::kChannelNames + img::kNameSize * index];
        std::fill(name, name + img::kNameSize, 0);
        std::copy_n(channel.name.begin(), std::min(channel.name.size(), img::kNameSize - 1), name);
        uint8_t* calibration = &bytes_[img::kCalibration + 2 * img::kCalibrationEntrySize * index];
        EncodeCalibration(channel.offset, calibration);
        EncodeCalibration(channel.multiplier, calibration + img::kCalibrationEntrySize);
    }
    if (layoutChanged) {
        Clear();
    }
}

void DirectMemory::Clear() {
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(img::kRecords), bytes_.end(), 0xFF);
    next_ = oldest_ = newest_ = count_ = 0;
    WritePointers();
}

void DirectMemory::StartAt(std::size_t slot) {
    Clear();
    next_ = oldest_ = Capacity() == 0 ? 0 : slot % Capacity();
    WritePointers();
}

void DirectMemory::Append(const direct::RecordTime& time, const std::vector<double>& values) {
    const std::size_t capacity = Capacity();
    if (capacity == 0) {
        return;
    }
    uint8_t* record = &bytes_[SlotOffset(next_)];
    EncodeRecordTime(time, record);
    for (int c = 0; c < channelCount_; ++c) {
        const auto index = static_cast<std::size_t>(c);
        const double value = index < values.size() ? values[index] : 0.0;
        uint8_t* field = record + 3 + 2 * index;
        if (c < floatChannels_) {
            EncodeShortFloat(value, field);
        } else {
            const MemoryChannel& channel = channels_[index];
            const double multiplier = channel.multiplier != 0 ? channel.multiplier : 1.0;
            EncodeFixedPoint(value / multiplier - channel.offset, field);
        }
    }
    if (count_ == 0) {
        oldest_ = next_;
    } else if (count_ == capacity) {
        oldest_ = (oldest_ + 1) % capacity;  // the oldest was just overwritten
    }
    count_ = std::min(count_ + 1, capacity);
    newest_ = next_;
    next_ = (next_ + 1) % capacity;
    WritePointers();
}

void DirectMemory::EraseNewest() {
    if (count_ == 0) {
        return;
    }
    uint8_t* record = &bytes_[SlotOffset(newest_)];
    std::fill(record, record + direct::RecordSize(channelCount_), 0xFF);
}

}  // namespace svu::sim
