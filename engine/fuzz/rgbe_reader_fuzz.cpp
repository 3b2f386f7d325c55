// libFuzzer target: the RGBE reader on arbitrary bytes, then the writer and the lookups on
// whatever was read. Build with -DKIV_FUZZ=ON and clang; seeds are tests/data/hdr/*.hdr.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>

#include "engine/hdri.h"

namespace {
// Headers can claim up to 65535 x 65535 texels; keep each input's allocation small.
constexpr std::size_t kFuzzLimit = std::size_t{1} << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    KivHDRI image;
    std::istringstream in(input);
    const kiv::RgbeReadResult result = kiv::readRgbe(in, image, kFuzzLimit);

    const std::size_t texels = std::size_t{image.width} * image.height;
    if ((image.data != nullptr) != (texels > 0)) std::abort();
    if (result.rowsRead > image.height) std::abort();
    for (std::size_t i = std::size_t{3} * image.width * result.rowsRead; i < 3 * texels; ++i) {
        if (image.data[i] != 0.0f) std::abort();  // unread texels stay black
    }

    // Lookups at positions taken from the last bytes of the input, in and out of range.
    float uv[3] = {0.5f, 0.5f, 0.5f};
    if (size >= sizeof(uv)) std::memcpy(uv, bytes + size - sizeof(uv), sizeof(uv));
    KivColor out;
    for (int type = 0; type < 4; ++type) {
        image.GetColor(uv[0], uv[1], out, type & 1, type, size % 5);
    }
    image.GetColor(KivVector(uv[0], uv[1], uv[2]), out);

    // What was read can be written and read back to the same sizes.
    if (result.complete && texels > 0) {
        std::ostringstream written;
        written << image;
        KivHDRI again;
        std::istringstream back(written.str());
        const kiv::RgbeReadResult second = kiv::readRgbe(back, again, kFuzzLimit);
        if (!second.complete || again.width != image.width || again.height != image.height) {
            std::abort();
        }
    }
    return 0;
}
