#pragma once
// A float RGB image that is read from and written to Radiance RGBE (".hdr") files and looked
// up by direction as a light probe. The texels are stored as the file holds them: linear RGB,
// or XYZ when the header says so; the first scanline of the file is row 0 and the orientation
// of the resolution line is recorded, never applied.
#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "engine/float_texture.h"

class KIV_API KivHDRI : public KivFloatTexture {
  public:
    enum Format { kRgbe = 0, kXyze = 1 };

    KivHDRI();
    KivHDRI(const KivHDRI&) = default;
    KivHDRI& operator=(const KivHDRI&) = default;
    ~KivHDRI() override;
    // As the base, but keeps the base's reader mode and resets the fields below.
    void init() override;

    std::int32_t format;
    float exposure;         // product of the EXPOSURE header lines; stored, never applied
    float colorCorrection;  // first value of the COLORCORR header line
    float pixelAspect;      // PIXASPECT header line
    std::int32_t xFlip;     // 0 when the resolution line has +X, else 1
    std::int32_t yFlip;     // 0 when the resolution line has +Y, else 1
    std::int32_t readMode;  // the RGBE reader runs only for 0 or 1
};

namespace kiv {

// Outcome of one RGBE read, for callers that want more than the stream state.
struct RgbeReadResult {
    int rowsRead = 0;       // complete scanlines stored from the top
    bool complete = false;  // every scanline was read (an image with no texels is complete)
};

// The RGBE reader with an explicit allocation limit in floats; operator>> uses
// kMaxImageFloats. A file that ends early or holds a corrupt scanline keeps the scanlines
// read before it, leaves the rest black and marks the stream failed.
KIV_API RgbeReadResult readRgbe(std::istream& in, KivHDRI& image, std::size_t maxFloats);

// Writes width x height texels, `components` floats apart (the first three are used; missing
// ones count as 0), as an RGBE file with the given header values.
KIV_API std::ostream& writeRgbe(std::ostream& out, const float* texels, int components, int width,
                                int height, int format, float exposure, int xFlip, int yFlip);

// Writes an RGB float image (three floats per texel, rows top to bottom) as a Radiance file
// at `path`. Returns false when an argument is unusable (null pointer, a size outside
// 1..65535) or the file cannot be written completely.
KIV_API bool writeRgbeFile(const char* path, const float* rgb, int width, int height);

}  // namespace kiv

// Reads an RGBE file when image.readMode is 0 or 1; otherwise leaves stream and image alone.
KIV_API std::istream& operator>>(std::istream& in, KivHDRI& image);
// Writes the image as an RGBE file with its format, exposure and flips.
KIV_API std::ostream& operator<<(std::ostream& out, const KivHDRI& image);
