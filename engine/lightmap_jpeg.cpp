#include "engine/lightmap_jpeg.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <vector>

namespace kiv {

namespace {

// The library reports fatal errors through error_exit, which by default ends the process; this
// one returns control to the writer instead.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

void onJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(err->jump, 1);
}

void onJpegMessage(j_common_ptr) {}  // warnings are not printed

constexpr int kJpegMaxSide = 65500;
constexpr int kQuality = 92;

}  // namespace

bool writeLightmapJpeg(const std::string& path, const unsigned char* base, int width, int height,
                       int components, int rowTexels) {
    if (base == nullptr || width < 1 || height < 1 || width > kJpegMaxSide ||
        height > kJpegMaxSide || components < 1 || components > 4 || rowTexels < width)
        return false;
    const bool colour = components >= 3;
    const int outComponents = colour ? 3 : 1;
    // Everything with a destructor lives outside the jump's reach.
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * outComponents);

    std::FILE* volatile file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;

    jpeg_compress_struct cinfo;
    JpegError err;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = onJpegError;
    err.mgr.output_message = onJpegMessage;
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_compress(&cinfo);
        std::fclose(file);
        std::remove(path.c_str());
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = outComponents;
    cinfo.in_color_space = colour ? JCS_RGB : JCS_GRAYSCALE;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kQuality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const std::size_t stride = static_cast<std::size_t>(rowTexels) * components;
    for (int j = 0; j < height; ++j) {
        const unsigned char* src = base + static_cast<std::size_t>(j) * stride;
        for (int i = 0; i < width; ++i)
            for (int c = 0; c < outComponents; ++c)
                row[static_cast<std::size_t>(i) * outComponents + c] = src[i * components + c];
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const bool ok = std::ferror(file) == 0;
    if (std::fclose(file) != 0 || !ok) {
        std::remove(path.c_str());
        return false;
    }
    return true;
}

}  // namespace kiv
