#include <cstdio>

#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

// A surface index named by a script: false (with a report) when no surface has it.
bool surfaceIndexOk(int i, const char* what, BatchState& st) {
    if (i >= 0 && i < KivSurface_GetInstanceCount()) return true;
    st.warn("%s: there is no surface %d", what, i);
    return false;
}

std::string initialize(const char*, BatchState&) {
    KivSurface_Initialize();
    return "";
}

std::string initializeWithIndex(const char* args, BatchState& st) {
    const int i = argInt(args);
    if (surfaceIndexOk(i, "SurfaceInitializeWithIndex", st)) KivSurface_InitializeWithIndex(i);
    return "";
}

std::string initializeStack(const char*, BatchState&) {
    KivSurface_InitializeStack();
    return "";
}

// Points given, normals given, texture coordinates given and nverts; four points, four normals
// and four texture coordinates (always all four); the interval and the interval multiple.
std::string instanciate(const char* args, BatchState& st) {
    static constexpr char kKinds[] =
        "dddd"
        "ffffffffffff"
        "ffffffffffff"
        "ffffffff"
        "f"
        "d";
    int ints[6] = {};
    float f[33] = {};
    const int read = readNumbers(args, kKinds, ints, f);
    if (read != 38)
        st.warn("SurfaceInstanciate: %d of the 38 numbers could be read; the rest are 0", read);
    // A negative spacing leaves only the polygon's corners as sample points (a 2 x 2 grid).
    if (f[32] < 0.0f)
        st.warn("SurfaceInstanciate: sample spacing %f is negative; the surface gets a 2 x 2 grid",
                f[32]);
    KivPoint p[4];
    KivVector n[4];
    KivUvw uv[4];
    for (int k = 0; k < 4; ++k) {
        p[k] = KivPoint(f[3 * k], f[3 * k + 1], f[3 * k + 2]);
        n[k] = KivVector(f[12 + 3 * k], f[12 + 3 * k + 1], f[12 + 3 * k + 2]);
        uv[k] = KivUvw{f[24 + 2 * k], f[24 + 2 * k + 1], 1.0f};
    }
    return fmtInt(KivSurface_Instanciate(ints[3], ints[0] != 0 ? p : nullptr,
                                         ints[1] != 0 ? n : nullptr, ints[2] != 0 ? uv : nullptr,
                                         f[32], ints[4]));
}

std::string setAttributeName(const char* args, BatchState&) {
    KivSurface_SetAttributeName(args);
    return "";
}

std::string setMapWrapU(const char* args, BatchState&) {
    KivSurface_SetMapWrapU(argInt(args));
    return "";
}

std::string setMapWrapV(const char* args, BatchState&) {
    KivSurface_SetMapWrapV(argInt(args));
    return "";
}

std::string setMapWrapW(const char* args, BatchState&) {
    KivSurface_SetMapWrapW(argInt(args));
    return "";
}

std::string setFlags(const char* args, BatchState&) {
    KivSurface_SetFlags(argInt(args));
    return "";
}

std::string setGroupId(const char* args, BatchState&) {
    KivSurface_SetGroupId(argInt(args));
    return "";
}

std::string setCheckOnOnePlane(const char* args, BatchState&) {
    KivSurface_SetCheckOnOnePlane(argLong(args));
    return "";
}

std::string getInstanceCount(const char*, BatchState&) {
    return fmtInt(KivSurface_GetInstanceCount());
}

std::string getGroupCount(const char*, BatchState&) { return fmtInt(KivSurface_GetGroupCount()); }

std::string endInstance(const char*, BatchState&) { return fmtInt(KivSurface_EndInstance()); }

std::string setSurfaceGroupId(const char* args, BatchState& st) {
    int v[2] = {};
    float unused[1];
    if (readNumbers(args, "dd", v, unused) != 2)
        st.warn("SurfaceSetGroupId: expected a surface index and a group id");
    if (surfaceIndexOk(v[0], "SurfaceSetGroupId", st)) KivSurface_SetGroupId(v[0], v[1]);
    return "";
}

std::string getSurfaceGroupId(const char* args, BatchState& st) {
    const int i = argInt(args);
    if (!surfaceIndexOk(i, "SurfaceGetGroupId", st)) return fmtInt(0);
    return fmtInt(KivSurface_GetGroupId(i));
}

}  // namespace

void addSurfaceRows(CommandTable& t) {
    t.add(52, initialize);
    t.add(53, initializeWithIndex);
    t.add(54, initializeStack);
    t.add(55, instanciate);
    t.add(62, setAttributeName);
    t.add(63, setMapWrapU);
    t.add(64, setMapWrapV);
    t.add(65, setMapWrapW);
    t.add(66, setFlags);
    t.add(67, setGroupId);
    t.add(68, setCheckOnOnePlane);
    t.add(69, getInstanceCount);
    t.add(71, getGroupCount);
    t.add(72, endInstance);
    t.add(86, setSurfaceGroupId);
    t.add(87, getSurfaceGroupId);
}

}  // namespace kiv::batch
