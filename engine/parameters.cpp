#include "engine/parameters.h"

#include <cstdio>

void KivSolverParameters::setAll(float interval_, int intervalMultiple_, float intervalIndirect_,
                                 int intervalMultipleIndirect_, int shootStep_, int receiveStep_,
                                 float colorBleeding_, KivLong useTextureDiffuse_,
                                 float convergence_, int maxShootCount_, KivLong directLightShoot_,
                                 KivLong indirectLightShoot_) {
    interval = interval_;
    intervalMultiple = intervalMultiple_;
    intervalIndirect = intervalIndirect_;
    intervalMultipleIndirect = intervalMultipleIndirect_;
    shootStep = shootStep_;
    receiveStep = receiveStep_;
    colorBleeding = colorBleeding_;
    useTextureDiffuse = useTextureDiffuse_;
    convergence = convergence_;
    maxShootCount = maxShootCount_;
    directLightShoot = directLightShoot_;
    indirectLightShoot = indirectLightShoot_;
}

void KivSolverParameters::setAll(float interval_, int intervalMultiple_, int shootStep_,
                                 int receiveStep_, float colorBleeding_, KivLong useTextureDiffuse_,
                                 float convergence_, int maxShootCount_, KivLong directLightShoot_,
                                 KivLong indirectLightShoot_) {
    setAll(interval_, intervalMultiple_, 4.0f * interval_, intervalMultiple_, shootStep_,
           receiveStep_, colorBleeding_, useTextureDiffuse_, convergence_, maxShootCount_,
           directLightShoot_, indirectLightShoot_);
}

KivLong KivSolverParameters::output(const char* path) const {
    if (path == nullptr) return 0;
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return 0;
    std::fprintf(f, "%f\n", static_cast<double>(interval));
    std::fprintf(f, "%d\n", intervalMultiple);
    std::fprintf(f, "%f\n", static_cast<double>(intervalIndirect));
    std::fprintf(f, "%d\n", intervalMultipleIndirect);
    std::fprintf(f, "%d\n", shootStep);
    std::fprintf(f, "%d\n", receiveStep);
    std::fprintf(f, "%f\n", static_cast<double>(colorBleeding));
    std::fprintf(f, "%d\n", static_cast<int>(useTextureDiffuse));
    std::fprintf(f, "%f\n", static_cast<double>(convergence));
    std::fprintf(f, "%d\n", maxShootCount);
    std::fprintf(f, "%d\n", static_cast<int>(directLightShoot));
    std::fprintf(f, "%d\n", static_cast<int>(indirectLightShoot));
    std::fflush(f);
    std::fclose(f);
    return 1;
}

void KivDisplayParameters::setAll(float gamma_, float contrast_, float brightness_,
                                  KivColor coefficient_, float referenceEnergy_,
                                  float referenceEnergyCoef_, char autoReferenceEnergy_,
                                  KivColor whiteBalance_, KivColor blackBalance_,
                                  int reproductFunction_) {
    gamma = gamma_;
    contrast = contrast_;
    brightness = brightness_;
    kiv::setRgb(coefficient, coefficient_);
    referenceEnergy = referenceEnergy_;
    referenceEnergyCoef = referenceEnergyCoef_;
    // Through signed char so that the extension does not depend on the signedness of char.
    autoReferenceEnergy = static_cast<std::int32_t>(static_cast<signed char>(autoReferenceEnergy_));
    kiv::setRgb(whiteBalance, whiteBalance_);
    kiv::setRgb(blackBalance, blackBalance_);
    reproductFunction = reproductFunction_;
}

namespace {
void writeColor(std::FILE* f, const KivColor& c) {
    std::fprintf(f, "%f %f %f\n", static_cast<double>(c.r), static_cast<double>(c.g),
                 static_cast<double>(c.b));
}
}  // namespace

KivLong KivDisplayParameters::output(const char* path) const {
    if (path == nullptr) return 0;
    std::FILE* f = std::fopen(path, "w");
    if (f == nullptr) return 0;
    std::fprintf(f, "%f\n", static_cast<double>(gamma));
    std::fprintf(f, "%f\n", static_cast<double>(contrast));
    std::fprintf(f, "%f\n", static_cast<double>(brightness));
    writeColor(f, coefficient);
    std::fprintf(f, "%f\n", static_cast<double>(referenceEnergy));
    std::fprintf(f, "%f\n", static_cast<double>(referenceEnergyCoef));
    std::fprintf(f, "%d\n", static_cast<int>(autoReferenceEnergy));
    writeColor(f, whiteBalance);
    writeColor(f, blackBalance);
    std::fprintf(f, "%d\n", reproductFunction);
    std::fflush(f);
    std::fclose(f);
    return 1;
}
