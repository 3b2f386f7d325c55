#include <cstdint>
#include <cstdio>

#include "batch/args.h"
#include "batch/command_table.h"
#include "batch/row_templates.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

// A script can carry any number: record indices are checked before they reach the engine.
bool isRecord(int i) { return i >= 0 && i < KivAttribute_GetInstanceCount(); }

std::string initialize(const char*, BatchState&) {
    KivAttribute_Initialize();
    return "";
}

std::string initializeStack(const char*, BatchState&) {
    KivAttribute_InitializeStack();
    return "";
}

std::string initializeWithIndex(const char* a, BatchState&) {
    const int i = argInt(a);
    if (isRecord(i)) KivAttribute_InitializeWithIndex(i);
    return "";
}

// The whole argument text, spaces included, is the name.
std::string instanciate(const char* a, BatchState&) { return fmtInt(KivAttribute_Instanciate(a)); }

std::string getInstanceCount(const char*, BatchState&) {
    return fmtInt(KivAttribute_GetInstanceCount());
}

std::string endInstance(const char*, BatchState&) { return fmtInt(KivAttribute_EndInstance()); }

std::string setName(const char* a, BatchState&) {
    KivAttribute_SetName(a);
    return "";
}

std::string setTextureSize(const char* a, BatchState&) {
    float u = 0, v = 0;
    std::sscanf(a, "%f %f", &u, &v);
    KivAttribute_SetTextureSize(u, v);
    return "";
}

// Flags, then the map name as one word (cut to the 63 characters a name can hold).
std::string setMap(const char* a, BatchState&) {
    int flags = 0;
    char name[64] = {};
    std::sscanf(a, "%d %63s", &flags, name);
    KivAttribute_SetMap(flags, name);
    return "";
}

std::string getIndexFromName(const char* a, BatchState&) {
    return fmtInt(KivAttribute_GetIndexFromName(a));
}

// Ends the attributes of the scene named by its handle; only scenes of this run are accepted.
std::string endScene(const char* a, BatchState& st) {
    void* h = reinterpret_cast<void*>(static_cast<std::intptr_t>(argLongLong(a)));
    if (st.created.count(h) == 0) {
        st.warn("AttributeEnd: %s is not a scene of this run; ignored", a);
        return fmtInt(0);
    }
    return fmtInt(KivAttribute_End(h));
}

std::string endCurrent(const char*, BatchState&) { return fmtInt(KivAttribute_End()); }

std::string deleteRecord(const char* a, BatchState&) {
    return fmtInt(KivAttribute_Delete(argInt(a)));
}

std::string getMapType(const char* a, BatchState&) {
    const int i = argInt(a);
    return fmtInt(isRecord(i) ? KivAttribute_GetMapType(i) : 0);
}

std::string setMapType(const char* a, BatchState&) {
    int i = 0, bits = 0;
    std::sscanf(a, "%d %d", &i, &bits);
    if (isRecord(i)) KivAttribute_SetMapType(i, bits);
    return "";
}

std::string getDiffuseMapIndex(const char* a, BatchState&) {
    const int i = argInt(a);
    return fmtInt(isRecord(i) ? KivAttribute_GetDiffuseMapIndex(i) : -1);
}

std::string setDiffuseMapIndex(const char* a, BatchState&) {
    int i = 0, map = 0;
    std::sscanf(a, "%d %d", &i, &map);
    if (isRecord(i)) KivAttribute_SetDiffuseMapIndex(i, map);
    return "";
}


}  // namespace

void addAttributeRows(CommandTable& t) {
    t.add(152, initialize);
    t.add(153, initializeStack);
    t.add(154, initializeWithIndex);
    t.add(155, instanciate);
    t.add(156, getInstanceCount);
    t.add(157, endInstance);
    t.add(158, setName);
    t.add(159, setColor<KivAttribute_SetDiffuse>);
    t.add(160, setColor<KivAttribute_SetSpecular>);
    t.add(161, setColor<KivAttribute_SetEmission>);
    t.add(162, setFloat<KivAttribute_SetReflectivity>);
    t.add(163, setFloat<KivAttribute_SetShineness>);
    t.add(164, setColor<KivAttribute_SetTransparency>);
    t.add(165, setFloat<KivAttribute_SetRefractionIndex>);
    t.add(166, setTextureSize);
    t.add(167, setMap);
    t.add(168, getIndexFromName);
    t.add(255, endScene, false);
    t.add(256, endCurrent);
    t.add(258, deleteRecord);
    t.add(259, getMapType);
    t.add(260, setMapType);
    t.add(261, getDiffuseMapIndex);
    t.add(262, setDiffuseMapIndex);
}

}  // namespace kiv::batch
