#pragma once
#include <string>

#include "batch/solution_block.h"

namespace kiv::batch {

// Writes the atlas as an 8-bit PNG, tone-mapped with the scene's current display mapping the
// way the lightmaps are. Needs the scene that produced the atlas to still be current. Returns
// an empty string on success, otherwise the reason.
std::string writeAtlasPng(const std::string& path, const AtlasImage& atlas);

}  // namespace kiv::batch
