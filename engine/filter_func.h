#pragma once
// Sampling filters over an image that the filter does not own: nearest texel, box, triangle
// and gaussian windows, each optionally blended bilinearly from four filtered samples.
#include <cstdint>

#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

class KIV_API KivFilterFunc {
  public:
    enum FilterType { kNone = 0, kBox = 1, kTriangle = 2, kGaussian = 3 };
    // Value of dataType that selects float samples; any other value selects signed bytes.
    static constexpr int kFloatData = 1;

    KivFilterFunc();
    void init();

    // Describes the image to filter. The pointer goes to floatData for dataType 1, else to
    // byteData; the other pointer is left as it is.
    void setData(int width, int height, int stride, void* data, int dataType);

    // Reads three consecutive samples from sample index `index` into r, g and b of `out`
    // (the fourth component is left alone). Samples outside the width x height x stride
    // array read as 0, so a texel near the end of an image with fewer than three values per
    // texel never reads past the array.
    void getColor(int index, KivColor& out) const;

    // Single texel (x, y); a position outside the image gives black.
    void none(int x, int y, KivColor& out) const;
    // Windows of half-width filterSize centred on (x, y); samples outside the image are
    // skipped, and a window with no positive weight gives black. A size of 0 gives the centre
    // texel for all three (the triangle and gaussian weights are 0/0 there).
    void box(int x, int y, KivColor& out) const;
    void triangle(int x, int y, KivColor& out) const;
    void gaussian(int x, int y, KivColor& out) const;

    // Lookup at (u, v) in texture space, texel centres at half-integer positions. Positions
    // outside [0, 1) are clamped to the edge texels; a NaN coordinate counts as 0.
    void doFilter(float u, float v, KivColor& out, KivLong interpolate, int filterType,
                  int filterSize);
    void doFilter(int width, int height, int stride, void* data, int dataType, float u, float v,
                  KivColor& out, KivLong interpolate, int filterType, int filterSize);

    std::int32_t width;
    std::int32_t height;
    std::int32_t stride;
    std::int32_t dataType;
    const std::int8_t* byteData;  // not owned
    const float* floatData;       // not owned
    float u;
    float v;
    std::int32_t filterType;
    std::int32_t filterSize;
    std::int32_t interpolate;

  private:
    // Runs the current filter type at texel (x, y).
    void sample(int x, int y, KivColor& out) const;
    float value(std::int64_t index) const;
};
