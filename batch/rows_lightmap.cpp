#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

std::string instanciateAll(const char*, BatchState&) {
    KivLightmap_InstanciateAll();
    return "";
}

std::string setNumComponents(const char* args, BatchState& st) {
    const int c = argInt(args);
    if (c < 1 || c > 4)
        st.warn("LightmapSetNumComponents: %d bytes per texel; lightmaps need 1 to 4", c);
    KivLightmap_SetNumComponents(c);
    return "";
}

}  // namespace

void addLightmapRows(CommandTable& t) {
    t.add(180, instanciateAll);
    t.add(181, setNumComponents);
}

}  // namespace kiv::batch
