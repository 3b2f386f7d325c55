#pragma once
// A rectangular array of float texels with summary statistics and a filtered lookup.
//
// The object's layout crosses plug-in boundaries (a host node keeps the address and reads
// width, height and data directly), so the fields stay public and in this order, and the
// virtual operations keep their declaration order.
#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "engine/filter_func.h"
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

class KIV_API KivFloatTexture {
  public:
    // Layout selected by readerMode for the binary stream reader.
    enum ReaderMode { kReadFloatsOnly = 0, kReadWithHeader = 1 };

    KivFloatTexture();
    KivFloatTexture(const KivFloatTexture& other);
    KivFloatTexture& operator=(const KivFloatTexture& other);

    virtual ~KivFloatTexture();
    virtual void init();
    // Frees any data and stores the sizes; allocates width x height x components floats
    // (contents undefined) when the product is nonzero.
    virtual void alloc(std::uint16_t width, std::uint16_t height, std::uint16_t components);
    // Filtered lookup at (u, v); see KivFilterFunc::doFilter.
    virtual void GetColor(float u, float v, KivColor& out, KivLong interpolate, int filterType,
                          int filterSize);
    // Light-probe lookup by unit direction.
    virtual void GetColor(KivVector direction, KivColor& out);
    // Recomputes maximum, minimum, average and sum from the data.
    virtual void SetData();
    virtual void GetMaximum(KivColor& out);
    virtual void GetMinimum(KivColor& out);
    virtual void GetAverage(KivColor& out);
    virtual float GetSum();

    // Number of floats in the data array: width x height x components, or the count a
    // header-less read produced when the sizes are 0.
    std::size_t floatCount() const;
    // True when the data hold a whole width x height image of RGB texels.
    bool hasTexels() const;
    // Resets maximum, minimum, average and sum to their empty values.
    void resetStatistics();
    // Frees the data array if this texture owns it and forgets it.
    void releaseData();

    std::uint16_t width;
    std::uint16_t height;
    std::uint16_t components;
    char name[512];
    float* data;
    std::int32_t readerMode;
    KivColor maximum;
    KivColor minimum;
    KivColor average;
    float sum;
    KivFilterFunc filter;
    // The texture frees data (allocated with new[]) only when it owns it. A caller that hands
    // over its own array sets data and this flag directly.
    bool ownsData;
    // Length of the data array when the texture allocated it (needed for copies of a
    // header-less read, whose sizes are 0).
    std::size_t dataLength;

  private:
    void copyFrom(const KivFloatTexture& other);
};

namespace kiv {
// The readers never allocate more floats than this for one image, whatever its header claims;
// an image above it is not read (the stream is marked failed). 2^30 floats is 4 GiB, more
// than a 16384 x 16384 RGB image needs.
inline constexpr std::size_t kMaxImageFloats = std::size_t{1} << 30;

// The binary float-texture reader with an explicit allocation limit (tests and fuzzing use a
// small one); operator>> uses kMaxImageFloats.
KIV_API std::istream& readFloatTexture(std::istream& in, KivFloatTexture& texture,
                                       std::size_t maxFloats);
}  // namespace kiv

// Binary reader, by texture.readerMode:
//   1: width, height, components (little-endian 16-bit), 256 bytes skipped, then
//      width x height x components little-endian floats;
//   0: floats until the stream ends; sizes 0 and components 3;
//   other: reads nothing.
// A stream that ends early leaves the missing values 0 and the stream failed.
KIV_API std::istream& operator>>(std::istream& in, KivFloatTexture& texture);
