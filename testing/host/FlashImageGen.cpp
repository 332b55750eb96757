// The deterministic test flash image: same bytes on every build, so a wrong byte anywhere shows.
#include "testing/host/FlashImageGen.h"

#include "testing/common/FlashImageCheck.h"

namespace vq::testing {

namespace {

constexpr uint64_t kSeed = 0x56515F494D414745ull;  // fixed: the image must never change between builds
constexpr size_t kBlockSize = 4096;
constexpr uint8_t kErased = 0xFF;
constexpr uint64_t kErasedOneIn = 4;  // about a quarter of the blocks are erased, as in real images

// splitmix64: tiny, well mixed, and the same everywhere.
class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    uint64_t state_;
};

}  // namespace

std::vector<uint8_t> MakeFlashImage() {
    std::vector<uint8_t> image(kFlashImageSize);
    SplitMix64 rng(kSeed);
    for (size_t block = 0; block < kFlashImageSize; block += kBlockSize) {
        // Block 0 holds the descriptor and is never erased.
        const bool erased = block != 0 && rng.Next() % kErasedOneIn == 0;
        for (size_t i = 0; i < kBlockSize; i += 8) {
            const uint64_t word = erased ? ~0ull : rng.Next();
            for (size_t b = 0; b < 8; ++b) {
                image[block + i + b] = erased ? kErased : uint8_t(word >> (8 * b));
            }
        }
    }
    for (size_t i = 0; i < sizeof(kFlashDescriptorSignature); ++i) {
        image[kFlashDescriptorOffset + i] = kFlashDescriptorSignature[i];
    }
    return image;
}

}  // namespace vq::testing
