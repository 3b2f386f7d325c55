#pragma once
// What the two environment lights (the HDRI light and the sky light) share: the orientation
// axes given as codes, the banded sample directions over the upper hemisphere, the rule that
// turns a direction in the image's frame into the two lookup angles, and the shared ownership
// of an environment image between copies of a light.
//
// Axis codes: 0 +x, 1 +y, 2 +z, 3 -x, 4 -y, 5 -z.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/kiv_types.h"

class KivHDRI;

namespace kiv::env {

inline constexpr char kDefaultUpAxis = 2;   // +z
inline constexpr char kDefaultDirAxis = 4;  // -y
// Sampling used when the caller gives a negative count.
inline constexpr int kDefaultStack = 10;
inline constexpr int kDefaultSlice = 40;
// Upper limits of the sampling. A light with 256 elevation bands and 1024 horizon samples
// holds about 167,000 directions (334,000 for the mirrored HDRI lists, about 11 MB), and a sky
// light makes that many occlusion queries per receiving point; larger counts are cut to these.
// Both limits also keep stack x slice well inside 32 bits.
inline constexpr int kMaxStack = 256;
inline constexpr int kMaxSlice = 1024;

// The axis fields set up from the caller's codes.
struct Axes {
    char upAxis = kDefaultUpAxis;
    char dirAxis = kDefaultDirAxis;
    std::int32_t upIndex = kDefaultUpAxis;
    std::int32_t dirIndex = kDefaultDirAxis;
    std::int32_t hatIndex = 0;
};

// Codes outside 0..5 fall back to +z (up) and -y (direction); a direction on the up axis (the
// same code or its opposite) moves to the next code, 5 wrapping to 0. The hat is up x direction.
Axes setUpAxes(char upAxis, char dirAxis);
// Code of the cross product of two axes, or -1 when they lie on one line or a code is invalid.
int hatIndex(int upIndex, int dirIndex);

// Component of v along a coded axis: v.x, v.y, v.z, -v.x, -v.y, -v.z for the codes 0 to 5.
inline float signedComponent(const KivVector& v, int code) {
    switch (code) {
        case 0:
            return v.x;
        case 1:
            return v.y;
        case 2:
            return v.z;
        case 3:
            return -v.x;
        case 4:
            return -v.y;
        default:
            return -v.z;
    }
}

// The sampling a caller's counts give: a negative count takes the default, a count above its
// limit the limit.
int stackFromArgument(int stack);
int sliceFromArgument(int slice);

// Number of directions in band i of the sampling (0 <= i <= stack): the horizon band holds
// `slice` directions, higher bands fewer, in proportion to the cosine of their elevation, and
// every band at least one.
int bandSize(int band, int stack, int slice);
// Directions the sampling gives: the sum of the band sizes; 0 when stack is not positive.
// Counts beyond the limits are taken at the limits.
int sampleCount(int stack, int slice);
// Appends the banded unit directions over the hemisphere around +z (fourth component 1),
// band by band from the horizon up, each jittered by two draws of the engine's random
// generator. A stack that is not positive gives no directions and draws nothing (the bands
// would divide by it); counts beyond the limits are taken at the limits.
void appendSampleDirections(int stack, int slice, std::vector<KivVector>& out);

// Vertical angle theta and horizontal angle phi, in degrees, of the direction (a, b, c) in the
// image's frame, where c runs along the up axis, b against the direction axis and a along the
// hat. theta is 0 against the up axis, 90 on the horizon and 180 along it; phi is 0 along the
// direction axis, 90 along the hat, 180 against the direction axis and 270 against the hat.
struct Angles {
    float theta = 0.0f;
    float phi = 0.0f;
};
Angles directionToAngles(float a, float b, float c);
// The arc cosine the angle rule uses: the engine's interpolated table.
float arcCos(double x);

// The image's frame coordinates (a, b, c) of a direction given in the light's frame.
struct FrameAxes {
    std::int32_t upIndex, dirIndex, hatIndex;
};
inline Angles anglesInImage(const KivVector& d, const FrameAxes& axes) {
    return directionToAngles(signedComponent(d, axes.hatIndex), -signedComponent(d, axes.dirIndex),
                             signedComponent(d, axes.upIndex));
}

// Direction taken as a row vector times the upper 3 x 3 block of m (no translation).
inline KivVector rotate(const KivVector& d, const KivMatrix& m) {
    return KivVector::make(d.x * m.at(0, 0) + d.y * m.at(1, 0) + d.z * m.at(2, 0),
                           d.x * m.at(0, 1) + d.y * m.at(1, 1) + d.z * m.at(2, 1),
                           d.x * m.at(0, 2) + d.y * m.at(1, 2) + d.z * m.at(2, 2));
}

// True when the image holds texels that a lookup can read.
bool hasTexels(const KivHDRI* image);

// Shared ownership of an environment image. Copies of a light refer to one image, and the
// image is deleted when the last light that holds it lets it go. The shares are counted per
// image address in one process-wide table (the system runs on one thread), so that an image
// handed to a second light by its address, such as the result of another light's getHDRI(),
// is shared with the first instead of being owned twice.
class SharedImage {
  public:
    SharedImage() = default;
    SharedImage(const SharedImage& other);
    SharedImage& operator=(const SharedImage& other);
    ~SharedImage();

    // Takes a share of image (null for none) and lets the held one go; the same image again
    // changes nothing.
    void reset(KivHDRI* image = nullptr);
    KivHDRI* get() const { return image_; }

    // Number of holders of an image; 0 for an image no light holds.
    static int holders(const KivHDRI* image);

  private:
    KivHDRI* image_ = nullptr;
};

// Copies a path into a fixed buffer of `capacity` bytes, terminator included. A null path or
// one that does not fit leaves the buffer empty and answers false: a path cut short would name
// another file.
bool copyPath(char* buffer, std::size_t capacity, const char* path);

// Reads an RGBE file into a new image. A file that cannot be opened or is not an RGBE picture
// gives an image without texels; a damaged one keeps what the reader could read.
KivHDRI* readImage(const char* path);

}  // namespace kiv::env
