#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

std::string lightGetInstanceCount(const char*, BatchState&) {
    return fmtInt(KivLight_GetInstanceCount());
}

}  // namespace

void addLightRows(CommandTable& t) { t.add(129, lightGetInstanceCount); }

}  // namespace kiv::batch
