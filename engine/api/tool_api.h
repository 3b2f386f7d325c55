#pragma once
// Tool family: the interpolating splines and the process-wide pseudo-random generator. The
// generator's two functions act on state shared by every scene, without locking.
#include <cstdint>

#include "engine/interpolation.h"
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"

// Seeds the generator; an even seed gives the same sequence as the next odd one.
KIV_API void KivTool_SeedMT(std::uint32_t seed);
// The next 32-bit draw. A draw before any seeding seeds with 4357 first.
KIV_API std::uint32_t KivTool_RandomMT();
