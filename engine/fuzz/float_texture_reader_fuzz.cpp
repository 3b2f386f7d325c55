// libFuzzer target: the binary float-texture reader in both layouts on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "engine/float_texture.h"

namespace {
constexpr std::size_t kFuzzLimit = std::size_t{1} << 20;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the reader mode (including modes that read nothing).
    const std::string input(reinterpret_cast<const char*>(bytes) + 1, size - 1);
    KivFloatTexture texture;
    texture.readerMode = bytes[0] % 3;
    std::istringstream in(input);
    kiv::readFloatTexture(in, texture, kFuzzLimit);

    const std::size_t n = texture.floatCount();
    if ((texture.data != nullptr) != (n > 0)) std::abort();
    if (texture.readerMode == 0 && n != input.size() / 4) std::abort();
    if (texture.readerMode == 2 && n != 0) std::abort();

    const KivFloatTexture copy(texture);
    if (copy.floatCount() != n) std::abort();
    KivColor out;
    texture.GetColor(0.999f, 0.0f, out, 1, 3, 2);
    texture.GetColor(KivVector(0.0f, 0.0f, 1.0f), out);
    return 0;
}
