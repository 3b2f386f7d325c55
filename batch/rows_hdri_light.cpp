#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"
#include "lights/KivStandardLights.h"

namespace kiv::batch {
namespace {

// Values read before the image path: colour, position and the 16 matrix elements.
constexpr int kFloatCount = 22;
constexpr int kValueCount = kFloatCount + 6;

// Code 390: colour, position, the matrix column by column (m00 m10 m20 m30, m01 ...), the image
// path as one word, then up axis and direction axis as raw characters (the byte 2 stands for
// +z), stack and slice, and the skylight type as a raw character. Values the text does not
// hold are 0; without a path the light has no image.
std::string hdriLightInstanciate(const char* a, BatchState& st) {
    float v[kFloatCount] = {};
    const std::size_t length = std::max<std::size_t>(std::strlen(a), 1);
    std::vector<char> path(length + 1, '\0');
    char up = 0, dir = 0, skylightType = 0;
    int stack = 0, slice = 0;
    std::string format;
    for (int k = 0; k < kFloatCount; ++k) format += "%f ";
    format += "%" + std::to_string(length) + "s %c %c %d %d %c";
    const int read = std::sscanf(a, format.c_str(), &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6],
                                 &v[7], &v[8], &v[9], &v[10], &v[11], &v[12], &v[13], &v[14],
                                 &v[15], &v[16], &v[17], &v[18], &v[19], &v[20], &v[21],
                                 path.data(), &up, &dir, &stack, &slice, &skylightType);
    const int values = std::max(read, 0);
    if (values < kValueCount)
        st.warn("HDRILightInstanciate: %d of the %d values could be read; the rest are 0", values,
                kValueCount);

    KivMatrix m;
    for (int k = 0; k < 16; ++k) m.at(k % 4, k / 4) = v[6 + k];
    const bool hasPath = values > kFloatCount;
    const int index = KivHDRILight_Instanciate(
        KivColor(v[0], v[1], v[2], 1.0f), KivPoint(v[3], v[4], v[5], 1.0f), m,
        hasPath ? path.data() : nullptr, up, dir, stack, slice, skylightType);
    if (index >= 0 && hasPath) {
        const KivLight* light = KivLight_GetPointer(index);
        const KivHDRI* image = light != nullptr ? const_cast<KivLight*>(light)->getHDRI() : nullptr;
        if (light != nullptr && (image == nullptr || !image->hasTexels()))
            st.warn(
                "HDRILightInstanciate: no image could be read from %s; the light shoots "
                "nothing",
                path.data());
    }
    return fmtInt(index);
}

}  // namespace

void addHdriLightRows(CommandTable& t) { t.add(390, hdriLightInstanciate); }

}  // namespace kiv::batch
