// Bitmap files come from users and other programs: parsing, decoding and writing back must never
// read outside the bytes given, and what is written must read back as the same picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "framework/BitmapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    svu::BitmapFile bmp;
    if (!bmp.ParseFile(data, size)) {
        if (!bmp.IsEmpty() || bmp.Width() != 0 || bmp.Height() != 0) {
            std::abort();
        }
        return 0;
    }
    const uint64_t pixelCount = uint64_t{bmp.Width()} * bmp.Height();
    std::vector<uint32_t> pixels;
    if (pixelCount <= (uint64_t{1} << 22)) {
        pixels.resize(static_cast<std::size_t>(pixelCount));
        bmp.DecodeArgb32(pixels.data(), bmp.Width());
    }
    (void)bmp.ColourTable();
    const std::vector<uint8_t> saved = bmp.FileBytes();
    if (!saved.empty()) {
        svu::BitmapFile again;
        if (!again.ParseFile(saved.data(), saved.size()) || again.Width() != bmp.Width() ||
            again.Height() != bmp.Height() || again.FileBytes() != saved) {
            std::abort();
        }
        if (!pixels.empty()) {
            std::vector<uint32_t> pixels2(pixels.size());
            again.DecodeArgb32(pixels2.data(), again.Width());
            if (pixels2 != pixels) {
                std::abort();
            }
        }
    }
    return 0;
}
