#pragma once
// Writes a lightmap (or a region of a shared lightmap image) as a JPEG file so that a person can
// look at it.
#include <string>

namespace kiv {

// Writes width x height texels of `components` bytes each, starting at `base`, with rows
// `rowTexels` texels apart. Texels of three or four bytes are written as RGB (a fourth byte is
// left out), one or two bytes as grey from the first byte. Returns false, writing no usable file,
// when the sizes are invalid (zero, above 65500, or fewer texels per row than the width) or the
// file cannot be written.
bool writeLightmapJpeg(const std::string& path, const unsigned char* base, int width, int height,
                       int components, int rowTexels);

}  // namespace kiv
