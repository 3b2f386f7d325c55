#include "batch/args.h"
#include "batch/command_table.h"
#include "engine/KivRadiosity.h"

namespace kiv::batch {
namespace {

std::string create(const char*, BatchState& st) {
    const int n = KivVertex_Create();
    if (n < 0) st.warn("VertexCreate: the sample grids exceed the sample-point limits");
    return fmtInt(n);
}

}  // namespace

void addVertexRows(CommandTable& t) { t.add(274, create); }

}  // namespace kiv::batch
