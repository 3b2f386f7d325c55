#include <cstdint>

#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

// Handles travel through the script as signed decimals of the pointer value.
void* handleFromText(const char* args) {
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(argLongLong(args)));
}

std::string sceneCreate(const char*, BatchState& st) {
    void* h = KivScene_Create();
    st.created.insert(h);
    st.current = h;
    return fmtInt(static_cast<long long>(reinterpret_cast<std::intptr_t>(h)));
}

std::string sceneMakeCurrent(const char* args, BatchState& st) {
    void* h = handleFromText(args);
    if (st.created.count(h) == 0) {
        st.warn("SceneMakeCurrent: %s is not a scene of this run; ignored", args);
        return "";
    }
    KivScene_MakeCurrent(h);
    st.current = h;
    return "";
}

std::string sceneInitialize(const char*, BatchState&) {
    KivScene_Initialize();
    return "";
}

std::string sceneEndHandle(const char* args, BatchState& st) {
    void* h = handleFromText(args);
    if (st.created.count(h) == 0) {
        st.warn("SceneEnd: %s is not a scene of this run; ignored", args);
        return fmtInt(0);
    }
    const KivLong r = KivScene_End(h);
    st.created.erase(h);
    if (st.current == h) {
        // Ending the current scene through its handle would leave the engine's pointer
        // dangling; the batch never uses it again.
        KivScene_MakeCurrent(nullptr);
        st.current = nullptr;
    }
    return fmtInt(r);
}

std::string sceneEndCurrent(const char*, BatchState& st) {
    if (st.current == nullptr) {
        st.warn("SceneEnd: there is no current scene to end");
        return fmtInt(0);
    }
    const KivLong r = KivScene_End();
    st.created.erase(st.current);
    st.current = nullptr;
    return fmtInt(r);
}

}  // namespace

void addSceneRows(CommandTable& t) {
    t.add(0, sceneCreate, false);
    t.add(1, sceneMakeCurrent, false);
    t.add(2, sceneInitialize, true);
    t.add(3, sceneEndHandle, false);
    t.add(4, sceneEndCurrent, false);
}

}  // namespace kiv::batch
