#include "batch/atlas_image.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

unsigned char toByte(float c) {
    if (!(c > 0.0f)) return 0;  // also NaN
    if (c >= 1.0f) return 255;
    return static_cast<unsigned char>(c * 255.0f);
}

}  // namespace

std::string writeAtlasPng(const std::string& path, const AtlasImage& atlas) {
    if (atlas.width <= 0 || atlas.height <= 0) return "the atlas is empty";
    const std::size_t pixels = static_cast<std::size_t>(atlas.width) * atlas.height;
    if (atlas.rgb.size() < pixels * 3) return "the atlas holds fewer texels than its size";
    std::vector<unsigned char> rgb(pixels * 3);
    constexpr float kInvPi = 0.31830987f;
    for (std::size_t k = 0; k < pixels * 3; k += 3) {
        const KivColor e(atlas.rgb[k] * kInvPi, atlas.rgb[k + 1] * kInvPi, atlas.rgb[k + 2] * kInvPi);
        const KivColor c = KivTone_ReproductEnergy(e);
        rgb[k] = toByte(c.r);
        rgb[k + 1] = toByte(c.g);
        rgb[k + 2] = toByte(c.b);
    }

    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return std::strerror(errno);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return "out of memory";
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return "the PNG encoder failed";
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, static_cast<png_uint_32>(atlas.width),
                 static_cast<png_uint_32>(atlas.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // Buffer row 0 is the top row of the atlas.
    for (int y = 0; y < atlas.height; ++y)
        png_write_row(png, rgb.data() + static_cast<std::size_t>(y) * atlas.width * 3);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    if (std::fclose(f) != 0) return std::strerror(errno);
    return "";
}

}  // namespace kiv::batch
