#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {

void addLightRows(CommandTable&) {}

}  // namespace kiv::batch
