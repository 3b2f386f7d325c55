#include "engine/solution.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "engine/attribute.h"
#include "engine/light.h"
#include "engine/scene.h"
#include "engine/shooting.h"
#include "engine/tone.h"
#include "engine/voxel_grid.h"

namespace kiv {

namespace {
KivLong quitNever(void*) { return 0; }
void doNothing(void*) {}
KivLong surfaceIterationNever(void*) { return 0; }

constexpr std::size_t kStatusSignificant = 192;

}  // namespace

void SolutionState::resetCallbacks() {
    quit = quitNever;
    quitData = nullptr;
    iteration = doNothing;
    iterationData = nullptr;
    end = doNothing;
    endData = nullptr;
    surfaceIteration = surfaceIterationNever;
    surfaceIterationData = nullptr;
}

void SolutionState::setStatus(const char* text) {
    std::snprintf(status, sizeof status, "%s", text != nullptr ? text : "");
}

long long processorMilliseconds() {
    return static_cast<long long>(std::clock()) * 1000 / CLOCKS_PER_SEC;
}

// ---------------------------------------------------------------------------------------------

void SolutionDriver::log(const char* fmt, ...) {
    std::FILE* f = s_.logFile;
    if (f == nullptr) return;
    va_list args;
    va_start(args, fmt);
    std::vfprintf(f, fmt, args);
    va_end(args);
    std::fflush(f);
}

bool SolutionDriver::quitRequested() {
    const SolutionState& so = s_.solution;
    return so.quit != nullptr && so.quit(so.quitData) != 0;
}

void SolutionDriver::iterationCallback() {
    const SolutionState& so = s_.solution;
    if (so.iteration != nullptr) so.iteration(so.iterationData);
}

void SolutionDriver::clearCurrent() {
    for (KivVertex& v : s_.vertices.direct) v.current = KivColor::make(0.0f, 0.0f, 0.0f);
}

void SolutionDriver::setCurrentDir(const char* dir) {
    if (dir == nullptr) return;
    const std::size_t n = std::strlen(dir);
    // An empty directory stays empty (the working directory) rather than becoming the root.
    const bool separator = n == 0 || dir[n - 1] == '\\' || dir[n - 1] == '/';
    const std::size_t needed = n + (separator ? 0 : 1);
    // A directory that does not fit leaves the stored one unchanged instead of being cut.
    if (needed >= sizeof s_.currentDir) return;
    std::memcpy(s_.currentDir, dir, n);
    if (!separator) s_.currentDir[n] = '/';
    s_.currentDir[needed] = '\0';
}

// ---------------------------------------------------------------------------------------------
// Preparation

bool SolutionDriver::initialize() {
    KivScene& s = s_;
    SolutionState& so = s.solution;
    bool ok = true;

    if (s.vertices.direct.empty() && s.vertices.createDirect(s.surfaces, s.lightmaps) < 0)
        ok = false;
    if (ok) {
        s.vertices.applySmallSurfaceCorrection(s.surfaces);
        buildVoxelGrid(s);
    }
    applyDisplay(s);

    const KivLong useTexture = s.solverParameters.useTextureDiffuse;
    for (KivParentSurface& f : s.surfaces.records)
        f.setDiffuse(
            textureDiffuse(useTexture, f.getAttrIndex(), f.getDiffuse(), s.attributes, s.maps));

    float area = 0.0f;
    for (const KivParentSurface& f : s.surfaces.records) {
        if ((f.getFlags() & kSurfaceNotCounted) != 0) continue;
        area += f.getPairIndex() != 0 ? f.getArea() * 0.5f : f.getArea();
    }
    so.totalArea = area;

    Shooter(s).initialize();
    so.divergence.clear();

    so.initialTotalEnergy = 0.0f;
    so.currentTotalEnergy = 0.0f;
    so.progress = 0.0f;
    so.solutionCount = 0;
    so.iterationCount = 0;
    so.setStatus("");

    if (ok && (s.currentMode & 0x02) != 0) {
        if (s.vertices.indirect.empty() &&
            s.vertices.createIndirect(s.surfaces, s.indirectLightmaps) < 0)
            ok = false;
        else
            s.vertices.applySmallSurfaceCorrection(s.surfaces);
    }

    so.prepared = ok;
    if (!ok) so.setStatus(kStatusSampleLimit);
    return ok;
}

void SolutionDriver::end() {
    s_.vertices.initializeDirect();
    s_.vertices.initializeIndirect();
    s_.voxels.endCells();
    s_.solution.divergence.clear();
    s_.shooting.end();
}

// ---------------------------------------------------------------------------------------------
// Energy totals

namespace {

float lightEnergy(KivLight& L, bool countEnvironment) {
    const KivColor u = L.getUnshot();
    const float S = u.r + u.g + u.b;
    switch (L.getType()) {
        case kKivPointLight:
            return S * 12.566371f;
        case kKivSpotLight:
            return S * L.getField() * 0.034906585f * 0.15915494f * 12.566371f;
        case kKivGeneralLight:
            return S;
        case kKivHDRILight:
            return countEnvironment ? S : 0.0f;
        default:
            return 0.0f;
    }
}

// Area-weighted sum of (r + g + b) of a colour field over the inside points of a surface;
// 0 for a surface without inside points or without a valid grid.
template <class Vertex, class Field>
float surfaceSum(const KivParentSurface& f, const std::vector<Vertex>& points, bool indirect,
                 Field field) {
    const int first = indirect ? f.getIndirectVertArrayIndex() : f.getVertArrayIndex();
    const int count = indirect ? f.getIndirectVertTotalCount() : f.getVertTotalCount();
    const int inner = indirect ? f.getIndirectVertInnerCount() : f.getVertInnerCount();
    if (inner <= 0 || first < 0 || count < 0 ||
        static_cast<std::size_t>(first) + static_cast<std::size_t>(count) > points.size())
        return 0.0f;
    float sum = 0.0f;
    for (int k = 0; k < count; ++k) {
        const Vertex& v = points[static_cast<std::size_t>(first + k)];
        if (v.inside() != 1.0f) continue;
        const KivColor& c = field(v);
        sum += c.r + c.g + c.b;
    }
    return f.getArea() / static_cast<float>(inner) * sum;
}

template <class Field>
float surfacesTotal(KivScene& s, bool indirect, bool skipNoShoot, Field field) {
    float total = 0.0f;
    for (const KivParentSurface& f : s.surfaces.records) {
        if (skipNoShoot && (f.getFlags() & kSurfaceNoShoot) != 0) continue;
        total += indirect ? surfaceSum(f, s.vertices.indirect, true, field)
                          : surfaceSum(f, s.vertices.direct, false, field);
    }
    return total;
}

}  // namespace

float SolutionDriver::lightTerm(bool onlyUnshot) const {
    float total = 0.0f;
    const int n = s_.lights.endedCount();
    for (int i = 0; i < n; ++i) {
        KivLight* L = s_.lights.at(i);
        if (L == nullptr) continue;
        if (onlyUnshot) {
            if (L->alreadyShoot != 0) continue;
            total += lightEnergy(*L, true);
        } else {
            total += lightEnergy(*L, false);
        }
    }
    return total;
}

float SolutionDriver::unshotTotal() const {
    const bool indirect = s_.shooting.shootType == kShootIndirect;
    return lightTerm(true) +
           surfacesTotal(s_, indirect, true,
                         [](const KivVertex& v) -> const KivColor& { return v.unshot; });
}

float SolutionDriver::receivedTotal() const {
    const bool indirect = s_.shooting.shootType == kShootIndirect;
    return surfacesTotal(s_, indirect, false,
                         [](const KivVertex& v) -> const KivColor& { return v.received; });
}

void SolutionDriver::setInitialTotalEnergy() {
    SolutionState& so = s_.solution;
    if (s_.shooting.shootType == kShootIndirect)
        so.initialTotalEnergy = surfacesTotal(
            s_, true, false, [](const KivVertex& v) -> const KivColor& { return v.unshot; });
    else
        so.initialTotalEnergy = lightTerm(false);
    so.progress = 0.0f;
}

void SolutionDriver::appendDivergenceText() {
    SolutionState& so = s_.solution;
    const std::size_t n = std::strlen(so.status);
    if (n < kStatusSignificant)
        std::snprintf(so.status + n, sizeof so.status - n, "%s", " Energy Divergence Occur!");
}

void SolutionDriver::setCurrentTotalEnergy() {
    SolutionState& so = s_.solution;
    ShootingState& st = s_.shooting;
    so.unshotTotal = unshotTotal();
    so.receivedTotal = receivedTotal();
    const float previous = so.progress;
    if (s_.solverParameters.indirectLightShoot != 0 && st.shootType != kShootLight) {
        so.currentTotalEnergy = so.unshotTotal;
        // With nothing to shoot at the start there is nothing left to do: complete.
        float p = 1.0f;
        if (so.initialTotalEnergy > 0.0f) p = 1.0f - so.currentTotalEnergy / so.initialTotalEnergy;
        if (!std::isfinite(p)) p = 1.0f;
        so.progress = p;
        if (so.progress < previous) {
            appendDivergenceText();
            // The surface whose shot set the progress back shoots no more in this solution.
            KivParentSurface* f = s_.surfaces.at(st.shooterIndex);
            if (f != nullptr && (f->getFlags() & kSurfaceNoShoot) == 0) {
                f->setFlags(kSurfaceNoShoot);
                so.divergence.push_back(st.shooterIndex);
            }
        }
    } else {
        so.currentTotalEnergy = 0.0f;
        so.initialTotalEnergy = so.unshotTotal;
        const int ended = s_.lights.endedCount();
        // Without lights the direct phase has nothing to do: complete.
        so.progress = ended > 0
                          ? static_cast<float>(so.iterationCount + 1) / static_cast<float>(ended)
                          : 1.0f;
        if (so.progress < previous) appendDivergenceText();
    }
}

// ---------------------------------------------------------------------------------------------
// The solution

void SolutionDriver::doSolution() {
    KivScene& s = s_;
    SolutionState& so = s.solution;
    ShootingState& st = s.shooting;

    if (s.logFile != nullptr) std::fclose(s.logFile);
    char path[sizeof s.currentDir + 32];
    std::snprintf(path, sizeof path, "%sKivRadiosity.log", s.currentDir);
    s.logFile = std::fopen(path, "w");
    log("######## KivRadiosity Log File ########\n\n\n");
    so.solutionCount += 1;

    if (!so.prepared) {
        // Preparation could not create the sample points: nothing can be shot.
        log("%s.\n", kStatusSampleLimit);
        so.setStatus(kStatusSampleLimit);
        if (s.logFile != nullptr) std::fclose(s.logFile);
        s.logFile = nullptr;
        return;
    }

    const int points = static_cast<int>(s.vertices.direct.size());
    const int indirectPoints = static_cast<int>(s.vertices.indirect.size());
    log("pSurf ... %d(%d)\tvert ... %d(%d)\tcell ... %d\tindirVert ... %d(%d)\n\n",
        s.surfaces.instanceCount(), s.surfaces.instanceCount2(), points,
        VertexStore::countDirect2(s.surfaces), s.voxels.cellCount(), indirectPoints,
        VertexStore::countIndirect2(s.surfaces));
    for (int k = 0; k < 6; ++k) {
        const KivPoint* c = s.voxels.faces[k].position;
        log("\tsceneBBox%02d ... %f %f %f %f %f %f %f %f %f %f %f %f\n", k, c[0].x, c[0].y, c[0].z,
            c[1].x, c[1].y, c[1].z, c[2].x, c[2].y, c[2].z, c[3].x, c[3].y, c[3].z);
    }

    // The time estimate: one unit per light (or environment sample) and point, and the
    // point pairs of the indirect phase.
    long long lightCount = 0;
    long long samples = 0;
    for (int i = 0; i < s.lights.endedCount(); ++i) {
        KivLight* L = s.lights.at(i);
        if (L == nullptr) continue;
        if (L->getType() == kKivHDRILight)
            samples += static_cast<long long>(L->getStack()) * L->getSlice();
        else
            ++lightCount;
    }
    float estimate =
        static_cast<float>(lightCount + samples) * static_cast<float>(points) * 0.00001f;
    if (s.solverParameters.indirectLightShoot != 0)
        estimate += static_cast<float>(points) * static_cast<float>(points) * 0.00001f;
    log("Estimate Calculation Time: %f min\n\n", estimate * 0.016666668f);

    const bool direct = s.solverParameters.directLightShoot != 0;
    const bool indirect = s.solverParameters.indirectLightShoot != 0;
    if (!direct && !indirect) {
        if (s.logFile != nullptr) std::fclose(s.logFile);
        s.logFile = nullptr;
        return;
    }

    setInitialTotalEnergy();
    so.iterationCount = 0;
    st.shootType = kShootLight;
    const bool environment = (s.currentMode & 0x10) != 0;
    if (direct) {
        if (environment) environmentDirectPass();
        directLoop();
    }

    st.shootType = kShootSurface;
    so.progress = 0.0f;
    if (indirect) {
        if ((s.currentMode & 0x02) != 0)
            interactiveIndirectPhase();
        else
            indirectLoop();
    }

    if (direct && environment) {
        st.shootType = kShootLight;
        surveyMultiplePass();
    }

    if (so.end != nullptr) so.end(so.endData);

    for (const std::int32_t i : so.divergence)
        if (KivParentSurface* f = s.surfaces.at(i)) f->flags &= ~kSurfaceNoShoot;
    so.divergence.clear();

    st.shootType = kShootNone;
    st.shooterType = 0;
    st.shooterIndex = 0;

    log("\n\n######## KivRadiosity Log File END ########\n");
    if (s.logFile != nullptr) std::fclose(s.logFile);
    s.logFile = nullptr;
}

void SolutionDriver::directLoop() {
    SolutionState& so = s_.solution;
    ShootingState& st = s_.shooting;
    so.setStatus("Shoot Direct Light");
    log("Direct Shoot Log Start\n\n");
    Shooter shooter(s_);
    if (shooter.chooseNext(0) < 0) {
        so.iterationCount = 0;
        iterationCallback();
        return;
    }
    iterationCallback();
    const int limit = s_.lights.endedCount();
    for (int repetition = 0; repetition < limit; ++repetition) {
        if (quitRequested()) {
            log("\tQuitCallBack is calles. Break.\n\n");
            break;
        }
        s_.intersection.resetShadowSurfaceIndex();
        shooter.setShooterParam();
        shooter.radiosity();
        shooter.updateReceiveUnshot();
        shooter.clearShooter();
        toneReproduction(s_);
        clearCurrent();
        log("\ttype:%d, index:%d Direct Light Done\n", st.shooterType, st.shooterIndex);
        setCurrentTotalEnergy();
        so.iterationCount += 1;
        const int next = shooter.chooseNext(0);
        iterationCallback();
        if (next < 0) break;
    }
    log("Direct Shoot Log End\n\n");
}

SolutionDriver::LoopEnd SolutionDriver::runIndirectShots(bool interactive, int& i,
                                                         long long& totalTime) {
    SolutionState& so = s_.solution;
    ShootingState& st = s_.shooting;
    Shooter shooter(s_);
    if (shooter.chooseNext(0) < 0) {
        iterationCallback();
        return LoopEnd::NoShooter;
    }
    iterationCallback();
    for (;;) {
        if (quitRequested()) {
            log("\tQuitCallBack is calles. Break.\n\n");
            return LoopEnd::Quit;
        }
        i += 1;
        const long long t0 = processorMilliseconds();
        log("\t%d Shoot Start ... ", i);
        shooter.setShooterParam();
        if (interactive) {
            shooter.indirectSurfaceShot();
        } else {
            shooter.surfaceShot();
            clearCurrent();
        }
        setCurrentTotalEnergy();
        so.iterationCount += 1;
        const long long t1 = processorMilliseconds();
        log(" End.\tTIME:%d mili second : %d\t%f\t%f\t%f\t%f\n", static_cast<int>(t1 - t0),
            st.shooterIndex, so.progress, so.initialTotalEnergy, so.unshotTotal, so.receivedTotal);
        const int next = shooter.chooseNext(0);
        iterationCallback();
        totalTime += t1 - t0;
        if (i >= s_.solverParameters.maxShootCount ||
            so.progress >= s_.solverParameters.convergence || next < 0)
            return LoopEnd::Done;
    }
}

namespace {
float seconds(long long milliseconds) { return static_cast<float>(milliseconds) * 0.001f; }
}  // namespace

void SolutionDriver::indirectLoop() {
    s_.solution.setStatus("Shoot Indirect Light");
    log("Indirect Shoot Count Log\n\n");
    int i = 0;
    long long totalTime = 0;
    if (runIndirectShots(false, i, totalTime) == LoopEnd::NoShooter) return;
    log("\nTotalTime:\t%f sec\n", seconds(totalTime));
    log("\nEnd Indirect Shoot Calculation\n");
}

void SolutionDriver::interactiveIndirectPhase() {
    SolutionState& so = s_.solution;
    ShootingState& st = s_.shooting;
    const KivColor zero = KivColor::make(0.0f, 0.0f, 0.0f);
    so.setStatus("Shoot Indirect Light");
    log("Indirect Shoot Count Log\n\n");
    for (KivIndirectVertex& v : s_.vertices.indirect) {
        v.current = zero;
        v.unshot = zero;
        v.indirect = zero;
    }

    // The sample points shoot at the indirect points.
    int i = 0;
    long long totalTime = 0;
    runIndirectShots(true, i, totalTime);
    for (KivVertex& v : s_.vertices.direct) {
        v.current = zero;
        v.unshot = zero;
    }
    log("\nTotalTime:\t%f sec\n", seconds(totalTime));
    log("\nEnd Indirect Shoot Calculation\n");

    // The indirect points shoot among themselves.
    so.setStatus("Shoot Indirect Light for INTERACTIVE");
    log("Indirect Shoot for INTERACTIVE Count Log\n\n");
    st.shootType = kShootIndirect;
    setInitialTotalEnergy();
    totalTime = 0;
    if (runIndirectShots(true, i, totalTime) == LoopEnd::NoShooter) return;
    for (KivIndirectVertex& v : s_.vertices.indirect) {
        v.current = zero;
        v.unshot = zero;
    }
    log("\nTotalTime:\t%f sec\n", seconds(totalTime));
    log("\nEnd Indirect Shoot for INTERACTIVE Calculation\n");
}

}  // namespace kiv
