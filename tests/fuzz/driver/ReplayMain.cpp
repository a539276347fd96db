// Runs a fuzz target without libFuzzer: every file of the corpus folder, each file cut at
// every length up to 512 bytes, and a few thousand inputs from a fixed-seed generator.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Run(const std::vector<uint8_t>& bytes) {
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::vector<uint8_t>> corpus;
    if (argc > 1 && std::filesystem::is_directory(argv[1])) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
            std::ifstream in(entry.path(), std::ios::binary);
            corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    std::size_t runs = 0;
    for (const auto& input : corpus) {
        Run(input);
        const std::size_t cut = std::min<std::size_t>(input.size(), 512);
        for (std::size_t n = 0; n < cut; ++n) {
            Run(std::vector<uint8_t>(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(n)));
        }
        runs += cut + 1;
    }
    std::mt19937 rng(12345);
    for (int i = 0; i < 4000; ++i) {
        std::vector<uint8_t> input;
        if (!corpus.empty()) {
            input = corpus[rng() % corpus.size()];
        }
        const int edits = 1 + static_cast<int>(rng() % 8);
        for (int e = 0; e < edits; ++e) {
            const unsigned op = rng() % 3;
            if (op == 0 || input.empty()) {
                input.insert(input.begin() + static_cast<std::ptrdiff_t>(input.empty() ? 0 : rng() % input.size()),
                             static_cast<uint8_t>(rng()));
            } else if (op == 1) {
                input[rng() % input.size()] = static_cast<uint8_t>(rng());
            } else {
                input.erase(input.begin() + static_cast<std::ptrdiff_t>(rng() % input.size()));
            }
        }
        Run(input);
        ++runs;
    }
    std::printf("%zu inputs replayed without a fault\n", runs);
    return 0;
}
