#include "engine/api/tool_api.h"

#include "engine/random_mt.h"

void KivTool_SeedMT(std::uint32_t seed) { kiv::processGenerator().seed(seed); }

std::uint32_t KivTool_RandomMT() { return kiv::processGenerator().next(); }
