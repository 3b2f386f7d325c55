#pragma once
// High-dynamic-range images: float textures, RGBE light probes and their sampling filters.
// These are used through their class interfaces; the family has no flat functions.
#include "engine/filter_func.h"
#include "engine/float_texture.h"
#include "engine/hdri.h"
#include "engine/kiv_export.h"
#include "engine/kiv_types.h"
