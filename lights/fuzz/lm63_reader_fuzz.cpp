// libFuzzer target: the LM-63 reader on arbitrary bytes, then the table validation, the spline,
// the energy look-ups, the orientation resampling, blending and the text output on whatever
// was accepted. Build with -DKIV_FUZZ=ON and clang; seeds are real photometric files.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lights/KivStandardLights.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    KivGeneralLightData data;
    if (!data.setDataFromBuffer(reinterpret_cast<const char*>(bytes), size, "fuzz")) {
        if (data.getLatitude() != 0 || data.getInterpolation() != nullptr) std::abort();
        return 0;
    }
    const int nv = data.getLatitude(), nh = data.getLongitude();
    if (nv < 1 || nh < 1 || data.getInterpolation() == nullptr) std::abort();
    for (int i = 1; i < nv; ++i)
        if (!(data.getLatitudeAngles()[i - 1] < data.getLatitudeAngles()[i])) std::abort();
    for (int j = 1; j < nh; ++j)
        if (!(data.getLongitudeAngles()[j - 1] < data.getLongitudeAngles()[j])) std::abort();

    // Look-ups at the measured angles, between and beyond them, and by direction.
    float probe[3] = {0.3f, -0.4f, 0.866f};
    if (size >= sizeof(probe)) std::memcpy(probe, bytes + size - sizeof(probe), sizeof(probe));
    const float v0 = data.getLatitudeAngles()[0], v1 = data.getLatitudeAngles()[nv - 1];
    const float h0 = data.getLongitudeAngles()[0], h1 = data.getLongitudeAngles()[nh - 1];
    const float angles[][2] = {
        {v0, h0},        {v1, h1},          {0.5f * (v0 + v1), 0.5f * (h0 + h1)},
        {v0 - 1.0f, h0}, {v1, h1 + 100.0f}, {probe[0], probe[1]}};
    for (const auto& a : angles) {
        const float e = data.calcEnergy(a[0], a[1]);
        if (std::isnan(e) || e < 0.0f) std::abort();
    }
    data.calcEnergy(KivVector(probe[0], probe[1], probe[2]));

    KivGeneralLightData blend;
    KivGeneralLightData_Interpolate(&data, &data, 0.5f, &blend);

    std::FILE* sink = std::fopen("/dev/null", "w");
    if (sink != nullptr) {
        data.output(sink);
        blend.output(sink);
    }
    // Resampling is the costliest step; keep it to modest tables.
    if (static_cast<long long>(nv) * nh <= 4096) {
        data.setTilt(std::isfinite(probe[0]) ? std::fmod(probe[0], 400.0f) : 10.0f);
        data.setRoll(45.0f);
        data.resetDataByOption();
        if (sink != nullptr) data.output(sink);
    }
    if (sink != nullptr) std::fclose(sink);
    return 0;
}
