#include "framework/BitmapFile.h"

#include <algorithm>
#include <bit>
#include <fstream>
#include <iterator>
#include <string_view>

#include "framework/AtomicFile.h"
#include "framework/RegularFile.h"

namespace svu {

namespace {

uint16_t ReadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void WriteU16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void WriteU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void PutU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

uint64_t StrideFor(uint64_t bitCount, uint64_t width) {
    return ((bitCount * width + 31) / 32) * 4;
}

// Extracts one channel selected by a bit mask and scales it to 0-255.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;

    explicit MaskChannel(uint32_t m) : mask(m) {
        if (m != 0) {
            shift = std::countr_zero(m);
            max = (uint64_t{1} << std::bit_width(m >> shift)) - 1;
        }
    }
    uint32_t Apply(uint32_t value) const {
        if (max == 0) {
            return 0;
        }
        return static_cast<uint32_t>((static_cast<uint64_t>((value & mask) >> shift) * 255 + max / 2) / max);
    }
};

constexpr uint32_t kOpaque = 0xFF000000u;
constexpr std::size_t kMaxBitmapFileBytes = 256u * 1024 * 1024;

}  // namespace

bool BitmapFile::Load(const std::string& path) {
    Clear();
    // Only a regular file, and not more than any bitmap the program draws: a folder, FIFO or
    // /dev/zero named as a bitmap must neither block nor exhaust memory.
    std::vector<uint8_t> bytes;
    if (ReadRegularFile(path, kMaxBitmapFileBytes, bytes) != ReadFileStatus::Ok) {
        return false;
    }
    return ParseFile(bytes.data(), bytes.size());
}

bool BitmapFile::ParseFile(const uint8_t* data, std::size_t size) {
    Clear();
    if (data == nullptr || size < kFileHeaderSize || ReadU16(data) != 0x4D42) {
        return false;
    }
    return ParseBlock(std::vector<uint8_t>(data + kFileHeaderSize, data + size));
}

bool BitmapFile::ParseBlock(std::vector<uint8_t> block) {
    Clear();
    block_ = std::move(block);
    if (!ParseHeaders()) {
        Clear();
        return false;
    }
    return true;
}

bool BitmapFile::ParseHeaders() {
    const uint64_t size = block_.size();
    if (size < 4) {
        return false;
    }
    const uint8_t* p = block_.data();
    headerSize_ = ReadU32(p);
    uint64_t width = 0;
    uint64_t height = 0;
    uint32_t colourCount = 0;
    uint32_t maskBytes = 0;
    uint32_t sizeImage = 0;
    if (headerSize_ == kCoreHeaderSize) {
        if (size < kCoreHeaderSize) {
            return false;
        }
        width = ReadU16(p + 4);
        height = ReadU16(p + 6);
        bitCount_ = ReadU16(p + 10);
        compression_ = kCompressionNone;
        entrySize_ = 3;
        if (bitCount_ != 1 && bitCount_ != 4 && bitCount_ != 8 && bitCount_ != 24) {
            return false;
        }
    } else if (headerSize_ >= kInfoHeaderSize && headerSize_ <= size) {
        // Later header versions (108, 124 bytes) begin with the same 40 bytes.
        const auto w = static_cast<int32_t>(ReadU32(p + 4));
        const auto h = static_cast<int32_t>(ReadU32(p + 8));
        if (w <= 0 || h == 0) {
            return false;
        }
        width = static_cast<uint64_t>(w);
        topDown_ = h < 0;
        height = topDown_ ? static_cast<uint64_t>(-static_cast<int64_t>(h)) : static_cast<uint64_t>(h);
        bitCount_ = ReadU16(p + 14);
        compression_ = ReadU32(p + 16);
        sizeImage = ReadU32(p + 20);
        colourCount = ReadU32(p + 32);
        entrySize_ = 4;
        switch (bitCount_) {
            case 1:
            case 4:
            case 8:
            case 16:
            case 24:
            case 32:
                break;
            default:
                return false;
        }
        const bool rle = compression_ == kCompressionRle8 || compression_ == kCompressionRle4;
        if ((compression_ == kCompressionRle8 && bitCount_ != 8) ||
            (compression_ == kCompressionRle4 && bitCount_ != 4) ||
            (compression_ == kCompressionBitFields && bitCount_ != 16 && bitCount_ != 32) ||
            compression_ > kCompressionBitFields || (rle && topDown_)) {
            return false;
        }
        if (compression_ == kCompressionBitFields) {
            // The masks follow a 40-byte header; later versions hold them inside the header.
            maskBytes = headerSize_ == kInfoHeaderSize ? 12 : 0;
            if (headerSize_ + uint64_t{12} > size) {
                return false;
            }
            for (int i = 0; i < 3; ++i) {
                masks_[static_cast<std::size_t>(i)] = ReadU32(p + kInfoHeaderSize + 4 * i);
            }
        } else if (bitCount_ == 16) {
            masks_ = {0x7C00, 0x03E0, 0x001F};
        } else if (bitCount_ == 32) {
            masks_ = {0xFF0000, 0x00FF00, 0x0000FF};
        }
    } else {
        return false;
    }
    if (width == 0 || height == 0) {
        return false;
    }
    if (colourCount == 0 && bitCount_ <= 8) {
        colourCount = 1u << bitCount_;
    }
    const uint64_t tableOffset = uint64_t{headerSize_} + maskBytes;
    const uint64_t bitsOffset = tableOffset + uint64_t{colourCount} * entrySize_;
    if (bitsOffset > size) {
        return false;
    }
    uint64_t imageSize = 0;
    if (compression_ == kCompressionRle8 || compression_ == kCompressionRle4) {
        imageSize = sizeImage;
        if (imageSize == 0) {
            return false;
        }
    } else {
        const uint64_t stride = StrideFor(bitCount_, width);
        if (height > (size - bitsOffset) / stride) {
            return false;
        }
        imageSize = stride * height;
    }
    if (imageSize > size - bitsOffset) {
        return false;
    }
    width_ = static_cast<uint32_t>(width);
    height_ = static_cast<uint32_t>(height);
    colourCount_ = colourCount;
    tableOffset_ = static_cast<uint32_t>(tableOffset);
    bitsOffset_ = static_cast<uint32_t>(bitsOffset);
    imageSize_ = static_cast<std::size_t>(imageSize);
    return true;
}

BitmapFile BitmapFile::FromArgb32(uint32_t width, uint32_t height, const uint32_t* pixels, std::size_t stride) {
    BitmapFile result;
    if (width == 0 || height == 0 || pixels == nullptr || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
        return result;
    }
    const uint64_t rowBytes = StrideFor(24, width);
    std::vector<uint8_t> block;
    block.reserve(static_cast<std::size_t>(kInfoHeaderSize + rowBytes * height));
    WriteU32(block, kInfoHeaderSize);
    WriteU32(block, width);
    WriteU32(block, height);
    WriteU16(block, 1);
    WriteU16(block, 24);
    WriteU32(block, kCompressionNone);
    WriteU32(block, static_cast<uint32_t>(rowBytes * height));
    for (int i = 0; i < 4; ++i) {  // resolution and colour counts
        WriteU32(block, 0);
    }
    for (uint32_t row = height; row-- > 0;) {  // stored bottom-up
        const uint32_t* src = pixels + static_cast<std::size_t>(row) * stride;
        for (uint32_t x = 0; x < width; ++x) {
            block.push_back(static_cast<uint8_t>(src[x]));
            block.push_back(static_cast<uint8_t>(src[x] >> 8));
            block.push_back(static_cast<uint8_t>(src[x] >> 16));
        }
        for (uint64_t pad = uint64_t{width} * 3; pad < rowBytes; ++pad) {
            block.push_back(0);
        }
    }
    result.ParseBlock(std::move(block));
    return result;
}

std::vector<uint8_t> BitmapFile::FileBytes() const {
    std::vector<uint8_t> out;
    if (IsEmpty() || headerSize_ != kInfoHeaderSize) {
        return out;
    }
    const uint32_t tableBytes = bitsOffset_ - headerSize_;
    const uint64_t fileSize = kFileHeaderSize + uint64_t{bitsOffset_} + imageSize_;
    if (fileSize > 0xFFFFFFFFu) {
        return out;
    }
    out.reserve(static_cast<std::size_t>(fileSize));
    WriteU16(out, 0x4D42);
    WriteU32(out, static_cast<uint32_t>(fileSize));
    WriteU32(out, 0);
    WriteU32(out, kFileHeaderSize + headerSize_ + tableBytes);
    out.insert(out.end(), block_.begin(), block_.begin() + bitsOffset_ + static_cast<std::ptrdiff_t>(imageSize_));
    if (compression_ == kCompressionNone || compression_ == kCompressionBitFields) {
        PutU32(out.data() + kFileHeaderSize + 20, static_cast<uint32_t>(imageSize_));
    }
    return out;
}

bool BitmapFile::Save(const std::string& path) const {
    const std::vector<uint8_t> bytes = FileBytes();
    if (bytes.empty()) {
        return false;
    }
    return WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void BitmapFile::Clear() {
    *this = BitmapFile();
}

std::vector<BitmapFile::Rgb> BitmapFile::ColourTable() const {
    std::vector<Rgb> table;
    table.reserve(colourCount_);
    for (uint32_t i = 0; i < colourCount_; ++i) {
        const uint8_t* e = block_.data() + tableOffset_ + static_cast<std::size_t>(i) * entrySize_;
        table.push_back(Rgb{e[2], e[1], e[0]});
    }
    return table;
}

std::size_t BitmapFile::Stride() const {
    return static_cast<std::size_t>(StrideFor(bitCount_, width_));
}

bool BitmapFile::DecodeArgb32(uint32_t* pixels, std::size_t stride) const {
    if (IsEmpty() || pixels == nullptr) {
        return false;
    }
    std::vector<uint32_t> palette;
    if (bitCount_ <= 8) {
        palette.assign(std::size_t{1} << bitCount_, kOpaque);
        const uint32_t used = std::min<uint32_t>(colourCount_, static_cast<uint32_t>(palette.size()));
        for (uint32_t i = 0; i < used; ++i) {
            const uint8_t* e = block_.data() + tableOffset_ + static_cast<std::size_t>(i) * entrySize_;
            palette[i] = kOpaque | (uint32_t{e[2]} << 16) | (uint32_t{e[1]} << 8) | e[0];
        }
    }
    if (compression_ == kCompressionRle8 || compression_ == kCompressionRle4) {
        DecodeRle(pixels, stride, palette);
        return true;
    }
    const MaskChannel red(masks_[0]);
    const MaskChannel green(masks_[1]);
    const MaskChannel blue(masks_[2]);
    const std::size_t rowBytes = Stride();
    for (uint32_t row = 0; row < height_; ++row) {
        const uint8_t* src = block_.data() + bitsOffset_ + static_cast<std::size_t>(row) * rowBytes;
        uint32_t* dst = pixels + static_cast<std::size_t>(topDown_ ? row : height_ - 1 - row) * stride;
        for (uint32_t x = 0; x < width_; ++x) {
            switch (bitCount_) {
                case 1:
                    dst[x] = palette[(src[x / 8] >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    dst[x] = palette[(x % 2 == 0) ? (src[x / 2] >> 4) : (src[x / 2] & 0x0F)];
                    break;
                case 8:
                    dst[x] = palette[src[x]];
                    break;
                case 24:
                    dst[x] = kOpaque | (uint32_t{src[3 * x + 2]} << 16) | (uint32_t{src[3 * x + 1]} << 8) | src[3 * x];
                    break;
                default: {  // 16 or 32 bits through the channel masks
                    const uint32_t v = bitCount_ == 16 ? ReadU16(src + 2 * x) : ReadU32(src + 4 * std::size_t{x});
                    dst[x] = kOpaque | (red.Apply(v) << 16) | (green.Apply(v) << 8) | blue.Apply(v);
                    break;
                }
            }
        }
    }
    return true;
}

void BitmapFile::DecodeRle(uint32_t* pixels, std::size_t stride, const std::vector<uint32_t>& palette) const {
    for (uint32_t row = 0; row < height_; ++row) {
        std::fill_n(pixels + static_cast<std::size_t>(row) * stride, width_, kOpaque);
    }
    const bool four = compression_ == kCompressionRle4;
    const uint8_t* p = block_.data() + bitsOffset_;
    const uint8_t* end = p + imageSize_;
    uint64_t x = 0;
    uint64_t y = 0;  // counted from the bottom row
    auto put = [&](uint32_t index) {
        if (x < width_ && y < height_) {
            pixels[static_cast<std::size_t>(height_ - 1 - y) * stride + x] = palette[index];
        }
        ++x;
    };
    while (end - p >= 2 && y < height_) {
        const uint8_t count = p[0];
        const uint8_t value = p[1];
        p += 2;
        if (count > 0) {  // a run of one index, or of two alternating ones
            for (int i = 0; i < count; ++i) {
                put(four ? ((i % 2 == 0) ? (value >> 4) : (value & 0x0F)) : value);
            }
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // move right and up
            if (end - p < 2) {
                break;
            }
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // literal indexes, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            const std::size_t padded = bytes + (bytes % 2);
            if (static_cast<std::size_t>(end - p) < bytes) {
                break;
            }
            for (int i = 0; i < value; ++i) {
                put(four ? ((i % 2 == 0) ? (p[i / 2] >> 4) : (p[i / 2] & 0x0F)) : p[i]);
            }
            p += std::min(padded, static_cast<std::size_t>(end - p));
        }
    }
}

}  // namespace svu
