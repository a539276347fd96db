#pragma once

// Windows device-independent bitmaps (.bmp, .dib) as bytes: parsing, checking, decoding to
// 32-bit pixels and writing back. Pictures come from users and other programs, so every size a
// file states is checked against the bytes actually there before anything is read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace svu {

/// One decoded Windows bitmap: the packed block that follows the 14-byte file header (information
/// header, colour table, pixel bits) and what was read from it.
class BitmapFile {
public:
    static constexpr uint32_t kFileHeaderSize = 14;
    static constexpr uint32_t kInfoHeaderSize = 40;
    static constexpr uint32_t kCoreHeaderSize = 12;

    static constexpr uint32_t kCompressionNone = 0;
    static constexpr uint32_t kCompressionRle8 = 1;
    static constexpr uint32_t kCompressionRle4 = 2;
    static constexpr uint32_t kCompressionBitFields = 3;

    /// One colour-table entry.
    struct Rgb {
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
        bool operator==(const Rgb&) const = default;
    };

    /// Reads a whole file; false (and empty) when it is missing, not a "BM" file, shorter than its
    /// headers say, or not a form this program can show.
    bool Load(const std::string& path);

    /// As Load, from the bytes of a file.
    bool ParseFile(const uint8_t* data, std::size_t size);

    /// As ParseFile, from a packed block without the file header.
    bool ParseBlock(std::vector<uint8_t> block);

    /// A 24-bit bitmap with a 40-byte header from 0xAARRGGBB pixels, rows top-down (`stride` in
    /// pixels); alpha is dropped.
    static BitmapFile FromArgb32(uint32_t width, uint32_t height, const uint32_t* pixels, std::size_t stride);

    /// The bytes of the file Save writes: file header, information header with the image size
    /// recomputed, colour table, pixel bits. Empty when the bitmap cannot be saved (empty, or an
    /// old 12-byte core header).
    std::vector<uint8_t> FileBytes() const;

    /// Writes FileBytes to `path`, replacing the file whole; false when nothing can be saved or
    /// the write fails.
    bool Save(const std::string& path) const;

    /// Drops the bitmap.
    void Clear();

    bool IsEmpty() const { return block_.empty(); }
    /// Pixel width.
    uint32_t Width() const { return width_; }
    /// Pixel height (rows), whatever the row order.
    uint32_t Height() const { return height_; }
    /// True when rows are stored top row first (a negative height in the header).
    bool TopDown() const { return topDown_; }
    uint32_t HeaderSize() const { return headerSize_; }
    uint32_t BitCount() const { return bitCount_; }
    uint32_t Compression() const { return compression_; }
    /// Number of colour-table entries (biClrUsed, or the full table of a 1, 4 or 8-bit bitmap).
    uint32_t ColourCount() const { return colourCount_; }
    /// The colour table as stored.
    std::vector<Rgb> ColourTable() const;
    /// True when a palette is made for the bitmap: it has a colour table and rows stored bottom-up.
    bool HasPalette() const { return colourCount_ > 0 && !topDown_; }
    /// Bytes of one stored row (rows are padded to 4 bytes).
    std::size_t Stride() const;
    /// The packed block: header, colour table, pixel bits (and whatever followed them in the file).
    const std::vector<uint8_t>& Block() const { return block_; }

    /// Writes the picture as 0xFFRRGGBB pixels, rows top-down, into `pixels` (Width() x Height()
    /// values, `stride` pixels apart). Pixel indexes beyond the colour table give black; damaged
    /// compressed data leaves the rest of the picture black. False when empty.
    bool DecodeArgb32(uint32_t* pixels, std::size_t stride) const;

private:
    bool ParseHeaders();
    void DecodeRle(uint32_t* pixels, std::size_t stride, const std::vector<uint32_t>& palette) const;

    std::vector<uint8_t> block_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    bool topDown_ = false;
    uint32_t headerSize_ = 0;
    uint32_t bitCount_ = 0;
    uint32_t compression_ = 0;
    uint32_t colourCount_ = 0;
    uint32_t entrySize_ = 0;           // 4 after a 40-byte header, 3 after a core header
    uint32_t tableOffset_ = 0;         // of the colour table within the block
    uint32_t bitsOffset_ = 0;          // of the pixel bits within the block
    std::size_t imageSize_ = 0;        // bytes of pixel bits that belong to the picture
    std::array<uint32_t, 3> masks_{};  // red, green, blue of a 16 or 32-bit bitmap
};

}  // namespace svu
