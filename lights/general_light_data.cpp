#include "lights/general_light_data.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "engine/registry.h"
#include "lights/KivStandardLights.h"
#include "lights/lm63_reader.h"

namespace {

constexpr float kTension = 0.2f;
constexpr double kLargestCandela = 1e30;
// Degrees per radian, and radians per degree as pi (single) times 1/180 (double).
constexpr float kDegrees = static_cast<float>(57.29577791868204);
float radians(float degrees) {
    return static_cast<float>(static_cast<double>(degrees) * static_cast<double>(kKivPi) *
                              (1.0 / 180.0));
}
float acosDegrees(float c) { return std::acos(kiv::clampf(c, -1.0f, 1.0f)) * kDegrees; }

// Why the last read or table was rejected; empty after a success.
std::string& lastError() {
    static std::string error;
    return error;
}

bool allFinite(const std::vector<float>& v) {
    return std::all_of(v.begin(), v.end(), [](float x) { return std::isfinite(x); });
}
bool strictlyIncreasing(const std::vector<float>& v) {
    for (std::size_t i = 1; i < v.size(); ++i)
        if (!(v[i - 1] < v[i])) return false;
    return true;
}

// Writes values with "%f ", a line break after every seventh.
template <class T>
void writeRun(std::FILE* f, const T* values, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) {
        std::fprintf(f, "%f ", static_cast<double>(values[k]));
        if ((k + 1) % 7 == 0) std::fputs("\n", f);
    }
}
// The first `wanted` values of an array, never more than it holds.
template <class T>
void writeRun(std::FILE* f, const std::vector<T>& values, long long wanted) {
    if (wanted <= 0) return;
    writeRun(f, values.data(), std::min(values.size(), static_cast<std::size_t>(wanted)));
}

}  // namespace

KivGeneralLightData::KivGeneralLightData() { init(); }

KivGeneralLightData::KivGeneralLightData(const KivGeneralLightData& other) { *this = other; }

KivGeneralLightData& KivGeneralLightData::operator=(const KivGeneralLightData& other) {
    if (this == &other) return *this;
    KivLightData::operator=(other);
    std::memcpy(fileName, other.fileName, sizeof(fileName));
    std::memcpy(testName, other.testName, sizeof(testName));
    std::memcpy(manufactureName, other.manufactureName, sizeof(manufactureName));
    standardEnergy = other.standardEnergy;
    multiplex = other.multiplex;
    latitude = other.latitude;
    longitude = other.longitude;
    apartureSizeUnit = other.apartureSizeUnit;
    width = other.width;
    depth = other.depth;
    height = other.height;
    latitudeAngles = other.latitudeAngles;
    longitudeAngles = other.longitudeAngles;
    energyList = other.energyList;
    deltaX = other.deltaX;
    deltaY = other.deltaY;
    derivatives = other.derivatives;
    tilt = other.tilt;
    pan = other.pan;
    roll = other.roll;
    buildInterpolation();
    return *this;
}

KivGeneralLightData::~KivGeneralLightData() { del(); }

void KivGeneralLightData::init() {
    fileName[0] = '\0';
    std::memset(testName, 0, sizeof(testName));
    std::memset(manufactureName, 0, sizeof(manufactureName));
    standardEnergy = 0.0f;
    multiplex = 0.0f;
    latitude = 0;
    longitude = 0;
    apartureSizeUnit = 0;
    width = depth = height = 0.0f;
    del();
    tilt = pan = roll = 0.0f;
}

void KivGeneralLightData::del() {
    std::vector<float>().swap(latitudeAngles);
    std::vector<float>().swap(longitudeAngles);
    std::vector<double>().swap(energyList);
    std::vector<double>().swap(deltaX);
    std::vector<double>().swap(deltaY);
    std::vector<double>().swap(derivatives);
    interpolation.reset();
    latitude = 0;
    longitude = 0;
}

// ---- building the table ---------------------------------------------------------------------

KivLong KivGeneralLightData::takeTable(std::vector<float>& vertical, std::vector<float>& horizontal,
                                       std::vector<double>& values, bool extend) {
    const long long nv = static_cast<long long>(vertical.size());
    const long long nh = static_cast<long long>(horizontal.size());
    if (nv < 1 || nh < 1) {
        lastError() = "a table needs at least one vertical and one horizontal angle";
        return 0;
    }
    if (nv > kiv::kLm63MaxAngleCount || nh > kiv::kLm63MaxAngleCount ||
        nv * nh > kiv::kLm63MaxTableSize) {
        lastError() = "the table is too large";
        return 0;
    }
    if (static_cast<long long>(values.size()) != nv * nh) {
        lastError() = "the number of candela values does not match the angles";
        return 0;
    }
    if (!allFinite(vertical) || !allFinite(horizontal) ||
        !std::all_of(values.begin(), values.end(), [](double x) { return std::isfinite(x); })) {
        lastError() = "the table holds a value that is not a finite number";
        return 0;
    }
    // Far beyond any real intensity, and small enough that the spline's weighted sums of
    // float values stay finite.
    if (!std::all_of(values.begin(), values.end(),
                     [](double x) { return std::fabs(x) <= kLargestCandela; })) {
        lastError() = "a candela value is out of range";
        return 0;
    }
    if (!strictlyIncreasing(vertical)) {
        lastError() = "the vertical angles are not strictly increasing";
        return 0;
    }
    if (nh >= 2 && !strictlyIncreasing(horizontal)) {
        lastError() = "the horizontal angles are not strictly increasing";
        return 0;
    }

    // A table measured over part of the circle beyond 180 degrees is closed at 360 with the
    // values of its first plane. A table symmetric about the 90-270 plane is unfolded by
    // calcEnergy instead.
    const float first = horizontal.front(), last = horizontal.back();
    const bool symmetric90To270 = first == 90.0f && last == 270.0f;
    if (extend && nh >= 2 && last > 180.0f && last < 360.0f && !symmetric90To270) {
        horizontal.push_back(360.0f);
        values.insert(values.end(), values.begin(), values.begin() + nv);
    }
    const long long longitudeCount = static_cast<long long>(horizontal.size());

    std::vector<double> dx(static_cast<std::size_t>(nv), 0.0);
    std::vector<double> dy;
    std::vector<double> derivs;
    if (longitudeCount >= 2) {
        dy.assign(static_cast<std::size_t>(longitudeCount), 0.0);
        derivs.assign(static_cast<std::size_t>(16 * (longitudeCount - 1) * (nv - 1)), 0.0);
    } else {
        derivs.assign(static_cast<std::size_t>(nv * longitudeCount), 0.0);
    }

    latitudeAngles.swap(vertical);
    longitudeAngles.swap(horizontal);
    energyList.swap(values);
    deltaX.swap(dx);
    deltaY.swap(dy);
    derivatives.swap(derivs);
    latitude = static_cast<KivLong>(nv);
    longitude = static_cast<KivLong>(longitudeCount);
    buildInterpolation();
    lastError().clear();
    return 1;
}

void KivGeneralLightData::buildInterpolation() {
    interpolation.reset();
    if (latitude < 1 || longitude < 1) return;
    // Without memory for the spline the data stays usable and answers 0 everywhere.
    try {
        if (longitude == 1) {
            interpolation = std::make_unique<KivCardinal1D>(latitude, latitudeAngles.data(),
                                                            energyList.data(), kTension);
        } else {
            interpolation = std::make_unique<KivCardinal2D>(
                latitude, longitude, latitudeAngles.data(), longitudeAngles.data(),
                energyList.data(), kTension);
        }
    } catch (const std::bad_alloc&) {
        interpolation.reset();
    }
}

KivLong KivGeneralLightData::takeFileTable(kiv::Lm63Table& table, const char* name) {
    // takeTable changes nothing when it rejects the table.
    if (!takeTable(table.verticalAngles, table.horizontalAngles, table.candela, true)) {
        lastError() = std::string(name != nullptr ? name : "") + ": " + lastError();
        return 0;
    }
    kiv::copyName(fileName, name);
    standardEnergy = table.standardEnergy;
    multiplex = table.multiplex;
    apartureSizeUnit = table.apartureSizeUnit;
    width = table.width;
    depth = table.depth;
    height = table.height;
    tilt = table.tilt;
    pan = table.pan;
    roll = table.roll;
    return 1;
}

KivLong KivGeneralLightData::setDataFromFile(const char* path) {
    try {
        kiv::Lm63Table table;
        std::string error;
        if (!kiv::readLm63File(path, table, error)) {
            lastError() = error;
            return 0;
        }
        return takeFileTable(table, path);
    } catch (const std::bad_alloc&) {
        lastError() = "out of memory";
        return 0;
    }
}

KivLong KivGeneralLightData::setDataFromBuffer(const char* bytes, std::size_t size,
                                               const char* name) {
    try {
        kiv::Lm63Table table;
        std::string error;
        if (!kiv::readLm63(bytes, size, table, error)) {
            lastError() = error;
            return 0;
        }
        return takeFileTable(table, name);
    } catch (const std::bad_alloc&) {
        lastError() = "out of memory";
        return 0;
    }
}

KivLong KivGeneralLightData::setData(float standardEnergy_, float multiplex_, int latitude_,
                                     const float* latitudeAngles_, int longitude_,
                                     const float* longitudeAngles_, const float* energies) {
    if (latitudeAngles_ == nullptr || longitudeAngles_ == nullptr || energies == nullptr) {
        lastError() = "a table array is missing";
        return 0;
    }
    if (latitude_ < 1 || longitude_ < 1 || latitude_ > kiv::kLm63MaxAngleCount ||
        longitude_ > kiv::kLm63MaxAngleCount ||
        static_cast<long long>(latitude_) * longitude_ > kiv::kLm63MaxTableSize) {
        lastError() = "angle counts out of range";
        return 0;
    }
    try {
        const std::size_t nv = static_cast<std::size_t>(latitude_);
        const std::size_t nh = static_cast<std::size_t>(longitude_);
        std::vector<float> vertical(latitudeAngles_, latitudeAngles_ + nv);
        std::vector<float> horizontal(longitudeAngles_, longitudeAngles_ + nh);
        std::vector<double> values(energies, energies + nv * nh);
        if (!takeTable(vertical, horizontal, values, true)) return 0;
    } catch (const std::bad_alloc&) {
        lastError() = "out of memory";
        return 0;
    }
    standardEnergy = standardEnergy_;
    multiplex = multiplex_;
    fileName[0] = '\0';
    return 1;
}

// ---- evaluation -----------------------------------------------------------------------------

float KivGeneralLightData::foldHorizontal(float h) const {
    const float first = longitudeAngles.front(), last = longitudeAngles.back();
    const bool quadrant = first == 0.0f && last == 90.0f;
    const bool bilateral = first == 0.0f && last == 180.0f;
    const bool bilateral90 = first == 90.0f && last == 270.0f;
    const bool full = first == 0.0f && last == 360.0f;
    if (!(quadrant || bilateral || bilateral90 || full)) return h;
    if (h < 0.0f || h > 360.0f) {
        h = std::fmod(h, 360.0f);
        if (h < 0.0f) h += 360.0f;
    }
    if (quadrant) {
        if (h > 180.0f) h = 360.0f - h;
        if (h > 90.0f) h = 180.0f - h;
    } else if (bilateral) {
        if (h > 180.0f) h = 360.0f - h;
    } else if (bilateral90) {
        if (h < 90.0f)
            h = 180.0f - h;
        else if (h > 270.0f)
            h = 540.0f - h;
    }
    return h;
}

float KivGeneralLightData::calcEnergy(float vertical, float horizontal) const {
    if (!interpolation || latitudeAngles.empty() || longitudeAngles.empty()) return 0.0f;
    if (!(vertical >= latitudeAngles.front() && vertical <= latitudeAngles.back())) return 0.0f;
    if (longitude == 1) return interpolation->evaluate(vertical, 0.0f);
    const float h = foldHorizontal(horizontal);
    if (!(h >= longitudeAngles.front() && h <= longitudeAngles.back())) return 0.0f;
    return interpolation->evaluate(vertical, h);
}

float KivGeneralLightData::calcEnergy(KivVector d) const {
    if (longitude == 1) return calcEnergy(acosDegrees(d.x), 0.0f);
    const float vertical = acosDegrees(d.z);
    const float r = std::sqrt(d.x * d.x + d.y * d.y);
    float horizontal = r < kKivEnergyEpsilon ? 0.0f : acosDegrees(d.x / r);
    if (d.y < 0.0f) horizontal = 360.0f - horizontal;
    return calcEnergy(vertical, horizontal);
}

// ---- orientation and blending ---------------------------------------------------------------

KivLong KivGeneralLightData::resetDataByOption() {
    if (std::fabs(tilt) < 1.0f) tilt = 0.0f;
    if (std::fabs(pan) < 1.0f) pan = 0.0f;
    if (std::fabs(roll) < 1.0f) roll = 0.0f;
    if (tilt == 0.0f && pan == 0.0f && roll == 0.0f) return 0;
    if (latitude < 1 || longitude < 1 || !interpolation) return 0;

    try {
        std::vector<float> horizontal;
        if (longitude < 5) {
            for (int k = 0; k <= 72; ++k) horizontal.push_back(5.0f * static_cast<float>(k));
        } else {
            horizontal = longitudeAngles;
        }
        const std::vector<float> vertical = latitudeAngles;
        const std::size_t nv = vertical.size();
        std::vector<float> values(nv * horizontal.size());

        const float tau = radians(tilt);
        const KivVector axis = kiv::normalise(-KivVector(0.0f, std::sin(tau), std::cos(tau)));
        for (std::size_t j = 0; j < horizontal.size(); ++j) {
            const float phi = radians(horizontal[j] + roll);
            const float c = std::cos(phi), s = std::sin(phi);
            for (std::size_t i = 0; i < nv; ++i) {
                const float theta = radians(vertical[i] + tilt);
                KivVector d = kiv::normalise(KivVector(0.0f, std::sin(theta), std::cos(theta)));
                if (std::fabs(phi) >= 0.001f) {
                    d = d * c + kiv::cross(axis, d) * s + axis * (kiv::dot(axis, d) * (1.0f - c));
                }
                d.y = -d.y;
                d.z = -d.z;
                // Angles of the turned direction: vertical 0 straight down (-z), horizontal 0
                // towards -y and 90 towards +x.
                const float z = kiv::clampf(d.z, -1.0f, 1.0f);
                const float v = z <= 0.0f ? acosDegrees(std::fabs(z)) : 180.0f - acosDegrees(z);
                const float a = std::fabs(d.x), b = std::fabs(d.y);
                const float r = std::sqrt(a * a + b * b);
                float h = 0.0f;
                if (r >= kKivEnergyEpsilon) {
                    const float h0 = acosDegrees(b / r);
                    if (d.x >= 0.0f)
                        h = d.y < 0.0f ? h0 : 180.0f - h0;
                    else
                        h = d.y >= 0.0f ? h0 + 180.0f : 360.0f - h0;
                }
                values[j * nv + i] = calcEnergy(v, h);
            }
        }
        const float keepEnergy = standardEnergy, keepMultiplex = multiplex;
        return setData(keepEnergy, keepMultiplex, static_cast<int>(nv), vertical.data(),
                       static_cast<int>(horizontal.size()), horizontal.data(), values.data());
    } catch (const std::bad_alloc&) {
        lastError() = "out of memory";
        return 0;
    }
}

KivLong KivGeneralLightData::interpolate(const KivGeneralLightData& a, const KivGeneralLightData& b,
                                         float t) {
    const float u = 1.0f - t;
    const float blendEnergy = t * b.standardEnergy + u * a.standardEnergy;
    const float blendMultiplex = t * b.multiplex + u * a.multiplex;
    const float blendWidth = t * b.width + u * a.width;
    const float blendDepth = t * b.depth + u * a.depth;
    const float blendHeight = t * b.height + u * a.height;
    const KivLong unit = std::max(a.apartureSizeUnit, b.apartureSizeUnit);
    const bool sameGrid = a.latitudeAngles == b.latitudeAngles &&
                          a.longitudeAngles == b.longitudeAngles &&
                          a.energyList.size() == b.energyList.size();
    const bool hasTable = !a.latitudeAngles.empty() && !a.longitudeAngles.empty() &&
                          a.energyList.size() == a.latitudeAngles.size() * a.longitudeAngles.size();
    try {
        std::vector<float> vertical, horizontal;
        std::vector<double> values;
        if (sameGrid && hasTable) {
            vertical = a.latitudeAngles;
            horizontal = a.longitudeAngles;
            values.resize(a.energyList.size());
            const double td = t, ud = u;
            for (std::size_t k = 0; k < values.size(); ++k) {
                values[k] = &a == &b
                                ? ud * a.energyList[k] + 1000.0 * td / static_cast<double>(k + 1)
                                : td * b.energyList[k] + ud * a.energyList[k];
            }
        }
        standardEnergy = blendEnergy;
        multiplex = blendMultiplex;
        width = blendWidth;
        depth = blendDepth;
        height = blendHeight;
        apartureSizeUnit = unit;
        if (!sameGrid || !hasTable) {
            lastError() = "the tables do not share their angle grids";
            return 0;
        }
        if (!takeTable(vertical, horizontal, values, false)) return 0;
        // The blend no longer holds any one file's table.
        fileName[0] = '\0';
        return 1;
    } catch (const std::bad_alloc&) {
        lastError() = "out of memory";
        return 0;
    }
}

// ---- text output ----------------------------------------------------------------------------

void KivGeneralLightData::output(std::FILE* f) {
    if (f == nullptr) return;
    std::fprintf(f, "testName\t%s\n", testName);
    std::fprintf(f, "manufactureName\t%s\n", manufactureName);
    std::fprintf(f, "standardEnergy\t%f\n", static_cast<double>(standardEnergy));
    std::fprintf(f, "multiplex\t%f\n", static_cast<double>(multiplex));
    std::fprintf(f, "latitude\t%d\n", latitude);
    std::fprintf(f, "longitude\t%d\n", longitude);
    std::fprintf(f, "apartureSizeUnit\t%d\n", apartureSizeUnit);
    std::fprintf(f, "width\t%f\n", static_cast<double>(width));
    std::fprintf(f, "depth\t%f\n", static_cast<double>(depth));
    std::fprintf(f, "height\t%f\n", static_cast<double>(height));

    const long long nv = latitude, nh = longitude;
    std::fputs("\n\nlatitudeAngles ... \n", f);
    writeRun(f, latitudeAngles, nv);
    std::fputs("\n\nlongitudeAngles ... \n", f);
    writeRun(f, longitudeAngles, nh);
    std::fputs("\n\nenergyList ... \n", f);
    for (long long j = 0; j < nh; ++j) {
        const std::size_t start = static_cast<std::size_t>(j * nv);
        if (start + static_cast<std::size_t>(nv) > energyList.size()) break;
        writeRun(f, energyList.data() + start, static_cast<std::size_t>(nv));
        std::fputs("\n", f);
    }
    std::fputs("\n\ndeltaX ... \n", f);
    writeRun(f, deltaX, nv - 1);
    std::fputs("\n\ndeltaY ... \n", f);
    if (nh > 2) writeRun(f, deltaY, nh - 1);
    // Unlike the five sections above, the derivatives title follows the last run directly.
    std::fputs("derivatives ... \n", f);
    writeRun(f, derivatives, nh > 2 ? 16 * (nh - 1) * (nv - 1) : nv * nh);
    std::fflush(f);
}

// ---- flat interface -------------------------------------------------------------------------

KivGeneralLightData* KivGeneralLightData_Create(const char* path) {
    auto* data = new (std::nothrow) KivGeneralLightData;
    if (data == nullptr) return nullptr;
    if (!data->setDataFromFile(path)) {
        delete data;
        return nullptr;
    }
    return data;
}

KivGeneralLightData* KivGeneralLightData_Create(float standardEnergy, float multiplex, int latitude,
                                                const float* latitudeAngles, int longitude,
                                                const float* longitudeAngles,
                                                const float* energies) {
    auto* data = new (std::nothrow) KivGeneralLightData;
    if (data == nullptr) return nullptr;
    if (!data->setData(standardEnergy, multiplex, latitude, latitudeAngles, longitude,
                       longitudeAngles, energies)) {
        delete data;
        return nullptr;
    }
    return data;
}

float KivGeneralLightData_GetEnergyFromAngles(void* data, float vertical, float horizontal) {
    if (data == nullptr) return 0.0f;
    auto* general = dynamic_cast<KivGeneralLightData*>(static_cast<KivLightData*>(data));
    return general != nullptr ? general->calcEnergy(vertical, horizontal) : 0.0f;
}

KivLong KivGeneralLightData_Interpolate(const KivGeneralLightData* a, const KivGeneralLightData* b,
                                        float t, KivGeneralLightData* out) {
    if (a == nullptr || b == nullptr || out == nullptr) return 0;
    return out->interpolate(*a, *b, t);
}

const char* KivGeneralLightData_GetLastError() { return lastError().c_str(); }
