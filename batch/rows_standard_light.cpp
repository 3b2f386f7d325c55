#include <string>

#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"
#include "lights/KivStandardLights.h"

namespace kiv::batch {
namespace {

// Reads `count` space-separated floats the way a "%f %f ..." format would: the first word that
// is not a number ends the reading. A number that is not finite (nan, inf, or beyond the float
// range) ends it as well: such a colour, position or direction would turn every energy of the
// solution into infinity or NaN. Unread values are 0; a short read is reported.
void readFloats(const char* text, float* out, int count, const char* command, BatchState& st) {
    for (int k = 0; k < count; ++k) out[k] = 0.0f;
    const int read = readNumbers(text, std::string(static_cast<std::size_t>(count), 'f').c_str(),
                                 nullptr, out, true);
    if (read != count)
        st.warn("%s: %d of the %d numbers could be read; the rest are 0", command, read, count);
}

// Every light line passes a colour, then points or vectors, each with a fourth component of 1.
KivColor colourAt(const float* f) { return KivColor(f[0], f[1], f[2], 1.0f); }
KivPoint pointAt(const float* f) { return KivPoint(f[0], f[1], f[2], 1.0f); }
KivVector vectorAt(const float* f) { return KivVector(f[0], f[1], f[2], 1.0f); }

// The falloff distances that the light lines always pass: none from 0 to infinity.
constexpr float kFalloffStart = 0.0f;
constexpr float kFalloffEnd = kKivInfinity;

std::string directionalLightInstanciate(const char* args, BatchState& st) {
    float f[6];
    readFloats(args, f, 6, "DirectionalLightInstanciate", st);
    return fmtInt(KivDirectionalLight_Instanciate(colourAt(f), vectorAt(f + 3)));
}

// Words after the six numbers (the script writer adds "0.0 KIV_INFINITY") are not read.
std::string pointLightInstanciate(const char* args, BatchState& st) {
    float f[6];
    readFloats(args, f, 6, "PointLightInstanciate", st);
    return fmtInt(
        KivPointLight_Instanciate(colourAt(f), pointAt(f + 3), kFalloffStart, kFalloffEnd));
}

// Colour, position, direction, field and beam; later words are not read.
std::string spotLightInstanciate(const char* args, BatchState& st) {
    float f[11];
    readFloats(args, f, 11, "SpotLightInstanciate", st);
    // Cone half-angles outside 0..180 degrees give the spot law a logarithm of a negative
    // cosine (NaN energies); such lines are reported and their angles clamped.
    for (int k = 9; k < 11; ++k) {
        if (f[k] >= 0.0f && f[k] <= 180.0f) continue;
        st.warn("SpotLightInstanciate: cone angle %f is outside 0 to 180 degrees; clamped", f[k]);
        f[k] = f[k] < 0.0f ? 0.0f : 180.0f;
    }
    return fmtInt(KivSpotLight_Instanciate(colourAt(f), pointAt(f + 3), vectorAt(f + 6), f[9],
                                           f[10], kFalloffStart, kFalloffEnd));
}

}  // namespace

void addStandardLightRows(CommandTable& t) {
    t.add(378, directionalLightInstanciate);
    t.add(394, pointLightInstanciate);
    t.add(397, spotLightInstanciate);
}

}  // namespace kiv::batch
