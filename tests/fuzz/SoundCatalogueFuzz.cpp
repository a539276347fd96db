// Reads a recordings catalogue from arbitrary bytes. No input may crash it or make it take a path
// longer than the limit; a catalogue read without complaint must be exactly the records it lists,
// and what was read must encode and read back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "outputs/SoundCatalogue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const svu::CatalogueReadResult read = svu::ParseSoundCatalogue(bytes);
    std::string again;
    for (const svu::CatalogueEntry& entry : read.entries) {
        if (entry.path.size() > svu::kMaxCataloguePath) {
            std::abort();
        }
        again += svu::EncodeCatalogueEntry(entry);
    }
    if (read.error.empty() != (again == bytes)) {
        std::abort();  // refused input must be reported; accepted input must be all records
    }
    if (again != bytes.substr(0, again.size())) {
        std::abort();  // the records read are the ones at the start of the file
    }
    const svu::CatalogueReadResult reread = svu::ParseSoundCatalogue(again);
    if (!reread.error.empty() || reread.entries != read.entries) {
        std::abort();
    }
    return 0;
}
