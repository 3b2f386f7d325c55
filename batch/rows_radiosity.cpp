#include <cstring>
#include <string>

#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

// The preparation leaves a status text only when it failed (the sample points could not be
// created); the solution then does not run.
std::string initialize(const char*, BatchState& st) {
    KivRadiosity_Initialize();
    const char* status = KivRadiosity_GetStatus();
    if (status[0] != '\0') st.warn("RadiosityInitialize: %s", status);
    return "";
}

std::string doSolution(const char*, BatchState&) {
    KivRadiosity_DoSolution();
    return "";
}

// The byte after the code is the mode itself (the solve command writes the raw byte 0x10).
std::string setCurrentMode(const char* a, BatchState&) {
    KivRadiosity_SetCurrentMode(argChar(a));
    return "";
}

std::string setCurrentDir(const char* a, BatchState& st) {
    // The engine keeps 259 characters with the separator; a longer directory is refused there
    // and left as it was.
    const std::size_t n = std::strlen(a);
    if (n + 1 >= 260) st.warn("RadiositySetCurrentDir: the directory is too long; not changed");
    std::string dir(a);
    KivRadiosity_SetCurrentDir(dir.data());
    return "";
}

}  // namespace

void addRadiosityRows(CommandTable& t) {
    t.add(202, initialize);
    t.add(204, doSolution);
    t.add(328, setCurrentMode);
    t.add(330, setCurrentDir);
}

}  // namespace kiv::batch
